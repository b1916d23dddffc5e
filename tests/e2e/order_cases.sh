# The poll's cadence and order, the page's own dialogs, the menu bar's
# keyboard focus and the engine's context menu, with real input.

# Where the engine's alert dialog has its button: the dialog sits in the
# middle of the page area, its one button along its bottom edge.
click_alert_button() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 300 + 72)) sleep 0.1 click 1
}

# Whether a menu of the menu bar is open (GTK names its menu windows after
# the program).
menu_open() { xdotool search --onlyvisible --name '^dorv$' >/dev/null 2>&1; }
menu_closed() { ! menu_open; }

# How often the window has given the keyboard back to the page so far.
count_keyboard_back() { count_trace "keyboard focus back to the page"; }

# Waits until the menu has closed and the window has given the keyboard back
# to the page: $1 times in all since the start.
wait_keyboard_back() {
  poll_until 10 menu_closed || fail "the menu did not close"
  wait_count "keyboard focus back to the page" "$1" 10
}

case_one_poll_per_tick() {
  make_probe_course "$work/c" "" '{cadence: 14}'
  start_probe "$work/c"
  wait_trace "host command Seen-gaps-" 20
  local gaps min max span
  gaps=$(sed -n 's/.*host command Seen-gaps-\([0-9]*\)-\([0-9]*\)-span-\([0-9]*\):.*/\1 \2 \3/p' "$work/out")
  read -r min max span <<<"$gaps"
  # 13 periods of 229 ms: no call follows another closely, none is missed.
  [ "$min" -ge 150 ] || fail "two GetState calls only $min ms apart (gaps $gaps)"
  [ "$max" -le 400 ] || fail "a gap of $max ms between GetState calls (gaps $gaps)"
  [ "$span" -ge 2700 ] && [ "$span" -le 3300 ] || fail "14 calls took $span ms, not 13 periods of 229 ms"
}

case_page_dialogs_never_block_input() {
  make_probe_course "$work/c" "" '{clickAlerts: 2, fullScrAnswer: "0"}'
  start_probe "$work/c"
  local win=$probe_window
  # An alert from GetState ("g" asks the page for one), while the shell
  # waits for its answer: answered by a click on its button, then by
  # Escape, then by Return.
  press "$win" g
  wait_page_dialog "$win" 1
  click_alert_button "$win"
  wait_seen_count alert-answered 1
  press "$win" g
  wait_page_dialog "$win" 2
  press "$win" Escape
  wait_seen_count alert-answered 2
  press "$win" g
  wait_page_dialog "$win" 3
  press "$win" Return
  wait_seen_count alert-answered 3
  # An alert from the page's own click handler: clicks and keys still reach
  # it, and the filter asks nothing of the stopped page.
  click_page "$win"
  wait_page_dialog "$win" 4
  click_alert_button "$win"
  wait_seen_count alert-answered 4
  click_page "$win"
  wait_page_dialog "$win" 5
  press "$win" Escape
  wait_seen_count alert-answered 5
  # The poll goes on, and the filter works again.
  press "$win" space
  wait_seen_count fullscr 1
  wait_seen_count key-Space 1
  # Ctrl+W while GetState waits in an alert: the close waits for the answer.
  press "$win" g
  wait_page_dialog "$win" 6
  press "$win" ctrl+w
  # The answer comes after Ctrl+W: the close is taken up only once the
  # page call has its answer, and the window is there till then.
  press "$win" Return
  wait_seen_count alert-answered 6
  running || fail "the window closed under a waiting page call"
  local answered closing
  answered=$(grep -n -F "host command Seen-alert-answered" "$work/out" | sed -n '6s/:.*//p')
  closing=$(grep -n -F "close requested" "$work/out" | head -n 1 | sed 's/:.*//')
  [ -z "$closing" ] || [ "$closing" -gt "$answered" ] || fail "the close was taken up under a waiting page call"
  confirm_quit_and_wait_exit " Probe" "$win"
  no_window
}

case_menus_give_the_keyboard_back() {
  make_probe_course "$work/c" ""
  start_probe "$work/c"
  local n=0
  # Space is the page's full-screen key; after each way through the menu
  # bar it must reach the page's filter, never a menu item.
  local back opener closers
  for keys in "alt+f Escape" "alt+h Escape" "F10 Escape" "alt+f Escape Escape"; do
    read -r opener closers <<<"$keys"
    back=$(count_keyboard_back)
    open_menu "$probe_window" "$opener"
    press "$probe_window" $closers
    wait_keyboard_back $((back + 1))
    press "$probe_window" space
    n=$((n + 1))
    wait_seen_count fullscr $n
    running || fail "Space after '$keys' quit the course"
  done
  # A click on the File menu, then Escape. The click leaves the keyboard on
  # the menu bar, which gives it back to the page at once (the open menu
  # still takes the keys); Escape closes the menu and gives it back again.
  back=$(count_keyboard_back)
  eval "$(xdotool getwindowgeometry --shell "$probe_window")"
  xdotool mousemove $((X + 30)) $((Y + 12)) sleep 0.1 click 1
  poll_until 10 menu_open || fail "a click on the File menu did not open it"
  press "$probe_window" Escape
  wait_keyboard_back $((back + 2))
  press "$probe_window" space
  wait_seen_count fullscr $((n + 1))
  running || fail "Space after a click on the menu quit the course"
}

case_context_menu_for_authors_only() {
  make_probe_course "$work/c" ""
  start_probe "$work/c"
  eval "$(xdotool getwindowgeometry --shell "$probe_window")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 300)) sleep 0.1 click 3
  wait_seen contextmenu
  # No menu took the keyboard: the next key reaches the page.
  press "$probe_window" a
  wait_seen key-a
}
