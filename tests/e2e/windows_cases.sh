# Courses copied from Windows machines run: file names in another letter
# case than on disk, "\" between folders, a drive letter in DORV.ini, and
# Japanese file names as code page 932 bytes, as an archive made on Windows
# leaves them; nothing outside the course becomes reachable.

cp932() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

# A course in folder $1 as copied from Windows: the names on disk in lower
# case, its pages and DORV.ini naming them otherwise. With $2 "cp932", a data
# file whose name is code page 932 bytes.
make_windows_course() {
  local dir=$1 pages=$DORV_SOURCE/tests/e2e/pages/windows
  mkdir -p "$dir/style" "$dir/images" "$dir/sub" "$dir/data" "$dir/sounds"
  cp "$pages/main.htm" "$dir/main.htm"
  cp "$pages/page.htm" "$dir/sub/page.htm"
  printf '<config file_title="WIN" courseware="Windows Ver 1"/>' >"$dir/course.xml"
  printf 'function lessonScript() { return "lesson"; }\n' >"$dir/lesson.js"
  printf '#styled { width: 123px; }\n' >"$dir/style/main.css"
  # A GIF of 4 x 1 pixels.
  printf 'GIF89a\x04\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff\x21\xf9\x04\x01\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x04\x00\x01\x00\x00\x02\x02\x84\x51\x00\x3b' >"$dir/images/title.gif"
  printf '<?xml version="1.0" encoding="utf-8"?>\n<lesson><word>猫</word></lesson>\n' >"$dir/data/lesson.xml"
  cp "$DORV_SOURCE/tests/e2e/media/tone.wav" "$dir/sounds/chime.wav"
  [ "${2:-}" != cp932 ] || printf '<words/>\n' >"$dir/data/$(cp932 単語).xml"
  # Written on Windows: line ends CR LF, the main page on drive D.
  printf '[Document]\r\nconfig=COURSE.XML\r\nmain=D:\\MAIN.HTM\r\n[Drives]\r\nD=%s,removable\r\n' "$dir" >"$dir/DORV.ini"
}

# Runs the course in folder $1 and waits for every one of the page's
# reports $2...; no script error may come.
expect_course_runs() {
  local dir=$1 what
  shift
  start_x
  export G_MESSAGES_DEBUG=dorv
  start_dorv "$dir"
  local win
  win=$(wait_window " Windows" 60)
  for what in "$@"; do wait_seen "$what" 30; done
  ! grep -q -F "host command Seen-error" "$work/out" || fail "a script error: $(grep -F 'Seen-error' "$work/out")"
  grep -q -F "D:\\MAIN.HTM stands for $dir/MAIN.HTM" "$work/out" || fail "drive D was not the course's folder"
  press "$win" ctrl+w
  confirm_quit_and_wait_exit " Windows" "$win"
  kill "$xvfb_pid"
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
}

case_course_copied_from_windows_runs() {
  local dir=$work/course
  make_windows_course "$dir" cp932
  mkdir -p "$work/Course" "$work/outside"
  echo secret >"$work/Course/secret.txt"
  echo notes >"$work/outside/notes.txt"
  ln -s "$work/outside" "$dir/Notes"
  expect_course_runs "$dir" loaded script style image-case image-backslash frame-ok window-ok location-ok xhr xml-load \
    code-page-name fetch outside-refused sound
  grep -q -F "$dir/MAIN.HTM: found as $dir/main.htm" "$work/out" || fail "the main page was not found"
  grep -q -F "NOTES/notes.txt: found as $dir/Notes/notes.txt" "$work/out" || fail "the link was not looked for"
  grep -q -F "not a file of the course: refused" "$work/out" || fail "nothing was refused"
}

# The same course on a memory stick formatted on Windows (FAT), where the
# file system itself ignores letter case.
case_course_copied_from_windows_runs_on_a_fat_stick() {
  local image=$work/fat.img stick=$work/stick
  mkdir -p "$stick"
  truncate -s 32M "$image"
  mkfs.vfat -n COURSE "$image" >/dev/null
  fusefat -o rw+ "$image" "$stick" >/dev/null 2>&1 || fail "the FAT image did not mount"
  mounted=$stick
  make_windows_course "$work/staged"
  cp -r "$work/staged/." "$stick/"
  printf '[Document]\r\nconfig=COURSE.XML\r\nmain=D:\\MAIN.HTM\r\n[Drives]\r\nD=%s,removable\r\n' "$stick" >"$stick/DORV.ini"
  expect_course_runs "$stick" loaded script style image-case image-backslash frame-ok window-ok location-ok xhr \
    xml-load fetch outside-refused sound
}

# A drive letter or network path of DORV.ini that stands for nothing here:
# the start-up's message names the path, standard error what was missing.
case_missing_drive_or_share_is_named() {
  make_windows_course "$work/c"
  local main expected
  for main in 'Q:\MAIN.HTM' '\\school\courses\english\MAIN.HTM'; do
    printf '[Document]\r\nconfig=COURSE.XML\r\nmain=%s\r\n' "$main" >"$work/c/DORV.ini"
    case $main in
      Q:*) expected='the drive letter Q: stands for no place here (name it in [Drives])' ;;
      *) expected='no share \\school\courses is mounted here' ;;
    esac
    start_x
    start_dorv "$work/c"
    answer_box_and_wait_exit
    expect_eq "$exit_status" 1 "exit status"
    grep -q -F -x -e "DORV: $main was not found." "$work/err" || fail "the box did not name $main: $(cat "$work/err")"
    grep -q -F -x -e "dorv: $main: $expected" "$work/err" || fail "what was missing is not said: $(cat "$work/err")"
    kill "$xvfb_pid"
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  done
}
