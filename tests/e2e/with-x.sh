#!/usr/bin/env bash
# Runs a command under an X server of its own, with the engine's settings
# for a machine without a GPU.
here=$(cd "$(dirname "$0")" && pwd)
# A session bus of its own, as a desktop session has: without one GTK tries
# to start a bus launcher that a bare machine lacks, and says so.
if [ -z "${DORV_TEST_BUS:-}" ]; then
  export DORV_TEST_BUS=1
  exec dbus-run-session -- bash "$0" "$@"
fi
source "$here/lib.sh"
start_x
status=0
"$@" || status=$?
exit $status
