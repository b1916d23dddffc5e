# The end of the desktop session: at shut-down and at log-out the course is
# closed and saved before the session's processes are signalled, with fake
# logind and session-manager services on buses of the test's own.

header='CD,lecture,unit,step,part,section,start date,start time,end date,end time,total time'
# Debian's Python, which has dbusmock (another python3 may come first in PATH).
mock_python=/usr/bin/python3

# Whether the bus named by $1 (--system or --session) has $2.
bus_has_name() {
  local answer
  answer=$(gdbus call "$1" --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$2" 2>/dev/null) || return 1
  [ "$answer" = "(true,)" ]
}

# Waits up to 10 s until it has.
wait_bus_name() {
  poll_until 10 bus_has_name "$1" "$2" || fail "$2 did not appear on the bus: $(cat "$work"/*.mock.log 2>/dev/null | tail -5)"
}

# A system bus of the test's own, with a fake logind on it.
start_fake_logind() {
  dbus-daemon --session --nofork --print-address=3 3>"$work/system-bus" >/dev/null 2>&1 &
  extra_pids="${extra_pids:-} $!"
  poll_until 10 test -s "$work/system-bus" || fail "the test's system bus did not start"
  export DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$work/system-bus")
  "$mock_python" -m dbusmock --system --template logind >"$work/logind.mock.log" 2>&1 &
  extra_pids="$extra_pids $!"
  wait_bus_name --system org.freedesktop.login1
}

logind() {
  gdbus call --system --dest org.freedesktop.login1 --object-path /org/freedesktop/login1 --method "$@"
}

# Whether logind holds no inhibitor of the program.
inhibitor_gone() {
  local list
  list=$(logind org.freedesktop.login1.Manager.ListInhibitors) || return 1
  [[ $list != *"'DORV'"* ]]
}

# A fake GNOME session manager on the test's session bus; its client object
# takes the program's answers.
start_fake_session_manager() {
  "$mock_python" -m dbusmock org.gnome.SessionManager /org/gnome/SessionManager org.gnome.SessionManager \
    >"$work/session.mock.log" 2>&1 &
  extra_pids="${extra_pids:-} $!"
  wait_bus_name --session org.gnome.SessionManager
  session_manager /org/gnome/SessionManager org.freedesktop.DBus.Mock.AddMethod org.gnome.SessionManager \
    RegisterClient ss o "ret = dbus.ObjectPath('/org/gnome/SessionManager/Client1')" >/dev/null
  session_manager /org/gnome/SessionManager org.freedesktop.DBus.Mock.AddObject /org/gnome/SessionManager/Client1 \
    org.gnome.SessionManager.ClientPrivate '{}' '[("EndSessionResponse", "bs", "", "")]' >/dev/null
}

session_manager() {
  local path=$1
  shift
  gdbus call --session --dest org.gnome.SessionManager --object-path "$path" --method "$@"
}

# A probe course with learner "taro" selected on a stick; the program in a
# process group of its own, as a session's program is.
start_learner_course() {
  mkdir -p "$work/stick"
  make_probe_course "$work/c" "" "{answers: ['', 'Drive:F', 'Create:taro\\nUser:taro', 'Seen-ready:'],
    pref: 'p', pos: 'step=4', logs: ['last\\n']}"
  printf '[Drives]\nF=%s,removable\n' "$work/stick" >>"$work/c/DORV.ini"
  start_x
  export G_MESSAGES_DEBUG=dorv
  (cd "$work/c" && exec setsid "$DORV_BIN") >"$work/out" 2>"$work/err" &
  dorv_pid=$!
  probe_window=$(wait_window " Probe" 30)
  wait_seen ready 30
  learner=$work/stick/PLENA/PROBE/taro
  rm -f "$learner/TASK.DAT" "$learner/HISTORY.DAT"
}

# Every process of the program's group gets SIGTERM at once, as at the end
# of a session; then nothing of the stretch may be lost.
signal_the_whole_group_and_check() {
  kill -TERM -- "-$dorv_pid" 2>/dev/null || true
  wait_exit 10
  expect_eq "$(cat "$learner/TASK.DAT" 2>/dev/null)" "step=4" "TASK.DAT"
  expect_eq "$(cat "$learner/HISTORY.DAT" 2>/dev/null)" "$header"$'\n'"last" "HISTORY.DAT"
  grep -q -F "call OnClose (0 arguments): done" "$work/out" || fail "the page was not told"
  grep -q -e "quit confirmed" "$work/out" && fail "the learner was asked"
  return 0
}

case_shut_down_saves_before_the_signal() {
  start_fake_logind
  start_learner_course
  wait_trace "shut-down inhibitor taken" 10
  logind org.freedesktop.login1.Manager.ListInhibitors | grep -q -F "'DORV'" || fail "no inhibitor at logind"
  logind org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.login1.Manager PrepareForShutdown b '[<true>]' >/dev/null
  wait_trace "shut-down inhibitor released" 5
  poll_until 10 inhibitor_gone || fail "the inhibitor was kept"
  signal_the_whole_group_and_check
}

case_log_out_saves_before_the_signal() {
  start_fake_session_manager
  start_learner_course
  wait_trace "registered with the session manager as /org/gnome/SessionManager/Client1" 10
  local client=/org/gnome/SessionManager/Client1
  session_manager "$client" org.freedesktop.DBus.Mock.EmitSignal org.gnome.SessionManager.ClientPrivate \
    QueryEndSession u '[<uint32 1>]' >/dev/null
  session_manager "$client" org.freedesktop.DBus.Mock.EmitSignal org.gnome.SessionManager.ClientPrivate \
    EndSession u '[<uint32 0>]' >/dev/null
  wait_trace "session manager told: the course has ended" 5
  # Both the query and the end were answered "yes" (the mock may list a
  # call more than once).
  local answers
  answers=$(session_manager "$client" org.freedesktop.DBus.Mock.GetMethodCalls EndSessionResponse)
  [ "$(echo "$answers" | grep -o '<true>' | wc -l)" -ge 2 ] || fail "answers to the session manager: $answers"
  echo "$answers" | grep -q '<false>' && fail "the session manager was told no: $answers"
  signal_the_whole_group_and_check
}

# Without a system bus or a session manager (a bare machine), the course
# runs and closes as usual.
case_no_session_services_change_nothing() {
  export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/no-such-bus
  start_learner_course
  wait_trace "no system bus" 10
  wait_trace "no session manager" 10
  press "$probe_window" ctrl+w
  confirm_quit_and_wait_exit " Probe" "$probe_window"
}
