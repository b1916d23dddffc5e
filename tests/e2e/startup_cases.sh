# Start-up, configuration errors, the main window and the command line.

sp=$'\u3000'

# Runs the program in $1 and expects one message box with the first line $2:
# answered with Enter, written to standard error, exit status 1, no window.
expect_start_up_failure() {
  start_x
  start_dorv "$1"
  answer_box_and_wait_exit
  expect_eq "$exit_status" 1 "exit status"
  grep -q -F -x -e "DORV: $2" "$work/err" || fail "standard error lacks the message '$2'"
  expect_eq "$(grep -c '^DORV: ' "$work/err")" 1 "messages shown"
  no_window
}

case_demo_course_opens() {
  start_x
  export G_MESSAGES_DEBUG=dorv
  start_dorv "$work" "$DORV_SOURCE/courses/demo"
  local win
  win=$(wait_window DORV 30)
  wait_trace "page loaded: dorv://course$DORV_SOURCE/courses/demo/main.html (page area 800x600)" 60

  # Fixed size, centred on the 1024 x 768 screen.
  eval "$(xdotool getwindowgeometry --shell "$win")"
  expect_eq "$WIDTH" 800 "window width"
  expect_eq "$X" $(((1024 - WIDTH) / 2)) "left edge"
  expect_eq "$Y" $(((768 - HEIGHT) / 2)) "top edge"

  # The page is drawn: the demo's blue banner fills the top of the page area.
  local top=$((Y + HEIGHT - 600)) colour=
  banner_drawn() {
    colour=$("$XPROBE_BIN" pixel $((X + 20)) $((top + 20)))
    [ "$colour" = 1f5c99 ]
  }
  poll_until 20 banner_drawn || fail "colour at the top of the page area: expected '1f5c99', got '$colour'"

  # The course's name became the window title.
  titled() { [ "$(xdotool getwindowname "$win")" = " DORV デモコース" ]; }
  poll_until 20 titled || fail "window title: expected ' DORV デモコース', got '$(xdotool getwindowname "$win")'"

  # The desktop knows the window by the class of its launcher, "dorv".
  expect_eq "$(xprop -id "$win" WM_CLASS)" 'WM_CLASS(STRING) = "dorv", "dorv"' "the window's class"

  # The start-up steps were traced.
  grep -q -F "course configuration: $DORV_SOURCE/courses/demo/course.xml" "$work/out" || fail "no trace of the configuration"

  press "$win" ctrl+w
  confirm_quit_and_wait_exit " DORV デモコース" "$win"
  no_window
}

case_menu_exit_and_quiet_by_default() {
  start_x
  unset G_MESSAGES_DEBUG
  start_dorv "$DORV_SOURCE/courses/demo"
  local win
  # The caption comes with the page's start-up.
  win=$(wait_window " DORV デモコース" 60)
  # File (Alt+F), then Exit (X), by their mnemonics.
  open_menu "$win" alt+f
  press "$win" x
  confirm_quit_and_wait_exit " DORV デモコース" "$win"
  no_window
  [ ! -s "$work/err" ] && [ ! -s "$work/out" ] || fail "the program wrote output without being asked to trace"
}

case_close_button_and_about() {
  start_x
  export G_MESSAGES_DEBUG=dorv
  start_dorv "$DORV_SOURCE/courses/demo"
  local win
  win=$(wait_window DORV 30)
  wait_trace "page loaded:" 60
  # Help (Alt+H), then About (A), reach the application's About handler.
  open_menu "$win" alt+h
  press "$win" a
  wait_trace "about requested: PLENA DORV  Ver 3.01" 10
  press "$(wait_window "About This Program" 10)" Return
  wait_window_gone "About This Program"
  # The window manager's close button and Alt+F4 send WM_DELETE_WINDOW.
  "$XPROBE_BIN" close "$win"
  confirm_quit_and_wait_exit " DORV デモコース" "$win"
  grep -q -F "close requested" "$work/out" || fail "the close did not pass the frame's close gate"
  no_window
}

case_two_copies_at_once() {
  start_x
  start_dorv "$DORV_SOURCE/courses/demo"
  local first=$dorv_pid
  wait_window DORV 30 >/dev/null
  (cd "$DORV_SOURCE/courses/demo" && exec "$DORV_BIN") >"$work/out2" 2>"$work/err2" &
  local second=$!
  local count=0
  both_shown() {
    # Titled "DORV" until the course sets its caption, " DORV デモコース" after.
    count=$({ xdotool search --onlyvisible --name 'DORV' 2>/dev/null || true; } | wc -l)
    [ "$count" -ge 2 ] && return 0
    kill -0 "$second" 2>/dev/null || fail "the second copy ended: $(cat "$work/err2")"
    return 1
  }
  poll_until 30 both_shown || fail "windows of two copies: expected '2', got '$count'"
  expect_eq "$count" 2 "windows of two copies"
  kill "$second"
  wait "$second" 2>/dev/null || true
  kill -0 "$first" || fail "the first copy ended"
}

case_missing_ini() {
  mkdir -p "$work/empty"
  expect_start_up_failure "$work/empty" "設定ファイルの内容が無効です.$sp"
}

case_empty_config() {
  make_course "$work/c" $'[Document]\nconfig=\nmain=main.html\n'
  expect_start_up_failure "$work/c" "設定ファイルの内容が無効です.$sp"
}

case_location_too_long() {
  local long
  long=$(printf 'a%.0s' $(seq 257)).xml
  make_course "$work/c" $'[Document]\nconfig='"$long"$'\nmain=main.html\n'
  expect_start_up_failure "$work/c" "URLが長すぎます.$sp"
  grep -q -F -x -e "設定ファイルの内容を確認してください.$sp" "$work/err" || fail "second line missing"
}

case_missing_main_page() {
  make_course "$work/c" $'[Document]\nconfig=course.xml\nmain=lessons/missing.html\n'
  expect_start_up_failure "$work/c" "$work/c/lessons/missing.html was not found."
}

case_command_line() {
  local out status
  out=$("$DORV_BIN" --version)
  expect_eq "$out" "DORV 3.0.1.76" "--version"
  "$DORV_BIN" --help | grep -q -e '--version' || fail "--help does not list the options"
  status=0
  "$DORV_BIN" --no-such-option 2>"$work/err" || status=$?
  expect_eq "$status" 2 "exit status of an unknown option"
  grep -q "Try 'dorv --help'" "$work/err" || fail "no usage hint"
  status=0
  "$DORV_BIN" "$work/not-there" 2>"$work/err" || status=$?
  expect_eq "$status" 2 "exit status of a missing course folder"
  grep -q "not-there" "$work/err" || fail "the missing folder is not named"
}
