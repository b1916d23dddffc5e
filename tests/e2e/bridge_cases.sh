# The page-host bridge with real pages in the real engine.

case_page_area_and_start_up() {
  make_probe_course "$work/c" $'debug=a,b\nmute=1'
  start_probe "$work/c"
  # 800 x 600 CSS pixels at scale 1, no scroll bar though the page is taller.
  wait_seen "size-800x600-800x600-1"
  # The debug value's comma splits it into two page arguments.
  wait_seen "debug-a%2Bb"
  wait_seen "init-debug%3Da%2Bb%3Bmute%3D1"
}

case_commands_in_order_and_quit_without_colon() {
  make_probe_course "$work/c" "" \
    '{answers: ["", "OnLoad:\nSeen-a:\nDisableMouse:\nEnableMouse:", "Seen-b:\nQuit\nSeen-c:"]}'
  start_probe "$work/c"
  confirm_quit_and_wait_exit " Probe" "$probe_window"
  local order
  order=$(commands_done | grep -v -e '^Seen-loaded' -e '^Seen-size' | tr '\n' ' ')
  expect_eq "$order" "OnLoad: Seen-a: DisableMouse: EnableMouse: Seen-b: Quit: Seen-c: " "order of host commands"
  # The close request reaches the frame only after the whole answer.
  local last
  last=$(grep -e 'host command' -e 'close requested' "$work/out" | grep -v -e 'Seen-loaded' -e 'Seen-size' | sed 's/.*: //' | sed -n '/close requested/{x;p;x;p;q};h')
  expect_eq "$(echo $last)" "unknown close requested" "the close after the answer's last line"
  grep -q -F "set content of #isApp: done" "$work/out" || fail "OnLoad did not mark the page"
  no_window
}

case_disable_mouse_blocks_input() {
  make_probe_course "$work/c" "" \
    '{answers: ["", "DisableMouse:\nSeen-disabled:"], later: [[4000, "EnableMouse:\nSeen-enabled:"]]}'
  start_probe "$work/c"
  wait_seen disabled
  click_page "$probe_window"
  press "$probe_window" a
  # The page takes input again only at its own time: the click and the key
  # came before that, and whatever of them reached the page is reported
  # before the page says that it is enabled.
  [ "$(count_seen enabled)" = 0 ] || fail "the page was enabled again before the click and the key were sent"
  wait_seen enabled 10
  expect_eq "$(count_seen click)" 0 "clicks reaching a disabled page"
  expect_eq "$(count_seen key-a)" 0 "keys reaching a disabled page"
  click_page "$probe_window"
  wait_seen click
  press "$probe_window" a
  wait_seen key-a
}

case_full_screen_keys_and_click() {
  make_probe_course "$work/c" "" '{fullScrAnswer: "1"}'
  start_probe "$work/c"
  # Space: the page switches, so the key is consumed.
  press "$probe_window" space
  wait_seen fullscr
  # A click in full-screen mode leaves it and is consumed; the next reaches the page.
  click_page "$probe_window"
  wait_seen fullscr-false
  # A key that reaches the page comes after the click, in order.
  press "$probe_window" a
  wait_seen key-a
  expect_eq "$(count_seen click)" 0 "clicks reaching the page in full-screen mode"
  click_page "$probe_window"
  wait_seen click
  # Escape outside full-screen mode reaches the page; inside it is consumed.
  press "$probe_window" Escape
  wait_seen key-Escape
  press "$probe_window" space
  wait_seen_count fullscr 2
  press "$probe_window" Escape
  wait_seen_count fullscr-false 2
  expect_eq "$(count_seen fullscr-false)" 2 "full-screen mode left by Escape"
  press "$probe_window" a
  wait_seen_count key-a 2
  expect_eq "$(count_seen key-Escape)" 1 "Escape keys reaching the page"
  expect_eq "$(count_seen key-Space)" 0 "Space keys reaching the page"
}

case_refused_space_reaches_page_once_per_press() {
  make_probe_course "$work/c" "" '{fullScrAnswer: "0"}'
  start_probe "$work/c"
  press "$probe_window" space space space
  wait_seen_count key-Space 3
  expect_eq "$(count_seen key-Space)" 3 "Space keys reaching the page"
  # Whatever the filter does with a key, it does before the next key.
  press "$probe_window" a
  wait_seen key-a
  expect_eq "$(count_seen fullscr)" 3 "FullScr calls, one per press"
  # A held key: one call per auto-repeat, not two.
  xdotool keydown space
  wait_seen_count key-Space-repeat 5
  xdotool keyup space
  press "$probe_window" a
  wait_seen_count key-a 2
  local keys calls
  keys=$(($(count_seen key-Space) + $(count_seen key-Space-repeat)))
  calls=$(count_seen fullscr)
  expect_eq "$calls" "$keys" "FullScr calls against key presses seen by the page"
}

case_ctrl_switches_debug_mode() {
  make_probe_course "$work/c" ""
  start_probe "$work/c"
  press "$probe_window" Control_L
  wait_seen debug-3
  wait_seen debug-0
  expect_eq "$(count_seen debug-3)" 1 "debug-mode calls for one Ctrl press"
}

case_ctrl_does_nothing_with_debug_setting() {
  make_probe_course "$work/c" "debug=on"
  start_probe "$work/c"
  wait_seen debug-on
  press "$probe_window" Control_R
  # The filter asks the page before the key goes on to it.
  wait_seen key-Control
  expect_eq "$(count_seen debug-3)" 0 "debug-mode calls from Ctrl with a debug setting"
}

case_alert_during_a_page_call() {
  make_probe_course "$work/c" "" '{getStateAlerts: 1, later: [[100, "Seen-after:"]]}'
  start_x
  export G_MESSAGES_DEBUG=dorv
  start_dorv "$work/c"
  local win
  win=$(wait_window " Probe" 30)
  # The page's GetState waits in alert(): the learner answers it.
  wait_page_dialog "$win" 1
  press "$win" Return
  wait_seen alert-answered 10
  wait_seen after 10
}

# Kills the page's process as a crash would, and answers the message box
# that reports it.
kill_web_process_and_answer_the_report() {
  local web box
  web=$(web_process_of_dorv)
  [ -n "$web" ] || fail "no web process found"
  kill -9 $web
  box=$(wait_window DORV 20)
  grep -q -F "DORV: ページの表示処理が異常終了しました。" "$work/err" || fail "the end of the page's process was not reported"
  press "$box" Return
}

case_web_process_end_is_survived() {
  make_probe_course "$work/c" "" '{later: [[500, "Seen-polling:"]]}'
  start_probe "$work/c"
  wait_seen polling
  kill_web_process_and_answer_the_report
  # The page is loaded again and the poll goes on.
  wait_seen_count polling 2 30
  expect_eq "$(count_seen polling)" 2 "polls served after the reload"
  running || fail "the program ended"
}

case_web_process_end_during_a_call() {
  make_probe_course "$work/c" "" '{hangOnce: true, announce: true, later: [[500, "Seen-polling:"]]}'
  start_x
  export G_MESSAGES_DEBUG=dorv
  start_dorv "$work/c"
  wait_window " Probe" 30 >/dev/null
  # GetState now never returns; the shell waits for it.
  wait_announced hanging 30
  kill_web_process_and_answer_the_report
  wait_seen polling 30
  running || fail "the program ended"
}
