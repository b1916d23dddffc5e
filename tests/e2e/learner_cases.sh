# The learner data from a page's host commands to the disk, byte for byte.

cp932() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

# Expects file $1 to hold exactly the bytes of file $2.
expect_bytes() {
  cmp -s "$1" "$2" || fail "$1 differs: $(od -c "$1" 2>&1 | head -3)"
}

case_learner_commands_reach_the_disk() {
  local stick=$work/stick pref='taro,太郎;hana,花子' pos='位置=3, "q"' score="点='9'"
  local log1=$'DEMO,1,1,1,1,1,2026/12/08,10:00:00,2026/12/08,10:03:12,192\n' log2=$'DEMO,2,日本\n'
  mkdir -p "$stick"
  make_probe_course "$work/c" "" "{answers: ['', 'CheckDrives:', 'Drive:F', 'Create:taro', 'User:taro',
    'StartRegist:\\nLog:\\nTest:', 'Rename:', 'Create:hana\\nUser:hana\\nStartMain:\\nDelete:', 'User:taro',
    'User:../x\\nLog:\\nCreate:../evil\\nCreate:a/b', 'Drive:C', 'Create:jiro', 'Seen-done:'],
    pref: '$pref', pos: '$pos', score: \"$score\", logs: ['$(printf '%s' "$log1" | sed 's/$/\\n/' | tr -d '\n')', '', 'DEMO,2,日本\\n']}"
  printf '[Drives]\nF=%s,removable\n' "$stick" >>"$work/c/DORV.ini"
  start_probe "$work/c"
  wait_seen done 30
  local data=$stick/PLENA/PROBE
  # The drive list: the user's own place and the configured stick.
  wait_trace "host command Seen-drives-C%3A (Local Disk)%0AF%3A (Removable Disk)%0A:"
  # Before any preferences, and for a new learner, the page gets no argument.
  wait_trace "host command Seen-users-<none>:"
  [ "$(count_seen_text 'pos-<none>')" -ge 1 ] || fail "SetPosData was not called without an argument"
  # PREF.PRF, TASK.DAT, SCORE.DAT in code page 932, as the page gave them.
  cp932 "$pref" >"$work/want"; expect_bytes "$data/PREF.PRF" "$work/want"
  cp932 "$pos" >"$work/want"; expect_bytes "$data/taro/TASK.DAT" "$work/want"
  cp932 "$score" >"$work/want"; expect_bytes "$data/taro/SCORE.DAT" "$work/want"
  # The history: the header, then the records back to back (the empty one
  # from StartMain: adds nothing; hana's records went with her folder).
  { printf 'CD,lecture,unit,step,part,section,start date,start time,end date,end time,total time\n'
    cp932 "$log1"; } >"$work/want"
  expect_bytes "$data/taro/HISTORY.DAT" "$work/want"
  [ ! -e "$data/hana" ] || fail "the deleted learner's folder is still there"
  [ ! -e "$data/PREF.PRF.bak" ] || fail "a safety copy was left"
  # Selecting taro again hands his data back.
  wait_trace "host command Seen-pos-$pos:"
  wait_trace "host command Seen-score-$score:"
  # Names that would reach outside the course data folder do nothing.
  [ ! -e "$stick/PLENA/evil" ] && [ ! -e "$data/a" ] && [ ! -e "$stick/PLENA/x" ] || fail "a refused name made a folder"
  grep -q -F 'learner name "../x" refused' "$work/out" || fail "the refused name is not traced"
  # Drive C: the user's own place (HOME has no documents folder here).
  [ -d "$HOME/PLENA/PROBE/jiro" ] || fail "no learner folder below HOME"
  cp932 "$pref" >"$work/want"; expect_bytes "$HOME/PLENA/PROBE/PREF.PRF" "$work/want"
  [ ! -s "$work/err" ] || fail "messages were shown: $(cat "$work/err")"
}

count_seen_text() { grep -c -F "host command Seen-$1:" "$work/out" || true; }
