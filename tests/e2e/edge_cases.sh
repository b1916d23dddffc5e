# Edges of the close sequence, the page's own dialogs and print dialog, the
# Ctrl key's release, input methods, and the windows' icon and frames.

# A probe course $1 whose first load waits $2 s for a picture from a slow
# server, with the page options $3.
make_slow_probe_course() {
  make_probe_course "$1" "" "$3"
  cat >"$work/slow.py" <<'EOF'
import http.server, sys, time
class Slow(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        time.sleep(float(sys.argv[1]))
        self.send_response(404)
        self.end_headers()
    def log_message(self, *args):
        pass
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Slow)
print(server.server_address[1], flush=True)
server.serve_forever()
EOF
  python3 -u "$work/slow.py" "$2" >"$work/slow.port" 2>/dev/null &
  www_pid=$!
  wait_for 10 "the slow server did not start" test -s "$work/slow.port"
  sed -i "s|<body>|<body><img src=\"http://127.0.0.1:$(cat "$work/slow.port")/slow.png\">|" "$1/probe.html"
}

# Lines of the trace after the first that holds $1.
trace_after() { sed -n "/$1/,\$p" "$work/out"; }

# Presses Ctrl+W in main window $1 until its quit dialog (titled $2) is
# shown, and prints the dialog's id: a press that came before the window
# could take keys is made again (one that the program was only slow to
# answer is ignored while the dialog asks).
ask_to_quit() {
  for _ in 1 2 3 4 5; do
    press "$1" ctrl+w
    if poll_until 5 dialog_beside "$2" "$1"; then
      quit_dialog "$2" "$1"
      return 0
    fi
    running || fail "the program ended before its quit dialog appeared"
  done
  fail "Ctrl+W opened no quit dialog"
}
dialog_beside() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -q -v -x "$2"; }

case_close_requests_during_a_slow_first_load() {
  export G_MESSAGES_DEBUG=dorv
  start_x
  # Ctrl+W before the first load finishes: the load finishes under the quit
  # dialog, and no host command runs until the learner answers.
  make_slow_probe_course "$work/c" 4 "{answers: ['', 'Seen-polled:']}"
  start_dorv "$work/c"
  local win dialog
  win=$(wait_window "DORV" 30)
  wait_trace "window shown" 10
  dialog=$(ask_to_quit "$win" "PLENA DORV")
  wait_trace "page start-up" 20
  wait_trace "the poll waits: a close request is being handled" 5
  # A poll (every 229 ms) would have come by now.
  wait_trace_older "the poll waits: a close request is being handled" 1000
  trace_after "page start-up" | grep "call GetState" >/dev/null && fail "the page was polled while the quit dialog asked"
  press "$dialog" Escape
  wait_seen polled 10
  press "$win" ctrl+w
  confirm_quit_and_wait_exit " Probe" "$win"

  # A signal before the first load finishes: saved, the page told, gone
  # within 2 s; the page is never started or polled.
  rm -rf "$work/c"
  kill "$www_pid"
  make_slow_probe_course "$work/c" 4 "{answers: ['', 'Seen-polled:']}"
  start_dorv "$work/c"
  wait_trace "window shown" 30
  # The window is laid out: the program runs its main loop.
  wait_trace "window placed at" 10
  local t0=$SECONDS
  kill -TERM "$dorv_pid"
  wait_exit 5
  expect_eq "$exit_status" 0 "exit status after SIGTERM"
  [ $((SECONDS - t0)) -le 3 ] || fail "the program took $((SECONDS - t0)) s to end"
  grep -q "call GetState" "$work/out" && fail "the page was polled after the signal"
  grep -q -F "call OnClose (0 arguments)" "$work/out" || fail "the page was not told"
  no_window
}

case_force_quit_under_the_about_box() {
  make_probe_course "$work/c" "" "{later: [[3000, 'ForceQuit:']]}"
  start_probe "$work/c"
  open_menu "$probe_window" alt+h
  press "$probe_window" a
  wait_window "About This Program" 10 >/dev/null
  # The page's ForceQuit: closes the box with the course: nothing is left.
  wait_exit 15
  expect_eq "$exit_status" 0 "exit status"
  grep -q -F "call OnClose (0 arguments)" "$work/out" || fail "the page was not told"
  no_window
}

case_print_dialog_holds_no_call() {
  make_probe_course "$work/c" "" "{later: [[1000, 'Seen-later:']]}"
  start_probe "$work/c"
  # Printing from inside GetState: the call waits as long as the learner
  # takes, past the 10 s deadline, and the page is not restarted.
  press "$probe_window" p
  local dialog
  dialog=$(wait_window "Print" 20)
  wait_trace "print dialog opened" 5
  # Open for longer than the 10 s deadline of a page call.
  wait_trace_older "print dialog opened" 11000
  grep -q -e "does not respond" -e "page call abandoned" "$work/out" && fail "the print dialog's time counted toward the deadline"
  press "$dialog" Escape
  wait_trace "print dialog answered: cancel" 10
  wait_seen printed 10
  # Printing from a key handler: no poll meanwhile, polling goes on after.
  local polls
  press "$probe_window" q
  dialog=$(wait_window "Print" 20)
  polls=$(grep -c "call GetState" "$work/out")
  # Polls (every 229 ms) would have come by now.
  wait_trace_older "print dialog opened" 1000
  expect_eq "$(grep -c "call GetState" "$work/out")" "$polls" "polls while the print dialog is open"
  press "$dialog" Escape
  wait_seen printed-by-key 10
  press "$probe_window" a
  wait_seen key-a 10
  grep -q -F "ページが応答しなくなりました" "$work/err" && fail "the page counted as not responding"
  running || fail "the program ended"
}

case_ctrl_release_away_from_the_page() {
  make_probe_course "$work/c" ""
  start_probe "$work/c"
  # Ctrl+W: the release of Ctrl goes to the quit dialog; Cancel. The page
  # leaves its debug view all the same, told once.
  press "$probe_window" ctrl+w
  local dialog
  dialog=$(quit_dialog " Probe" "$probe_window")
  press "$dialog" Escape
  wait_seen debug-0 5
  # A key after them: what they made the page be told is reported by then.
  press "$probe_window" a
  wait_seen_count key-a 1
  expect_eq "$(count_seen debug-0)" 1 "SetDebugMode 0 after Ctrl+W and Cancel"
  # A Ctrl press and release on the page: one 3, one 0, as before.
  press "$probe_window" ctrl
  wait_seen_count debug-0 2
  press "$probe_window" a
  wait_seen_count key-a 2
  expect_eq "$(count_seen debug-0)" 2 "SetDebugMode 0 after a plain Ctrl press"
  # Ctrl held while the close button opens the quit dialog, released there.
  local released
  released=$(count_trace "the Ctrl key was released away from the page")
  xdotool keydown ctrl
  wait_seen_count debug-3 3 5
  "$XPROBE_BIN" close "$probe_window" >/dev/null 2>&1 || true
  dialog=$(quit_dialog " Probe" "$probe_window")
  xdotool keyup ctrl
  # Told at once; the page reports it when it is polled again, after Cancel.
  wait_count "the Ctrl key was released away from the page" $((released + 1)) 5
  press "$dialog" Escape
  wait_seen key-Control 5
  wait_seen_count debug-0 3
  press "$probe_window" a
  wait_seen_count key-a 3
  expect_eq "$(count_seen debug-0)" 3 "SetDebugMode 0 after a release in the quit dialog"
}

case_page_dialogs_carry_the_caption() {
  make_probe_course "$work/c" ""
  # Japanese (the language list of the environment, as gettext reads it).
  export LANG=C.UTF-8 LANGUAGE=ja
  start_probe "$work/c"
  press "$probe_window" g
  wait_trace 'page dialog (alert) titled "Probe": OK' 10
  press "$probe_window" Return
  wait_seen alert-answered 10
  press "$probe_window" c
  wait_trace 'page dialog (confirm) titled "Probe": キャンセル, OK' 10
  press "$probe_window" Return
  wait_seen confirm-true 10
  press "$probe_window" o
  wait_trace 'page dialog (prompt) titled "Probe": キャンセル, OK' 10
  press "$probe_window" Escape
  wait_seen prompt-null 10
  grep -q "JavaScript - " "$work/out" && fail "a dialog kept the engine's title"
  kill "$dorv_pid"
  wait_exit 5
  # In English, on a machine set so.
  export LANGUAGE=en
  start_dorv "$work/c"
  probe_window=$(wait_window " Probe" 30)
  wait_seen loaded 30
  press "$probe_window" c
  wait_trace 'page dialog (confirm) titled "Probe": Cancel, OK' 10
  press "$probe_window" Escape
  wait_seen confirm-false 10
}

case_input_method_keeps_space_and_escape() {
  make_probe_course "$work/c" "" "{fullScrAnswer: '0'}"
  sed -i 's|<body>|<body><input id="field" autofocus oninput="report(\x27typed-\x27 + this.value)">|' "$work/c/probe.html"
  start_x
  export G_MESSAGES_DEBUG=dorv GTK_IM_MODULE=gtk-im-context-simple
  start_dorv "$work/c"
  probe_window=$(wait_window " Probe" 30)
  wait_seen loaded 30
  # Ctrl+Shift+U starts a hexadecimal entry (the pre-edit shows "u"):
  # Space ends it and commits 一; Escape cancels another. Neither is
  # examined by the shell.
  press "$probe_window" ctrl+shift+u 4 e 0 0 space
  wait_seen typed-%E4%B8%80 5
  press "$probe_window" ctrl+shift+u 4 Escape
  # A key after them: had the shell asked the page about them, that would
  # be reported by then.
  press "$probe_window" a
  wait_seen key-a 5
  expect_eq "$(count_seen fullscr)" 0 "FullScr asked for keys of the input method"
  expect_eq "$(count_seen isfullscr)" 0 "IsFullScr asked for keys of the input method"
  # Without a pre-edit, the keys are examined as always.
  press "$probe_window" space
  wait_seen fullscr 5
  press "$probe_window" Escape
  wait_seen isfullscr 5
}

# The X property $2 of window $1.
x_property() { xprop -id "$1" "$2" 2>/dev/null; }

case_window_icon_and_dialog_frames() {
  # The first load takes a while: the quit dialog comes before the start-up.
  make_slow_probe_course "$work/c" 3 ""
  start_x
  export G_MESSAGES_DEBUG=dorv
  start_dorv "$work/c"
  local win dialog
  win=$(wait_window "DORV" 30)
  # The icon is there from the first frame, on the main window and on a
  # dialog opened at once. (Properties are read whole: a reader that stops
  # early would fail the pipe.)
  local icon
  icon=$(x_property "$win" _NET_WM_ICON)
  grep -q "Icon (16 x 16)" <<<"$icon" || fail "the main window has no icon at first"
  grep -q "Icon (48 x 48)" <<<"$icon" || fail "the main window has no 48 px icon"
  press "$win" ctrl+w
  dialog=$(quit_dialog "PLENA DORV" "$win")
  icon=$(x_property "$dialog" _NET_WM_ICON)
  grep -q "Icon (32 x 32)" <<<"$icon" || fail "the quit dialog has no icon"
  # A dialog: no maximising, minimising or resizing offered.
  x_property "$dialog" _NET_WM_WINDOW_TYPE | grep "_NET_WM_WINDOW_TYPE_DIALOG" >/dev/null || fail "the quit dialog is not typed a dialog"
  x_property "$dialog" _MOTIF_WM_HINTS | grep "0x3, 0x24, 0x1a, 0x0, 0x0" >/dev/null ||
    fail "the quit dialog offers more than move and close: $(x_property "$dialog" _MOTIF_WM_HINTS)"
  local hints
  hints=$(x_property "$dialog" WM_NORMAL_HINTS)
  [ "$(echo "$hints" | sed -n 's/.*minimum size: //p')" = "$(echo "$hints" | sed -n 's/.*maximum size: //p')" ] ||
    fail "the quit dialog can be resized: $hints"
  press "$dialog" Escape
  wait_window_gone "PLENA DORV" 2>/dev/null || true
}

# Window $1 stands in the middle of the 1024 x 768 screen (within 8 pixels
# across and 40 down); sets X, Y, WIDTH and HEIGHT.
box_centred() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  local cx=$((X + WIDTH / 2)) cy=$((Y + HEIGHT / 2))
  [ $((cx - 512)) -ge -8 ] && [ $((cx - 512)) -le 8 ] && [ $((cy - 384)) -ge -40 ] && [ $((cy - 384)) -le 40 ]
}

case_start_up_box_centred_and_names_the_ini() {
  mkdir -p "$work/empty"
  start_x
  start_dorv "$work/empty"
  local box
  box=$(wait_window DORV 30)
  # Placed once it is laid out.
  poll_until 10 box_centred "$box" || fail "the start-up box is not centred: ${WIDTH}x${HEIGHT} at $X,$Y"
  press "$box" Return
  wait_exit 10
  expect_eq "$exit_status" 1 "exit status"
  expect_eq "$(sed -n 1p "$work/err")" "DORV: 設定ファイルの内容が無効です.　" "message on standard error"
  grep -q -F "$work/empty/DORV.ini" <(sed -n 2p "$work/err") || fail "standard error does not name the settings file: $(cat "$work/err")"
}
