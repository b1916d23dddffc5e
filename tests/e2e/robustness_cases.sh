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
  wait_exit 5
  # Ended by the second signal, not by the close that the first one began.
  expect_eq "$exit_status" 130 "exit status after a second SIGINT"
}

case_page_that_stops_responding() {
  make_probe_course "$work/c" ""
  start_probe "$work/c"
  # Time in the page's own dialog does not count: an alert left open for
  # longer than the deadline is no hang.
  press "$probe_window" g
  wait_trace 'page dialog (alert) titled' 10
  wait_trace_older 'page dialog (alert) titled' 12000
  running || fail "the program ended"
  grep -q -F "応答しなくなりました" "$work/err" && fail "the time in the page's alert counted as a hang"
  press "$probe_window" Return
  wait_seen alert-answered 10
  # A GetState that never returns: after 10 s the learner is told, the
  # page's process is ended and the page loaded again.
  press "$probe_window" h
  local box
  box=$(wait_window DORV 20)
  grep -q -F "DORV: ページが応答しなくなりました。ページを読み込み直します。" "$work/err" || fail "the learner was not told"
  press "$box" Return
  wait_seen_count loaded 2 30
  expect_eq "$(count_seen loaded)" 2 "page loads"
  # The course still closes as usual.
  press "$probe_window" ctrl+w
  confirm_quit_and_wait_exit " Probe" "$probe_window"
}

# A web browser for the test: it writes down what it was asked to open.
install_fake_browser() {
  mkdir -p "$HOME/.local/share/applications" "$HOME/.config"
  printf '[Desktop Entry]\nType=Application\nName=Browser\nExec=sh -c "echo \\\\"$1\\\\" >>%s" browser %%u\nMimeType=x-scheme-handler/http;text/html;\n' \
    "$work/opened" >"$HOME/.local/share/applications/browser.desktop"
  printf '[Default Applications]\nx-scheme-handler/http=browser.desktop\ntext/html=browser.desktop\n' >"$HOME/.config/mimeapps.list"
}

# Serves folder $1 on a loopback port of its own; sets www_port.
serve_folder() {
  python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$1" >"$work/www.log" 2>&1 &
  www_pid=$!
  poll_until 10 www_port_known || fail "the test's web server did not start: $(cat "$work/www.log")"
}
www_port_known() {
  www_port=$(sed -n 's/.* port \([0-9]*\).*/\1/p' "$work/www.log" | head -n 1)
  [ -n "$www_port" ]
}

# How many times the fake browser was asked to open $1.
times_opened() { grep -c -F "$1" "$work/opened" 2>/dev/null || true; }
opened_at_least() { [ "$(times_opened "$1")" -ge "$2" ]; }

case_pages_from_elsewhere_open_in_the_browser() {
  # Another origin, served on loopback by the test.
  mkdir -p "$work/www"
  printf '<!DOCTYPE html><html><body><script>function GetState() { return "Quit:"; }</script>Elsewhere</body></html>' \
    >"$work/www/away.html"
  serve_folder "$work/www"
  local away=http://127.0.0.1:$www_port/away.html
  make_probe_course "$work/c" "" "{away: '$away'}"
  # Each time the course's page is shown: loaded, or back from the engine's
  # cache of pages left.
  echo "window.addEventListener('pageshow', (e) => report('pageshow-' + e.persisted));" >>"$work/c/case.js"
  start_x
  install_fake_browser
  export G_MESSAGES_DEBUG=dorv
  start_dorv "$work/c"
  probe_window=$(wait_window " Probe" 30)
  wait_seen loaded 30
  local key n=0 opened="$away is not one of the course's pages: opened in the web browser"
  for key in l r; do
    press "$probe_window" "$key"
    n=$((n + 1))
    poll_until 10 opened_at_least "$away" "$n" ||
      fail "pages opened in the browser after '$key': expected '$n', got '$(times_opened "$away")'"
    expect_eq "$(times_opened "$away")" "$n" "pages opened in the browser after '$key'"
    grep -q -F "$opened" "$work/out" || fail "not traced"
    # The course stays in the window, or comes back to it (shown again
    # after "r"), and is polled as before.
    if [ "$key" = r ]; then
      wait_count "host command Seen-pageshow-" 2 30
    fi
    press "$probe_window" a
    wait_seen_count key-a "$n"
    expect_eq "$(count_seen key-a)" "$n" "keys reaching the course after '$key'"
    # Opened once: a second try of the same address within a second is the
    # same one; past that, the next try is a new one.
    wait_trace_older "$opened" 1200
    expect_eq "$(times_opened "$away")" "$n" "pages opened in the browser after '$key'"
  done
  grep -q -F "host command Quit" "$work/out" && fail "the page from elsewhere was polled"
  kill "$www_pid" 2>/dev/null || true
  press "$probe_window" ctrl+w
  confirm_quit_and_wait_exit " Probe" "$probe_window"
}

# Copies of the learner's files, to compare with afterwards.
snapshot_learner() { rm -rf "$work/before"; cp -r "$work/stick/PLENA" "$work/before"; }
expect_learner_intact() {
  diff -r "$work/before" "$work/stick/PLENA" >&2 || fail "the learner's files changed: $1"
}

case_hostile_answers_change_nothing() {
  start_learner_course "score: 's'"
  press "$probe_window" ctrl+w   # nothing in the files yet: Test: first
  press "$(quit_dialog " Probe" "$probe_window")" Escape
  snapshot_learner
  local key marker
  for key in 1 2 3; do
    marker=$(case $key in 1) echo big-done ;; 2) echo lines-done ;; 3) echo garbage-done ;; esac)
    press "$probe_window" "$key"
    wait_seen "$marker" 60
  done
  running || fail "the program ended"
  [ ! -s "$work/err" ] || fail "messages were shown: $(head -c 300 "$work/err")"
  expect_learner_intact "after hostile answers"
  # A page whose every function throws: nothing shown, and it still closes.
  local failed
  failed=$(count_trace "call GetState (0 arguments): failed")
  press "$probe_window" t
  # A second of polls (every 229 ms) that throw.
  wait_count "call GetState (0 arguments): failed" $((failed + 4)) 10
  press "$probe_window" ctrl+w
  confirm_quit_and_wait_exit " Probe" "$probe_window"
  [ ! -s "$work/err" ] || fail "messages were shown: $(head -c 300 "$work/err")"
}

case_hostile_sizes_and_names() {
  local long
  long=$(printf 'n%.0s' $(seq 10000))
  start_learner_course "prefSizes: ['1', '-1', 'abc', '99999999999'],
    later: [[500, 'Rename:'], [2500, 'Rename:\\nRename:\\nCreate:..\\nCreate:a/b\\nCreate:a\\\\b\\nCreate:x\\u0001y\\nCreate:$long\\nSeen-names-done:']]"
  local data=$work/stick/PLENA/PROBE
  # "-1": the out-of-memory message; PREF.PRF as it was.
  local box
  box=$(wait_window DORV 20)
  grep -q -x -F "DORV: Out of memory." "$work/err" || fail "no out-of-memory message"
  press "$box" Return
  expect_eq "$(cat "$data/PREF.PRF")" "p" "PREF.PRF after GetPrefSize -1"
  # "abc" and "99999999999" save as usual; the names that reach elsewhere,
  # or cannot be a folder, make nothing.
  wait_seen names-done 30
  expect_eq "$(cat "$data/PREF.PRF")" "p" "PREF.PRF"
  expect_eq "$(cd "$work/stick" && find . | sort | tr '\n' ' ')" \
    ". ./PLENA ./PLENA/PROBE ./PLENA/PROBE/PREF.PRF ./PLENA/PROBE/taro " "folders on the stick"
  [ ! -e "$work/stick/PLENA/a" ] && [ ! -e "$work/c/a" ] || fail "a refused name made a folder"
  expect_eq "$(grep -c '^DORV: ' "$work/err")" 1 "messages shown"
  running || fail "the program ended"
}

# The boxes of one close have the same title: waits until box $1 has gone,
# then answers the next one (which says $2 on standard error, if given) and
# prints its id.
answer_next_box() {
  wait_for 10 "the box $1 did not go" eval "! xdotool getwindowname $1 >/dev/null 2>&1"
  local next
  next=$(wait_window DORV 20)
  [ -z "${2:-}" ] || wait_for 5 "no message: $2 ($(cat "$work/err"))" grep -q -F -e "$2" "$work/err"
  press "$next" Return
  echo "$next"
}

case_disk_faults_keep_earlier_files() {
  # The stick is a small file system of its own, filled up. (A file-size
  # limit cannot stand in for it where no file system may be mounted: the
  # page engine and its helpers do not start under one.)
  mkdir -p "$work/stick"
  local full=
  if mount -t tmpfs -o size=256k tmpfs "$work/stick" 2>/dev/null; then
    mounted=$work/stick
    full=1
  else
    echo "note: no file system may be mounted here; the full-disk part is left out" >&2
  fi
  start_learner_course "score: '$(printf 's%.0s' $(seq 6000))', later: [[1500, 'Test:\\nSeen-saved:']]"
  local learner=$work/stick/PLENA/PROBE/taro box file
  if [ -n "$full" ]; then
    printf 'old' >"$learner/SCORE.DAT"
    kill "$dorv_pid"; wait "$dorv_pid" 2>/dev/null; dorv_pid=
    cat /dev/zero >"$work/stick/filler" 2>/dev/null || true   # the stick is full now
    start_dorv "$work/c"
    probe_window=$(wait_window " Probe" 30)
    # The page saves its preferences again ("Create:") and then the scores
    # ("Test:"): both are refused by the full disk, and the learner is told.
    for file in "$work/stick/PLENA/PROBE/PREF.PRF" "$learner/SCORE.DAT"; do
      box=$(wait_window DORV 30)
      poll_until 5 grep -q -F "DORV: Disk full while accessing $file." "$work/err" ||
        fail "the full disk was not reported for $file: $(cat "$work/err")"
      press "$box" Return
      wait_window_gone DORV
    done
    expect_eq "$(cat "$work/stick/PLENA/PROBE/PREF.PRF")" "p" "PREF.PRF after a failed save"
    expect_eq "$(cat "$learner/SCORE.DAT")" "old" "SCORE.DAT after a failed save"
    [ ! -e "$learner/SCORE.DAT.new" ] || fail "a half-written file was left"
    rm -f "$work/stick/filler"
    # A stick made read-only: the history record is refused with its two
    # messages, the position with the file's, and the earlier files stay.
    kill "$dorv_pid"; wait "$dorv_pid" 2>/dev/null; dorv_pid=
    start_dorv "$work/c"
    probe_window=$(wait_window " Probe" 30)
    wait_seen ready
    mount -o remount,ro "$work/stick"
    press "$probe_window" ctrl+w
    press "$(quit_dialog " Probe" "$probe_window")" Return
    box=$(wait_window DORV 20)
    grep -q -F "DORV: Error: Read-only file system" "$work/err" || fail "the read-only stick was not reported: $(cat "$work/err")"
    press "$box" Return
    box=$(answer_next_box "$box")
    answer_next_box "$box" "DORV: Access to $learner/TASK.DAT was denied." >/dev/null
    wait_exit 20
    expect_eq "$(cat "$learner/SCORE.DAT")" "old" "SCORE.DAT on the read-only stick"
    mount -o remount,rw "$work/stick"
    start_dorv "$work/c"
    probe_window=$(wait_window " Probe" 30)
    wait_seen ready
  fi
  # The learner's folder removed while selected: the history is not saved,
  # as the learner is told, and nothing else breaks.
  rm -rf "$learner"
  press "$probe_window" ctrl+w
  press "$(quit_dialog " Probe" "$probe_window")" Return
  box=$(wait_window DORV 20)
  grep -q -F "ログファイルを開けませんでした。" "$work/err" || fail "the missing folder was not reported"
  press "$box" Return
  box=$(answer_next_box "$box")
  answer_next_box "$box" "DORV: $learner/TASK.DAT was not found." >/dev/null
  wait_exit 20
  expect_eq "$exit_status" 0 "exit status"
  [ ! -e "$learner" ] || fail "the removed learner folder came back"
}

# A signal while a dialog of the program is open: nobody is there to answer
# it, so it is answered as OK and the forced close saves, tells the page and
# ends the program; no window is left.
case_signal_while_a_dialog_is_open() {
  local learner=$work/stick/PLENA/PROBE/taro
  start_learner_course
  rm -f "$learner/TASK.DAT" "$learner/HISTORY.DAT"
  press "$probe_window" ctrl+w
  quit_dialog " Probe" "$probe_window" >/dev/null
  local t0=$SECONDS
  kill -s TERM "$dorv_pid"
  wait_exit 5
  expect_eq "$exit_status" 0 "exit status after SIGTERM under the quit dialog"
  [ $((SECONDS - t0)) -le 3 ] || fail "the program took $((SECONDS - t0)) s to end"
  expect_eq "$(cat "$learner/TASK.DAT")" "step=4" "TASK.DAT after SIGTERM under the quit dialog"
  expect_eq "$(cat "$learner/HISTORY.DAT")" "$header"$'\n'"last" "HISTORY.DAT after SIGTERM under the quit dialog"
  grep -q -F "call OnClose (0 arguments): done" "$work/out" || fail "the page was not told"
  no_window
  kill "$xvfb_pid"; wait "$xvfb_pid" 2>/dev/null || true; xvfb_pid=
  # The about box goes with the course too.
  start_learner_course
  open_menu "$probe_window" alt+h
  press "$probe_window" a
  wait_window "About This Program" 10 >/dev/null
  kill -s TERM "$dorv_pid"
  wait_exit 5
  expect_eq "$exit_status" 0 "exit status after SIGTERM under the about box"
  [ -z "$(xdotool search --name 'About This Program' 2>/dev/null)" ] || fail "the about box stayed on the screen"
  no_window
}
