# Courses written for the old Windows shell run unchanged: their encodings,
# their own files, frames and windows, sound and voice, fonts, cookies and
# storage, and the old browser's script.

# Starts the program, traced, on course folder $1; waits for its window
# titled $2 (sets course_window).
start_course() {
  stop_x
  start_x
  export G_MESSAGES_DEBUG=dorv
  start_dorv "$1"
  course_window=$(wait_window "$2" 30)
}

# Ends the X server of an earlier run of the program in the same case.
stop_x() {
  [ -n "$xvfb_pid" ] || return 0
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
}

# The decoded text of the first report "Seen-$1-<text>:".
seen_text() {
  sed -n "s/.*host command Seen-$1-\\([^ ]*\\): ignored.*/\\1/p" "$work/out" | head -n 1 |
    python3 -c 'import sys, urllib.parse; print(urllib.parse.unquote(sys.stdin.read().strip()))'
}

# Every visible window titled exactly $1, one id a line.
windows_titled() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }

# The id of a second visible window titled $1 beside window $2, waiting up
# to 10 s; fails with $3 when none appears.
other_window() {
  poll_until 10 window_beside "$1" "$2" || fail "$3"
  windows_titled "$1" | grep -v -x "$2" | head -n 1
}
window_beside() { windows_titled "$1" | grep -q -v -x "$2"; }

# Waits up to 10 s until exactly one window is titled $1.
one_window_titled() { [ "$(windows_titled "$1" | wc -l)" = 1 ]; }
expect_one_window() {
  poll_until 10 one_window_titled "$1" || fail "$2: $(windows_titled "$1" | wc -l) windows titled '$1'"
}

# Ends the course through the quit dialog.
quit_course() {
  press "$course_window" ctrl+w
  confirm_quit_and_wait_exit "$1" "$course_window"
}

# A course folder $1 whose main page is the test page $2 (of pages/course),
# with its DORV.ini settings $3.
make_page_course() {
  mkdir -p "$1"
  printf '[Document]\nconfig=course.xml\nmain=%s\n[Settings]\n%s\n' "$2" "${3:-}" >"$1/DORV.ini"
  printf '<config file_title="PAGES" courseware="Pages"/>' >"$1/course.xml"
  cp "$DORV_SOURCE"/tests/e2e/pages/course/* "$1/"
}

case_classic_course_runs_unchanged() {
  cp -r "$DORV_SOURCE/courses/classic" "$work/classic"
  start_course "$work/classic" " クラシック講座"
  wait_seen classic-words-6 30
  wait_seen classic-frame-%E6%A1%9C   # 桜, from the lesson frame
  expect_eq "$(seen_text classic-title)" "クラシック講座　日本語の単語" "the page's title"
  expect_eq "$(seen_text classic-literal)" "①～⑥の単語を表示します（髙橋ソフト）" "a string literal of its script"
  # The sound effect of its <bgsound>, and the hint window it opens.
  press "$course_window" p
  wait_seen classic-chime-chime.wav
  press "$course_window" w
  wait_seen classic-hint-%E3%83%92%E3%83%B3%E3%83%88   # ヒント, read back from the hint window
  local hint
  hint=$(other_window " クラシック講座" "$course_window" "the hint window did not open as a window of the program")
  press "$hint" c
  wait_seen classic-hint-closed
  expect_one_window " クラシック講座" "after the hint closed itself"
  # No script error in any of its pages: the page counts them every 2 s;
  # the second count from now is made after everything above.
  local counts
  counts=$(count_trace "host command Seen-classic-errors-")
  wait_count "host command Seen-classic-errors-" $((counts + 2)) 15
  wait_seen classic-errors-0
  grep -q -F "Seen-classic-error-" "$work/out" && fail "script errors: $(grep -F "Seen-classic-error-" "$work/out" | head -3)"
  grep -F "Seen-classic-errors-" "$work/out" | grep -q -v -F "errors-0:" && fail "script errors counted"
  quit_course " クラシック講座"
}

case_old_browser_script_layer() {
  make_page_course "$work/c" compat_test.html
  cp "$DORV_SOURCE"/tests/e2e/pages/compat/* "$work/c/"
  start_course "$work/c" " Pages"
  wait_trace "host command Seen-compat-done-" 30
  grep -F "Seen-compat-fail-" "$work/out" | head -5 >&2 || true
  grep -q -F "host command Seen-compat-done-0-of-" "$work/out" || fail "checks of the old browser's script failed"
  # The author is told which control was asked for.
  grep -q -F "page: ActiveXObject: " "$work/out" || fail "an unknown ActiveX control was not traced"
  quit_course " Pages"
  # Turned off for a course that does not want it; cookies and storage still work.
  rm -rf "$work/c"
  make_page_course "$work/c" storage.html "compat=0"
  start_course "$work/c" " Pages"
  wait_seen storage-activex-undefined
  grep -q -F "old browser's script interfaces: off" "$work/out" || fail "not traced"
  quit_course " Pages"
}

# The port of the redirecting server, once it says it; sets www_port.
redirect_port_known() {
  www_port=$(sed -n 's/^port \([0-9]*\)/\1/p' "$work/www.log")
  [ -n "$www_port" ]
}

case_main_page_locations_are_normalised() {
  local main
  for main in ./probe.html sub/../probe.html ../shared/probe.html; do
    rm -rf "$work/c" "$work/shared"
    make_probe_course "$work/c" "" "{answers: ['Seen-polled:']}"
    mkdir -p "$work/c/sub" "$work/shared"
    if [ "$main" = ../shared/probe.html ]; then mv "$work/c/probe.html" "$work/c/probe.js" "$work/c/case.js" "$work/shared/"; fi
    sed -i "s|^main=.*|main=$main|" "$work/c/DORV.ini"
    start_probe "$work/c"
    wait_seen polled
    press "$probe_window" ctrl+w
    confirm_quit_and_wait_exit " Probe" "$probe_window"
    stop_x
  done
  # A main page on a server that redirects to another host name.
  rm -rf "$work/c" "$work/www"
  make_probe_course "$work/www" "" "{answers: ['Seen-polled:']}"
  mkdir -p "$work/c"
  cat >"$work/redirect.py" <<'PY'
import functools, http.server, sys
class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        if self.path == '/start.html':
            self.send_response(302)
            self.send_header('Location', 'http://localhost:%d/probe.html' % self.server.server_port)
            self.end_headers()
        else:
            super().do_GET()
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(Handler, directory=sys.argv[1]))
print('port', server.server_port, flush=True)
server.serve_forever()
PY
  python3 -u "$work/redirect.py" "$work/www" >"$work/www.log" 2>&1 &
  www_pid=$!
  poll_until 10 redirect_port_known || fail "the redirecting server did not start: $(cat "$work/www.log")"
  cp "$work/www/course.xml" "$work/c/"
  printf '[Document]\nconfig=course.xml\nmain=http://127.0.0.1:%s/start.html\n' "$www_port" >"$work/c/DORV.ini"
  start_probe "$work/c"
  wait_seen polled
  grep -q -F "page loaded: http://localhost:$www_port/probe.html" "$work/out" || fail "the redirect was not followed"
  press "$probe_window" ctrl+w
  confirm_quit_and_wait_exit " Probe" "$probe_window"
}

case_course_files_frames_and_windows() {
  make_page_course "$work/c" files.html
  mkdir -p "$work/c/data" "$work/c/pages" "$work/c/real" "$work/elsewhere"
  printf '単語' >"$work/c/data/word.txt"
  printf '単語' >"$work/c/real/word.txt"
  printf '<?xml version="1.0" encoding="Shift_JIS"?><w>語彙</w>' | iconv -t CP932 >"$work/c/data/lesson.xml"
  printf '<html><body>ユーティーエフ</body></html>' >"$work/c/pages/utf8.html"
  printf '<html><head><meta http-equiv="Content-Type" content="text/html; charset=EUC-JP"></head><body>日本語</body></html>' |
    iconv -t EUC-JP >"$work/c/pages/eucjp.html"
  printf '<html><body>シフトジス</body></html>' | iconv -t CP932 >"$work/c/pages/sjis.html"
  printf 'secret' >"$work/elsewhere/secret.txt"
  ln -s "$work/elsewhere" "$work/c/away"
  ln -s "$work/c/real" "$work/c/inside"
  printf 'const OUTSIDE = location.origin + %s;\n' "'$work/elsewhere/secret.txt'" >"$work/c/case.js"
  start_course "$work/c" " Pages"
  wait_seen files-done-all
  expect_eq "$(seen_text files-sync)" "200 単語" "synchronous XMLHttpRequest"
  expect_eq "$(seen_text files-xml)" "語彙" "Shift_JIS XML"
  expect_eq "$(seen_text files-fetch)" "200 単語" "fetch"
  expect_eq "$(seen_text files-link-in)" "200 単語" "a link inside the course"
  local name
  for name in outside up link-out; do
    expect_eq "$(seen_text "files-$name")" "NetworkError" "a file outside the course ($name)"
  done
  expect_eq "$(seen_text files-outside-fetch)" "TypeError" "fetch of a file outside the course"
  expect_eq "$(seen_text files-utf8-page)" "ユーティーエフ" "an undeclared UTF-8 page"
  expect_eq "$(seen_text files-eucjp-page)" "日本語" "a page declared EUC-JP"
  expect_eq "$(seen_text files-sjis-page)" "シフトジス" "an undeclared Shift_JIS page"
  grep -q -F "not a file of the course: refused" "$work/out" || fail "the refusal was not traced"
  # window.open: a window of the program with the course's caption, which
  # talks to its opener and closes itself.
  press "$course_window" o
  wait_seen files-opened-window
  wait_seen files-child-hello-Files
  local child
  child=$(other_window " Pages" "$course_window" "window.open opened no window of the program")
  press "$child" c
  expect_one_window " Pages" "after window.close() in the child"
  # window.close() in the main window asks as "Quit:" does.
  press "$course_window" x
  confirm_quit_and_wait_exit " Pages" "$course_window"
}

# The media samples play, wherever the course lies, and come to rest once loaded.
case_sound_and_video_wherever_the_course_lies() {
  local place places=("$HOME/courses/media" "$work/media")
  for place in /media /usr/share; do
    [ -w "$place" ] && places+=("$place/dorv-test-$$")
  done
  for place in "${places[@]}"; do
    rm -rf "$place" && mkdir -p "$place"
    extra_dirs="${extra_dirs:-} $place"
    make_page_course "$place" media.html
    cp "$DORV_SOURCE"/tests/e2e/media/*.html "$DORV_SOURCE"/tests/e2e/media/*.{wav,mp3,ogg,opus,m4a,mp4,webm} "$place/"
    start_course "$place" " Pages"
    wait_seen media-done 120
    local file
    for file in tone.wav tone.mp3 tone.ogg tone.opus tone.m4a clip.mp4 clip.webm clip-vp9.webm; do
      grep -q -F "Seen-media-ended-$file:" "$work/out" || fail "$file did not play to its end in $place: $(grep -F "Seen-media-" "$work/out" | grep -F "$file" | tail -1)"
      grep -q -F "Seen-media-ready-$file:" "$work/out" || fail "$file never could play through in $place"
    done
    # Loaded whole, a sound comes to rest: no longer loading, which would
    # wake the page three times a second for as long as it is shown.
    grep -q -F "Seen-media-rest-idle:" "$work/out" || fail "a preloaded sound stays loading in $place"
    quit_course " Pages"
    rm -rf "$place"
    stop_x
  done
}

case_microphone_and_speech() {
  make_page_course "$work/c" mic.html
  cp "$DORV_SOURCE"/tests/e2e/media/{mic,speech}.html "$work/c/"
  # The engine's own fake microphone.
  export DORV_FAKE_CAPTURE_DEVICES=1
  start_course "$work/c" " Pages"
  wait_seen mic-done 30
  grep -q -E "host command Seen-mic-recorded-[1-9][0-9]*:" "$work/out" || fail "nothing was recorded"
  wait_seen mic-played
  wait_seen mic-camera-NotAllowedError
  grep -q -F "asks for the microphone: granted" "$work/out" || fail "the microphone was not granted"
  grep -q -F "asks for the camera or screen: refused" "$work/out" || fail "the camera was not refused"
  # The window showed the recording, and stopped showing it.
  grep -q -F "microphone recording" "$work/out" || fail "the recording was not shown"
  wait_trace "microphone off" 30
  quit_course " Pages"
  sed -i 's/^main=.*/main=speech.html/' "$work/c/DORV.ini"
  start_course "$work/c" " Pages"
  wait_seen speech-ended 30
  quit_course " Pages"
}

case_cookies_and_storage_per_course() {
  make_page_course "$work/a" storage.html
  make_page_course "$work/b" storage.html
  start_course "$work/a" " Pages"
  wait_seen storage-written
  expect_eq "$(seen_text storage)" "none|none" "storage of a new course"
  quit_course " Pages"
  start_course "$work/a" " Pages"
  wait_seen storage-written
  expect_eq "$(seen_text storage)" "a|who=a" "storage of the same course, run again"
  quit_course " Pages"
  start_course "$work/b" " Pages"
  wait_seen storage-written
  expect_eq "$(seen_text storage)" "none|none" "storage of another course"
  quit_course " Pages"
  ls -d "$HOME"/.local/share/dorv/courses/a-* "$HOME"/.local/share/dorv/courses/b-* >/dev/null ||
    fail "no storage folder per course"
}

case_windows_font_names_resolve_by_metrics() {
  make_page_course "$work/c" fonts.html
  start_course "$work/c" " Pages"
  wait_trace "host command Seen-font-generic-"
  local line name width reference
  while read -r line; do
    name=${line%%-*} && line=${line#*-}
    width=${line%%-*} && reference=${line#*-}
    [ "$name" = generic ] && continue
    expect_eq "$width" "$reference" "width of $(printf '%b' "${name//%/\\x}") against its metric twin"
  done < <(sed -n 's/.*host command Seen-font-\([^ ]*\): ignored.*/\1/p' "$work/out")
  expect_eq "$(sed -n 's/.*host command Seen-font-.*: ignored.*/x/p' "$work/out" | wc -l)" 16 "fonts measured"
  # Only the program's processes see the names: the system's own configuration is unchanged.
  [ "$(fc-match -f '%{family}' 'ＭＳ Ｐゴシック')" != IPAPGothic ] || fail "the aliases reached the whole system"
  quit_course " Pages"
}
