# The close sequence with real keys, the learner's data on disk afterwards,
# and the about box.

header='CD,lecture,unit,step,part,section,start date,start time,end date,end time,total time'

case_quit_dialog_cancels_or_saves_and_closes() {
  local stick=$work/stick
  mkdir -p "$stick"
  make_probe_course "$work/c" "" "{answers: ['', 'Drive:F', 'Create:taro\\nUser:taro', 'Seen-ready:'],
    pref: 'p', pos: 'step=2', logs: ['first\\n', 'last\\n']}"
  printf '[Drives]\nF=%s,removable\n' "$stick" >>"$work/c/DORV.ini"
  start_probe "$work/c"
  wait_seen ready
  local learner=$stick/PLENA/PROBE/taro dialog
  # Ctrl+W asks, titled with the course's caption; Escape cancels: nothing
  # saved, and the page's host commands are carried out again.
  press "$probe_window" ctrl+w
  dialog=$(quit_dialog " Probe" "$probe_window")
  press "$dialog" Escape
  press "$probe_window" a
  wait_seen key-a
  [ ! -e "$learner/TASK.DAT" ] && [ ! -e "$learner/HISTORY.DAT" ] || fail "Cancel saved the learner's data"
  # Return confirms: the record and the position are saved at once, and the
  # program ends 1.5 s later.
  press "$probe_window" ctrl+w
  dialog=$(quit_dialog " Probe" "$probe_window")
  press "$dialog" Return
  # The history record is written first, then the position.
  wait_for 10 "the position was not saved" test -s "$learner/TASK.DAT"
  running || fail "the program ended before the close delay"
  expect_eq "$(cat "$learner/TASK.DAT")" "step=2" "TASK.DAT"
  expect_eq "$(cat "$learner/HISTORY.DAT")" "$header"$'\n'"first" "HISTORY.DAT"
  local t0 t1
  # From the moment of the save (the file's time), however late it was
  # noticed here.
  t0=$(date -r "$learner/TASK.DAT" +%s%N)
  wait_exit 10
  t1=$(date +%s%N)
  expect_eq "$exit_status" 0 "exit status"
  grep -q -F "quit confirmed" "$work/out" || fail "no confirmation traced"
  local ms
  ms=$(( (t1 - t0) / 1000000 ))
  # From the saves to the exit: the 1500 ms delay, give or take the start.
  [ "$ms" -ge 1000 ] && [ "$ms" -le 3000 ] || fail "the program ended $ms ms after the saves"
  no_window
}

case_force_quit_closes_without_asking() {
  make_probe_course "$work/c" "" "{answers: ['', 'Seen-ready:', 'ForceQuit:']}"
  start_probe "$work/c"
  wait_exit 10
  expect_eq "$exit_status" 0 "exit status after ForceQuit"
  grep -q -e "quit confirmed" -e "quit cancelled" "$work/out" && fail "ForceQuit asked the learner"
  grep -q -F "call OnClose (0 arguments)" "$work/out" || fail "the page was not told"
  no_window
}

case_about_box_shows_the_versions() {
  make_probe_course "$work/c" ""
  start_probe "$work/c"
  open_menu "$probe_window" alt+h
  press "$probe_window" a
  local box
  box=$(wait_window "About This Program" 10)
  wait_trace "about requested: PLENA DORV  Ver 3.01" 5
  grep -q -F " Probe  Ver 1" "$work/out" || fail "the course's caption and version are not in the about box"
  # The main window takes no close request while the box is open. The box
  # is answered after the request, in order: once it is gone, the request
  # has been dealt with (GTK itself drops it under the modal box).
  "$XPROBE_BIN" close "$probe_window"
  press "$box" Return
  wait_window_gone "About This Program"
  running || fail "the program closed under the about box"
  grep -q -F "close requested" "$work/out" && fail "the close request made under the about box was taken up"
  running || fail "the program ended"
}
