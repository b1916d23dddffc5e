# The class records (dorv --records): a place's learner files read as the
# teacher sees them, exported as CSV files with no display at all, shown in
# a window that a screen reader and the keyboard alone can use, and a share
# that stops answering while it is read.

# Debian's Python, which has the D-Bus binding (another python3 may come
# first in PATH).
records_python=/usr/bin/python3
atspi() { "$records_python" "$DORV_SOURCE/tests/e2e/tools/atspi.py" "$@"; }

history_header='CD,lecture,unit,step,part,section,start date,start time,end date,end time,total time'

# Code page 932 bytes of a UTF-8 text, as learner folders are named on disk.
cp932() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

# A history file $1 with the header and the records $2... (a line each).
write_history() {
  local file=$1
  shift
  mkdir -p "$(dirname "$file")"
  { printf '%s\n' "$history_header"; [ $# -eq 0 ] || printf '%s\n' "$@"; } >"$file"
}

# The class of the cases, in place $1: course ENGLISH with learners of each
# kind, course FRENCH with one.
make_class() {
  local course=$1/PLENA/ENGLISH
  # Every way of writing a total time, and a value that cannot be read.
  write_history "$course/taro/HISTORY.DAT" \
    'EN1,1,1,1,1,1,2026/04/06,9:00:00,2026/04/06,9:12:34,754' \
    'EN1,1,2,1,1,1,2026/04/07,9:00:00,2026/04/07,9:12:34,0:12:34' \
    'EN1,2,1,1,1,1,2026/04/14,9:00:00,2026/04/14,9:12:34,12:34' \
    'EN1,2,2,1,1,1,2026/04/14,9:30:00,2026/04/14,9:40:00,abc'
  printf 'p' >"$course/taro/TASK.DAT"
  printf 's' >"$course/taro/SCORE.DAT"
  touch -d '2026-04-14 10:00:00 UTC' "$course/taro/TASK.DAT"
  touch -d '2026-04-14 10:01:00 UTC' "$course/taro/SCORE.DAT"
  # A Japanese name, a lecture in Japanese, and a record half written: the
  # last line has no line end and too few columns.
  local yamada=$course/$(cp932 山田花子)
  write_history "$yamada/HISTORY.DAT" \
    'EN1,1,1,1,1,1,2026/04/13,10:00:00,2026/04/13,11:00:00,1:00:00' \
    "EN1,$(cp932 第一課),1,2,1,1,2026/04/20,10:00:00,2026/04/20,10:05:00,5:00"
  printf 'EN1,1,1,3' >>"$yamada/HISTORY.DAT"
  # A damaged history, one the program set aside and a save left half done.
  local sato=$course/$(cp932 佐藤)
  mkdir -p "$sato"
  printf 'this is no history\nEN1,1,1,1,1,1,2026/04/06,9:00:00,2026/04/06,9:12:34,754\n' >"$sato/HISTORY.DAT"
  write_history "$sato/HISTORY.DAT-1775000000" 'broken'
  printf 'x' >"$sato/TASK.DAT.new"
  # A learner who never studied.
  mkdir -p "$course/jiro"
  printf 'pref' >"$course/jiro/PREF.PRF"

  write_history "$1/PLENA/FRENCH/marie/HISTORY.DAT" 'FR1,1,1,1,1,1,2026/05/04,9:00:00,2026/05/04,9:30:00,30:00'
}

# What the export of course ENGLISH must hold, byte for byte: UTF-8 with a
# byte-order mark, CRLF line ends.
expected_learners() {
  printf '\xEF\xBB\xBF'
  printf '%s\r\n' \
    'learner,sessions,total time,total seconds,first day,last day,lectures,units,position saved,scores saved,unreadable records,unreadable values,problems' \
    'jiro,0,0:00:00,0,,,,0,,,0,0,no history' \
    'taro,4,0:37:42,2262,2026-04-06,2026-04-14,"1, 2",4,2026-04-14 10:00,2026-04-14 10:01,0,1,' \
    '佐藤,0,0:00:00,0,,,,0,,,0,0,wrong history header; invalid history set aside: HISTORY.DAT-1775000000; temporary file of an interrupted save: TASK.DAT.new' \
    '山田花子,2,1:05:00,3900,2026-04-13,2026-04-20,"1, 第一課",2,,,1,0,'
}
expected_records() {
  printf '\xEF\xBB\xBF'
  printf '%s\r\n' \
    'learner,CD,lecture,unit,step,part,section,start date,start time,end date,end time,total time' \
    'taro,EN1,1,1,1,1,1,2026/04/06,9:00:00,2026/04/06,9:12:34,754' \
    'taro,EN1,1,2,1,1,1,2026/04/07,9:00:00,2026/04/07,9:12:34,0:12:34' \
    'taro,EN1,2,1,1,1,1,2026/04/14,9:00:00,2026/04/14,9:12:34,12:34' \
    'taro,EN1,2,2,1,1,1,2026/04/14,9:30:00,2026/04/14,9:40:00,abc' \
    '山田花子,EN1,1,1,1,1,1,2026/04/13,10:00:00,2026/04/13,11:00:00,1:00:00' \
    '山田花子,EN1,第一課,1,2,1,1,2026/04/20,10:00:00,2026/04/20,10:05:00,5:00'
}

# Both files of course ENGLISH in folder $1 are what they must be.
expect_english_export() {
  expected_learners >"$work/expected-learners.csv"
  expected_records >"$work/expected-records.csv"
  cmp "$1/ENGLISH-learners.csv" "$work/expected-learners.csv" >&2 ||
    fail "the class table differs: $(diff <(tr -d '\r' <"$1/ENGLISH-learners.csv") <(tr -d '\r' <"$work/expected-learners.csv"))"
  cmp "$1/ENGLISH-records.csv" "$work/expected-records.csv" >&2 ||
    fail "the records differ: $(diff <(tr -d '\r' <"$1/ENGLISH-records.csv") <(tr -d '\r' <"$work/expected-records.csv"))"
}

# Every file and folder below $1 with its size and time of last change.
listing() { (cd "$1" && find . -printf '%p %s %T@\n' | LC_ALL=C sort); }

# Runs the program with no display at all, its output in $work/out and
# $work/err; sets exit_status.
run_without_display() {
  exit_status=0
  env -u DISPLAY -u WAYLAND_DISPLAY "$DORV_BIN" "$@" >"$work/out" 2>"$work/err" || exit_status=$?
}

case_records_export_without_a_display() {
  export TZ=UTC LANGUAGE=en LC_ALL=C.UTF-8 HOME=$work/home GVFS_REMOTE_VOLUME_MONITOR_IGNORE=1
  unset DISPLAY WAYLAND_DISPLAY
  local place=$work/place
  make_class "$place"
  local before
  before=$(listing "$place/PLENA")

  run_without_display --records "$place" --export "$work/csv/new"
  expect_eq "$exit_status" 0 "exit status of the export ($(cat "$work/err"))"
  [ ! -s "$work/err" ] || fail "the export complained: $(cat "$work/err")"
  expect_english_export "$work/csv/new"
  expect_eq "$(ls "$work/csv/new" | tr '\n' ' ')" \
    "ENGLISH-learners.csv ENGLISH-records.csv FRENCH-learners.csv FRENCH-records.csv " "files written"
  grep -q -x -F "$work/csv/new/ENGLISH-learners.csv" "$work/out" || fail "the files written were not listed"
  grep -q -x -F "ENGLISH: 4 learners, 6 records, 1 unreadable records, 1 unreadable values, 4 damaged things" \
    "$work/out" || fail "the counts of course ENGLISH were not printed"
  expect_eq "$(listing "$place/PLENA")" "$before" "the learner data after the export"

  # Without a place: the user's documents folder, drive C:.
  mkdir -p "$HOME/.config" "$HOME/Documents"
  printf 'XDG_DOCUMENTS_DIR="$HOME/Documents"\n' >"$HOME/.config/user-dirs.dirs"
  make_class "$HOME/Documents"
  run_without_display --records --export "$work/csv/documents"
  expect_eq "$exit_status" 0 "exit status of the export of drive C: ($(cat "$work/err"))"
  expect_english_export "$work/csv/documents"

  # A place with no course data, and folders that cannot be written.
  mkdir -p "$work/empty/PLENA"
  run_without_display --records "$work/empty" --export "$work/csv/none"
  expect_eq "$exit_status" 1 "exit status for a place without course data"
  grep -q -F "holds no course data folder" "$work/err" || fail "no message for a place without course data"
  [ ! -e "$work/csv/none" ] || fail "a folder was made for a place without course data"
  printf 'x' >"$work/a-file"
  run_without_display --records "$place" --export "$work/a-file/sub"
  expect_eq "$exit_status" 1 "exit status for a folder that cannot be made"
  grep -q -F "cannot create the folder $work/a-file/sub" "$work/err" || fail "no message for a folder that cannot be made"
  if [ "$(id -u)" -ne 0 ]; then
    mkdir -p "$work/locked" && chmod 555 "$work/locked"
    run_without_display --records "$place" --export "$work/locked"
    chmod 755 "$work/locked"
    expect_eq "$exit_status" 1 "exit status for a folder that cannot be written"
    grep -q -F "$work/locked/ENGLISH-learners.csv" "$work/err" || fail "the file that failed was not named"
    expect_eq "$(ls -A "$work/locked")" "" "what was left in a folder that cannot be written"
  fi
  run_without_display --export "$work/csv/x"
  expect_eq "$exit_status" 2 "exit status of --export without --records"
  expect_eq "$(listing "$place/PLENA")" "$before" "the learner data after every export"
}

# Starts the records window for place $1 with the English texts (the
# Japanese ones when $2 is "ja") and waits for the window.
start_records() {
  start_x
  export G_MESSAGES_DEBUG=dorv LANGUAGE=${2:-en} LC_ALL=C.UTF-8 TZ=UTC
  start_dorv "$work" --records "$1"
  local title="Class Records"
  [ "${2:-en}" = en ] || title="学習記録"
  records_window=$(wait_window "$title — $1" 30)
}

# Waits for the table named $1 to show the rows $2 (tab-separated cells, a
# line each) to a screen reader.
rows_shown() { [ "$(atspi rows "$1" 2>/dev/null)" = "$2" ]; }
wait_rows() {
  poll_until 20 rows_shown "$1" "$2" ||
    fail "the table '$1' does not show what it should; it shows:
$(atspi rows "$1" 2>&1)
expected:
$2"
}

# The time of day of the first trace line holding $1, as GLib stamps it.
trace_time() { grep -m 1 -F -e "$1" "$work/out" | sed -n 's/.*-DEBUG: \([0-9:.]*\): .*/\1/p'; }

# Whether the screen reader's view of the windows holds the text $1; the
# description of the ROLE $1 named $2 holds the text $3.
tree_holds() { [[ "$(atspi tree 2>/dev/null)" == *"$1"* ]]; }
description_holds() { [[ "$(atspi describe "$1" "$2" 2>/dev/null)" == *"$3"* ]]; }

case_records_window_shows_the_class() {
  local place=$work/place
  make_class "$place"
  local before
  before=$(listing "$place/PLENA")
  start_records "$place"
  wait_trace "records: $place: 2 courses, 5 learners read in "
  wait_trace "records: course ENGLISH shows 4 learners: jiro, taro, 佐藤, 山田花子"
  wait_trace "records: course ENGLISH: 4 damaged things, 1 unreadable lines, 1 unreadable values"

  # What a screen reader finds: the class table, row by row, and the chart.
  local tab=$'\t'
  wait_rows "Class table of ENGLISH: one row for each learner" \
    "jiro${tab}0${tab}0:00:00${tab}${tab}${tab}${tab}0${tab}${tab}${tab}0${tab}no history
taro${tab}4${tab}0:37:42${tab}2026-04-06${tab}2026-04-14${tab}1, 2${tab}4${tab}2026-04-14 10:00${tab}2026-04-14 10:01${tab}1${tab}
佐藤${tab}0${tab}0:00:00${tab}${tab}${tab}${tab}0${tab}${tab}${tab}0${tab}wrong history header; invalid history set aside: HISTORY.DAT-1775000000; temporary file of an interrupted save: TASK.DAT.new
山田花子${tab}2${tab}1:05:00${tab}2026-04-13${tab}2026-04-20${tab}1, 第一課${tab}2${tab}${tab}${tab}1${tab}"
  description_holds image "Chart of study time per week" "The class studied 1:42:42 in all" ||
    fail "the chart does not tell what it shows: $(atspi describe image 'Chart of study time per week')"

  # The keyboard alone: the last row chosen, its weeks join the chart;
  # Enter opens the learner's records, with the half-written line marked.
  press "$records_window" End
  poll_until 10 description_holds image "Chart of study time per week" "山田花子: 1:05:00 in 2 weeks." ||
    fail "the chosen learner's weeks are not in the chart: $(atspi describe image 'Chart of study time per week')"
  press "$records_window" Return
  wait_trace "records: the records of 山田花子: 2 records, 1 unreadable lines"
  local learner
  learner=$(wait_window "Records of 山田花子" 10)
  wait_rows "History of 山田花子, one record a row" \
    "2${tab}${tab}EN1${tab}1${tab}1${tab}1${tab}1${tab}1${tab}2026/04/13${tab}10:00:00${tab}2026/04/13${tab}11:00:00${tab}1:00:00
3${tab}${tab}EN1${tab}第一課${tab}1${tab}2${tab}1${tab}1${tab}2026/04/20${tab}10:00:00${tab}2026/04/20${tab}10:05:00${tab}5:00
4${tab}unreadable line (4 columns)${tab}EN1${tab}1${tab}1${tab}3${tab}${tab}${tab}${tab}${tab}${tab}${tab}"
  press "$learner" Escape
  wait_window_gone "Records of 山田花子"

  # The other course, chosen with the course selector's key.
  press "$records_window" alt+o
  open_menu "$records_window" space
  press "$records_window" Down Return
  wait_trace "records: course FRENCH shows 1 learners: marie"
  # F5 reads the place again, keeping the course on show.
  press "$records_window" F5
  wait_count "records: $place: 2 courses, 5 learners read in " 2
  wait_count "records: course FRENCH shows 1 learners: marie" 2

  # Ctrl+E exports the course on show through the file chooser, a folder
  # typed after Ctrl+L.
  press "$records_window" alt+o
  open_menu "$records_window" space
  press "$records_window" Up Return
  wait_count "records: course ENGLISH shows 4 learners" 2
  mkdir -p "$work/chosen"
  export_through_chooser "$work/chosen"
  wait_trace "records: exported $work/chosen/ENGLISH-records.csv"
  expect_english_export "$work/chosen"
  tree_holds "Written: $work/chosen/ENGLISH-learners.csv, $work/chosen/ENGLISH-records.csv" ||
    fail "the window does not name the files written"
  # Files there already are replaced only when the teacher says so: the
  # question's default keeps them.
  local written
  written=$(listing "$work/chosen")
  export_through_chooser "$work/chosen"
  press "$(wait_window "Replace Files" 10)" Return
  wait_trace "records: export into $work/chosen cancelled: the files exist"
  expect_eq "$(listing "$work/chosen")" "$written" "the files of the first export"
  # A file that cannot be written is named in the window, and what was in
  # its way stays as it was.
  mkdir -p "$work/blocked/ENGLISH-records.csv"
  printf 'keep' >"$work/blocked/ENGLISH-records.csv/mine"
  export_through_chooser "$work/blocked"
  press "$(wait_window "Replace Files" 10)" shift+Tab Return
  wait_trace "records: export into $work/blocked failed: $work/blocked/ENGLISH-records.csv: "
  poll_until 10 tree_holds "The CSV files could not be written: $work/blocked/ENGLISH-records.csv: " ||
    fail "the window does not say which file could not be written"
  expect_eq "$(cat "$work/blocked/ENGLISH-records.csv/mine")" keep "what was in the export's way"

  # Ctrl+P prints the table and the chart; the print dialog's "Print to
  # File" writes a PDF (output.pdf in the working folder).
  press "$records_window" ctrl+p
  local dialog
  dialog=$(wait_window "Print" 10)
  press "$dialog" Down space alt+p
  wait_trace "records: printed 1 pages" 20
  wait_for 10 "no PDF was printed" test -s "$work/output.pdf"
  expect_eq "$(head -c 5 "$work/output.pdf")" "%PDF-" "the start of the printout"
  if command -v pdftotext >/dev/null; then
    local printed
    printed=$(pdftotext "$work/output.pdf" -)
    for text in "Class Records — ENGLISH ($place)" 山田花子 0:37:42 2026/4/6; do
      [[ "$printed" == *"$text"* ]] || fail "the printout lacks '$text': $printed"
    done
  fi

  press "$records_window" Escape
  wait_exit 10
  expect_eq "$exit_status" 0 "exit status"
  expect_eq "$(listing "$place/PLENA")" "$before" "the learner data after the window"
}

# Chooses folder $1 in the export's file chooser, opened with Ctrl+E.
export_through_chooser() {
  press "$records_window" ctrl+e
  local chooser
  chooser=$(wait_window "Export CSV to Folder" 10)
  press "$chooser" ctrl+l
  xdotool type --delay 20 "$1/"
  press "$chooser" Return
  wait_window_gone "Export CSV to Folder"
}

case_records_window_on_a_share_that_does_not_answer() {
  local place=$work/share
  write_history "$place/PLENA/ENGLISH/aki/HISTORY.DAT" 'EN1,1,1,1,1,1,2026/04/06,9:00:00,2026/04/06,9:12:34,754'
  write_history "$place/PLENA/ENGLISH/ken/HISTORY.DAT" 'EN1,1,1,1,1,1,2026/04/06,9:00:00,2026/04/06,9:12:34,754'
  # The server stops answering when the third learner's history is opened.
  write_history "$place/PLENA/ENGLISH/stalled/HISTORY.DAT" 'EN1,1,1,1,1,1,2026/04/06,9:00:00,2026/04/06,9:12:34,754'
  printf '#!/bin/sh\nexec env LD_PRELOAD=%s DORV_TEST_HANG_PATH=stalled/HISTORY.DAT %s "$@"\n' \
    "$FAULT_SHIM_LIB" "$DORV_BIN" >"$work/dorv-hung"
  chmod +x "$work/dorv-hung"
  DORV_BIN=$work/dorv-hung
  start_records "$place" ja

  # Progress shows from the first half second; the place is named once it
  # has been silent for ten seconds, the window answering all the while.
  wait_trace "records: progress shown" 10
  local after
  after=$(($(ms_of_day "$(trace_time "records: progress shown")") - $(ms_of_day "$(trace_time "records: reading $place")")))
  [ "$after" -ge 450 ] && [ "$after" -lt 3000 ] || fail "the progress showed $after ms after the reading started"
  wait_trace "records: $place does not answer" 30
  wait_trace "records: 学習者 2 / 3 人 so far"
  poll_until 10 tree_holds "label"$'\t'"$place が応答しません。" ||
    fail "the window does not say that the place does not answer: $(atspi tree 2>&1 | grep -F -e label)"
  ! grep -q -F "learners read in" "$work/out" || fail "a reading that never ended was shown as read"

  # The bar's Cancel (キャンセル(_C), Alt+C) gives the reading up; F5 reads
  # again and hangs again; the window still closes at once, leaving the
  # reading behind.
  press "$records_window" alt+c
  wait_trace "records: reading $place cancelled" 10
  press "$records_window" F5
  wait_count "records: progress shown" 2 10
  press "$records_window" ctrl+w
  wait_trace "records: window closed" 5
  wait_exit 5
  expect_eq "$exit_status" 0 "exit status"
}
