# Helpers of the end-to-end tests: an X server of their own, the built program
# started as a user would start it, and what a user sees and does.
# Needs DORV_BIN, XPROBE_BIN and DORV_SOURCE in the environment.

set -euo pipefail

work=$(mktemp -d)
xvfb_pid=
dorv_pid=

cleanup() {
  [ -n "$dorv_pid" ] && kill "$dorv_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  local stream
  for stream in out err; do
    if [ -s "$work/$stream" ]; then
      echo "--- program's std$stream:" >&2
      tail -n 40 "$work/$stream" >&2
    fi
  done
  exit 1
}

# Starts an X server on a free display, 1024 x 768.
start_x() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(head -n 1 "$work/display")"
  unset WAYLAND_DISPLAY
  export GDK_BACKEND=x11
  export WEBKIT_DISABLE_COMPOSITING_MODE=1 NO_AT_BRIDGE=1 GTK_IM_MODULE=none
  export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
  mkdir -p "$HOME" && mkdir -m 700 -p "$XDG_RUNTIME_DIR"
  # The engine's sandbox needs user namespaces, which some containers lack.
  if ! bwrap --ro-bind / / --dev /dev --proc /proc true 2>/dev/null; then
    export WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1
  fi
}

# Starts the program in folder $1 with the remaining arguments.
start_dorv() {
  local dir=$1
  shift
  (cd "$dir" && exec "$DORV_BIN" "$@") >"$work/out" 2>"$work/err" &
  dorv_pid=$!
}

running() { kill -0 "$dorv_pid" 2>/dev/null; }

# Prints the id of the visible window titled exactly $1, waiting up to $2 s.
wait_window() {
  local title=$1 deadline=$((SECONDS + ${2:-30})) ids
  while [ $SECONDS -lt $deadline ]; do
    ids=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null || true)
    if [ -n "$ids" ]; then
      echo "$ids" | head -n 1
      return 0
    fi
    running || fail "the program ended before a window titled '$title' appeared"
    sleep 0.1
  done
  fail "no window titled '$title' within ${2:-30} s"
}

no_window() {
  local ids
  ids=$(xdotool search --name '^DORV$' 2>/dev/null || true)
  [ -z "$ids" ] || fail "a window titled DORV is still there"
}

# Waits up to $1 s for the program to end; sets exit_status.
wait_exit() {
  local deadline=$((SECONDS + ${1:-20}))
  while running && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
  running && fail "the program did not end within ${1:-20} s"
  exit_status=0
  wait "$dorv_pid" || exit_status=$?
  dorv_pid=
}

# Gives window $1 the keyboard and types the keys $2...
press() {
  local window=$1
  shift
  xdotool windowfocus --sync "$window"
  xdotool key --clearmodifiers "$@"
}

# Answers the message box with Enter, as a user would, and waits for the
# program to end.
answer_box_and_wait_exit() {
  local box
  box=$(wait_window DORV 30)
  for _ in 1 2 3; do
    press "$box" Return
    for _ in $(seq 30); do running || break; sleep 0.1; done
    running || break
  done
  wait_exit 10
}

# Waits up to $2 s for the program's trace to hold the text $1. GLib's
# default log writer sends debug messages to standard output.
wait_trace() {
  local deadline=$((SECONDS + ${2:-30}))
  while [ $SECONDS -lt $deadline ]; do
    grep -q -F -e "$1" "$work/out" && return 0
    sleep 0.1
  done
  fail "the trace never said: $1"
}

expect_eq() {
  [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"
}

# A course folder $1 with a DORV.ini holding $2 and the given files.
make_course() {
  local dir=$1
  mkdir -p "$dir"
  printf '%s' "$2" >"$dir/DORV.ini"
  printf '<config file_title="T"/>' >"$dir/course.xml"
  printf '<!DOCTYPE html><html><body style="background:#00ff00"></body></html>' >"$dir/main.html"
}
