#!/usr/bin/env bash
# Runs one end-to-end case: run.sh FILE CASE, where FILE holds case_CASE.
here=$(cd "$(dirname "$0")" && pwd)
# A session bus of its own, as a desktop session has: without one GTK tries
# to start a bus launcher that a bare machine lacks, and says so.
if [ -z "${DORV_TEST_BUS:-}" ]; then
  export DORV_TEST_BUS=1
  exec dbus-run-session -- bash "$0" "$@"
fi
source "$here/lib.sh"
source "$here/$1"
"case_$2"
echo "ok: $2"
