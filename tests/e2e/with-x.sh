#!/usr/bin/env bash
# Runs a command under an X server of its own, with the engine's settings
# for a machine without a GPU.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/session-bus.sh" "$0" "$@"
source "$here/lib.sh"
start_x
status=0
"$@" || status=$?
exit $status
