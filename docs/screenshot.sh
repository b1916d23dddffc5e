#!/usr/bin/env bash
# Makes docs/demo.png, the picture of the demo course in README.md: the
# built program under an X server of its own, with a learner chosen.
# Usage: docs/screenshot.sh [build-dir]
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${1:-$root/build}
DORV_BIN=$build/dorv XPROBE_BIN=$build/tests/e2e/xprobe DORV_SOURCE=$root
export DORV_BIN XPROBE_BIN DORV_SOURCE
source "$root/tests/e2e/session-bus.sh" "$0" "$@"
source "$root/tests/e2e/lib.sh"
start_x
cp -r "$root/courses/demo" "$work/demo"
mkdir -p "$HOME/Documents"
start_dorv "$work/demo"
win=$(wait_window " DORV デモコース" 60)
sleep 3
eval "$(xdotool getwindowgeometry --shell "$win")"
"$XPROBE_BIN" shot "$here/demo.png" "$X" "$Y" "$WIDTH" "$HEIGHT"
echo "wrote $here/demo.png (${WIDTH}x${HEIGHT})"
