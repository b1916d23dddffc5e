# Helpers of the end-to-end tests: an X server of their own, the built program
# started as a user would start it, and what a user sees and does.
# Needs DORV_BIN, XPROBE_BIN and DORV_SOURCE in the environment.

set -euo pipefail

work=$(mktemp -d)
xvfb_pid=
dorv_pid=

cleanup() {
  [ -n "${www_pid:-}" ] && kill "$www_pid" 2>/dev/null || true
  # Services a case started for itself (fake system services and their bus).
  [ -n "${extra_pids:-}" ] && kill ${extra_pids} 2>/dev/null || true
  [ -n "$dorv_pid" ] && kill "$dorv_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  # A stick a case mounted: its file system may be busy for a moment after
  # the program ended (GIO's daemons look at new mounts); a last resort
  # detaches it lazily, and nothing below a mount is ever removed.
  if [ -n "${mounted:-}" ]; then
    poll_until 10 unmounted "$mounted" || umount -l "$mounted" 2>/dev/null || true
  fi
  [ -n "${loop_device:-}" ] && losetup -d "$loop_device" 2>/dev/null || true
  # Folders a case made outside its own (for example below /media).
  [ -n "${extra_dirs:-}" ] && rm -rf ${extra_dirs} || true
  rm -rf --one-file-system "$work" 2>/dev/null || true
}
trap cleanup EXIT

# Unmounts the FUSE or kernel mount at $1; true once nothing is mounted there.
unmounted() {
  mountpoint -q "$1" 2>/dev/null || return 0
  fusermount -u "$1" 2>/dev/null || umount "$1" 2>/dev/null
  ! mountpoint -q "$1" 2>/dev/null
}

# How often a wait looks again for what it waits for.
poll_interval=0.1

# Looks every poll_interval for up to $1 s whether the command $2... succeeds;
# the status says whether it did.
poll_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep "$poll_interval"
  done
}

# The same, and the case fails with the text $2 when the command never
# succeeds.
wait_for() {
  local seconds=$1 what=$2
  shift 2
  poll_until "$seconds" "$@" || fail "$what"
}

fail() {
  echo "FAIL: $*" >&2
  echo "(DISPLAY=${DISPLAY:-} xvfb ${xvfb_pid:-none}: $(kill -0 "${xvfb_pid:-0}" 2>&1 && echo alive); $(cat "$work/xvfb.log" 2>/dev/null | tail -3))" >&2
  local stream
  for stream in out err; do
    if [ -s "$work/$stream" ]; then
      echo "--- program's std$stream, whole:" >&2
      cat "$work/$stream" >&2
    fi
  done
  exit 1
}

# Starts an X server on a free display, 1024 x 768 (or $screen_size), and
# waits until it answers. -noreset: by default the server resets whenever its last client
# leaves, and connections made during a reset fail. A server that loses a
# race for a display number is started again.
start_x() {
  local attempt
  for attempt in 1 2 3; do
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "${screen_size:-1024x768}x24" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do
      [ -s "$work/display" ] && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep "$poll_interval"
    done
    if [ -s "$work/display" ]; then
      export DISPLAY=":$(head -n 1 "$work/display")"
      for _ in $(seq 50); do
        if kill -0 "$xvfb_pid" 2>/dev/null && xdotool getdisplaygeometry >/dev/null 2>&1; then
          break 2
        fi
        sleep "$poll_interval"
      done
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  done
  [ -n "$xvfb_pid" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  unset WAYLAND_DISPLAY
  export GDK_BACKEND=x11
  export WEBKIT_DISABLE_COMPOSITING_MODE=1 NO_AT_BRIDGE=1 GTK_IM_MODULE=none
  # GNOME's volume monitors for disks, phones and cameras need the system's
  # services, which a bare machine lacks (GIO then warns on standard error);
  # its network places stay, for the tests that mount some.
  export GVFS_REMOTE_VOLUME_MONITOR_IGNORE=1
  # Sound goes to an output that discards it: the machine's sound devices and
  # servers are left out, so GStreamer's automatic sink takes its fake sink,
  # which plays in real time and throws the sound away.
  export GST_PLUGIN_FEATURE_RANK=pulsesink:NONE,alsasink:NONE,openalsink:NONE,pipewiresink:NONE,jackaudiosink:NONE,osssink:NONE,oss4sink:NONE
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
ended() { ! running; }

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
    sleep "$poll_interval"
  done
  fail "no window titled '$title' within ${2:-30} s"
}

# No window of the program is left: none titled DORV, nor with a course's
# caption.
no_window() {
  local ids
  ids=$(xdotool search --name 'DORV|Probe' 2>/dev/null || true)
  [ -z "$ids" ] || fail "a window is still on the screen: $(xdotool getwindowname $ids 2>/dev/null | tr '\n' ' ')"
}

# Waits up to $1 s for the program to end; sets exit_status.
wait_exit() {
  local deadline=$((SECONDS + ${1:-20}))
  while running && [ $SECONDS -lt $deadline ]; do sleep "$poll_interval"; done
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
    poll_until 3 ended || true
    running || break
  done
  wait_exit 10
}

# Opens a menu of window $1 with the keys $2 (alt+f: the File menu) and
# waits until it is shown (GTK names its menu windows after the program):
# keys that came before the window could take them are pressed again.
open_menu() {
  for _ in $(seq 10); do
    press "$1" "$2"
    poll_until 5 xdotool search --onlyvisible --name '^dorv$' >/dev/null 2>&1 && return 0
    running || fail "the program ended before its menu opened"
  done
  fail "the menu did not open with $2"
}

# Waits up to 10 s until no visible window is titled $1.
window_shown() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
window_absent() { ! window_shown "$1"; }
wait_window_gone() {
  poll_until 10 window_absent "$1" || fail "the window '$1' is still there"
}

# The quit dialog: a second window titled $1 beside the main window $2.
# Prints its id, waiting up to 20 s.
quit_dialog() {
  local title=$1 main=$2 deadline=$((SECONDS + 20)) id
  while [ $SECONDS -lt $deadline ]; do
    for id in $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null || true); do
      [ "$id" != "$main" ] && { echo "$id"; return 0; }
    done
    running || fail "the program ended before its quit dialog appeared"
    sleep "$poll_interval"
  done
  fail "no quit dialog titled '$title'"
}

# Answers the quit dialog over main window $2 (titled $1) with Return and
# waits for the program to end with status 0.
confirm_quit_and_wait_exit() {
  press "$(quit_dialog "$1" "$2")" Return
  wait_exit 20
  expect_eq "$exit_status" 0 "exit status"
}

# Waits up to $2 s for the program's trace to hold the text $1. GLib's
# default log writer sends debug messages to standard output.
wait_trace() {
  poll_until "${2:-30}" grep -q -F -e "$1" "$work/out" || fail "the trace never said: $1"
}

# How many lines of the trace hold the text $1.
count_trace() { grep -c -F -e "$1" "$work/out" || true; }

# Waits up to $3 s until $2 lines of the trace hold the text $1.
trace_count_reached() { [ "$(count_trace "$1")" -ge "$2" ]; }
wait_count() {
  poll_until "${3:-30}" trace_count_reached "$1" "$2" || fail "the trace said '$1' $(count_trace "$1") times, not $2"
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

# A course folder $1 showing the probe page, with DORV.ini settings $2 and
# the page's options $3 (a JavaScript object).
make_probe_course() {
  local dir=$1 options=${3:-}
  [ -n "$options" ] || options='{}'
  mkdir -p "$dir"
  printf '[Document]\nconfig=course.xml\nmain=probe.html\n[Settings]\n%s\n' "$2" >"$dir/DORV.ini"
  printf '<config file_title="PROBE" courseware="Probe Ver 1"/>' >"$dir/course.xml"
  cp "$(dirname "${BASH_SOURCE[0]}")/pages/probe.html" "$(dirname "${BASH_SOURCE[0]}")/pages/probe.js" "$dir/"
  printf 'window.probeOptions = %s;\n' "$options" >"$dir/case.js"
}

# Starts the program on a probe course and waits until its page is served.
start_probe() {
  start_x
  export G_MESSAGES_DEBUG=dorv
  start_dorv "$1"
  probe_window=$(wait_window " Probe" 30)
  wait_seen loaded 30
}

# Waits for the page to report $1 (URI-encoded as the page sends it).
wait_seen() { wait_trace "host command Seen-$1: ignored" "${2:-10}"; }

# Waits up to $3 s until the page has reported $1 at least $2 times.
wait_seen_count() { wait_count "host command Seen-$1: ignored" "$2" "${3:-10}"; }

# How often the page has reported $1 so far.
count_seen() { count_trace "host command Seen-$1: ignored"; }

# The order of the host commands carried out, one word a line.
commands_done() { sed -n 's/.*host command \([^ ]*\).*/\1/p' "$work/out"; }

# Milliseconds since midnight of a time of day HH:MM:SS.mmm.
ms_of_day() {
  local h m s ms
  IFS=':.' read -r h m s ms <<<"$1"
  echo $(( ((10#$h * 60 + 10#$m) * 60 + 10#$s) * 1000 + 10#$ms ))
}

# How many milliseconds ago the program wrote its last trace line holding
# $1, by the clock it stamps its lines with (GLib writes the time of day,
# HH:MM:SS.mmm); fails when there is no such line.
trace_age_ms() {
  local stamp
  stamp=$(grep -F -e "$1" "$work/out" | tail -n 1 |
    sed -n 's/.*-DEBUG: \([0-9][0-9]:[0-9][0-9]:[0-9][0-9]\.[0-9][0-9][0-9]\): .*/\1/p')
  [ -n "$stamp" ] || return 1
  echo $(( ($(ms_of_day "$(date +%H:%M:%S.%3N)") - $(ms_of_day "$stamp") + 86400000) % 86400000 ))
}
trace_older_than() { local age; age=$(trace_age_ms "$1") && [ "$age" -ge "$2" ]; }

# Waits until $2 ms have passed since the program's last trace line holding
# $1: a time that the program counts from there (a deadline, a period) is
# over, and a check that what it times did not happen can follow. Fails
# after $3 s (by default 30 s more than the time).
wait_trace_older() {
  poll_until "${3:-$(($2 / 1000 + 30))}" trace_older_than "$1" "$2" ||
    fail "the trace line '$1' is not $2 ms old (age: $(trace_age_ms "$1" || echo 'no such line'))"
}

# Clicks the middle of the page area of window $1.
click_page() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  # No --sync: it waits for a motion that never comes when the pointer is there already.
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 300)) sleep 0.1 click 1
}

# The engine's web process started by the program (inside its sandbox
# wrappers, if any).
web_process_of_dorv() {
  local pids=$dorv_pid all=$dorv_pid children
  while [ -n "$pids" ]; do
    children=$(for p in $pids; do pgrep -P "$p"; done || true)
    all="$all $children"
    pids=$children
  done
  for p in $all; do
    case "$(tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null)" in
      /usr/lib/*/WebKitWebProcess*) echo "$p" ;;
    esac
  done
}

# Whether the page area of window $1 shows something else than the colour
# $2 (RRGGBB) in its lower left corner.
page_corner_not() {
  local WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")"
  [ "$("$XPROBE_BIN" pixel $((X + 10)) $((Y + HEIGHT - 10)))" != "$2" ]
}

# Waits (up to $4 s, 30 by default) until the page has opened its $2nd
# dialog of its own (alert, confirm or prompt), and then until the dialog is
# drawn over the page area of window $1, which it dims: the page's colour $3
# (the probe page's green, 00ff00, when not given) is gone from the area's
# corner. Its buttons can be clicked then, and its keys answer it.
wait_page_dialog() {
  wait_count "page dialog (" "$2" "${4:-30}"
  poll_until 10 page_corner_not "$1" "${3:-00ff00}" || fail "the page's dialog number $2 was not drawn over the page"
}

# Waits for the probe page to announce $1 (a page with the option
# "announce" tells its reports at once, also while its script never returns).
wait_announced() { wait_trace "page: probe saw $1" "${2:-10}"; }
