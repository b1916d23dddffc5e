# What the program does when the system, the disk or the page misbehave.

header='CD,lecture,unit,step,part,section,start date,start time,end date,end time,total time'

# A probe course with learner "taro" selected on a stick.
start_learner_course() {
  mkdir -p "$work/stick"
  make_probe_course "$work/c" "" "{answers: ['', 'Drive:F', 'Create:taro\\nUser:taro', 'Seen-ready:'],
    pref: 'p', pos: 'step=4', logs: ['last\\n']${1:+, $1}}"
  printf '[Drives]\nF=%s,removable\n' "$work/stick" >>"$work/c/DORV.ini"
  start_probe "$work/c"
  wait_seen ready
}

case_signals_save_and_close() {
  local signal t0 t1 ms learner=$work/stick/PLENA/PROBE/taro
  for signal in TERM HUP INT; do
    start_learner_course
    rm -f "$learner/TASK.DAT" "$learner/HISTORY.DAT"
    t0=$(date +%s%N)
    kill -s "$signal" "$dorv_pid"
    wait_exit 10
    t1=$(date +%s%N)
    ms=$(( (t1 - t0) / 1000000 ))
    expect_eq "$exit_status" 0 "exit status after SIG$signal"
    [ "$ms" -le 2500 ] || fail "SIG$signal took $ms ms to end the program"
    expect_eq "$(cat "$learner/TASK.DAT")" "step=4" "TASK.DAT after SIG$signal"
    expect_eq "$(cat "$learner/HISTORY.DAT")" "$header"$'\n'"last" "HISTORY.DAT after SIG$signal"
    grep -q -F "call OnClose (0 arguments): done" "$work/out" || fail "the page was not told after SIG$signal"
    grep -q -e "quit confirmed" "$work/out" && fail "SIG$signal asked the learner"
    kill "$xvfb_pid"; wait "$xvfb_pid" 2>/dev/null || true; xvfb_pid=
  done
  # A second signal ends the program at once.
  start_learner_course
  kill -s INT "$dorv_pid"
  wait_trace "signal 2: closing" 5
  kill -s INT "$dorv_pid"
  wait_exit 1
  expect_eq "$exit_status" 130 "exit status after a second SIGINT"
}
