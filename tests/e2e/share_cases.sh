# Learner data on the network shares schools mount, against real servers
# on the case's own loopback, each share mounted by two lab machines
# through the clients a desktop uses (see shares.sh). Run through
# in-namespaces.sh.

source "$(dirname "${BASH_SOURCE[0]}")/shares.sh"

header='CD,lecture,unit,step,part,section,start date,start time,end date,end time,total time'
cp932() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

# File $1 holds exactly the text $2 in code page 932.
expect_text() {
  cp932 "$2" >"$work/want"
  cmp -s "$1" "$work/want" || fail "$1 differs: $(od -c "$1" 2>&1 | head -5)"
}

# The whole traces of both copies, for a case that fails.
show_traces() {
  local m
  for m in a b; do
    [ -s "$work/copy-$m.out" ] && { echo "--- copy $m's trace:"; cat "$work/copy-$m.out"; } >&2
    [ -s "$work/copy-$m.err" ] && { echo "--- copy $m's standard error:"; cat "$work/copy-$m.err"; } >&2
  done
  return 0
}
trap 'status=$?; [ $status -eq 0 ] || show_traces; stop_shares; cleanup; exit $status' EXIT

# A probe course in $1 whose drive S is folder $2, with the page's options $3.
share_course() {
  rm -rf "$1"
  make_probe_course "$1" "" "$3"
  printf '[Drives]\nS=%s,remote\n' "$2" >>"$1/DORV.ini"
}

# Answers the message box of copy $1 that shows $2 (on its standard error),
# as a learner would, with Return.
answer_box() {
  wait_for 30 "copy $1 showed no message '$2'" grep -q -F -e "DORV: $2" "$work/copy-$1.err"
  local box
  box=$(poll_until 30 visible_box) || fail "copy $1 shows no message box"
  press "$box" Return
  wait_for 10 "the message box of copy $1 did not go" eval "! visible_box >/dev/null"
}

# Prints the id of a visible message box of the program.
visible_box() {
  local ids
  ids=$(xdotool search --onlyvisible --name '^DORV$' 2>/dev/null) || return 1
  head -n 1 <<<"$ids"
}

# One machine creates learners, saves, logs, has an invalid history set
# aside and deletes a learner; the other machine, through its own mount of
# the same share, reads everything back and appends. On every client, and
# each machine finds every share among its network drives by itself.
case_one_machine_saves_the_other_reads_back() {
  start_servers
  start_machine a
  start_machine b
  start_x
  local client data first=1
  for client in "${clients[@]}"; do
    data=$(server_folder "$client")/PLENA/PROBE
    rm -rf "$data"
    mkdir -p "$data/三郎"
    printf 'broken' >"$data/三郎/HISTORY.DAT"
    share_course "$work/c" "$(share_of a "$client")" "{answers: ['', 'CheckDrives:', 'Drive:S',
      'Create:三郎\\nUser:三郎', 'Create:削除\\nUser:削除', 'StartRegist:\\nTest:', 'Delete:', 'User:三郎', 'Test:',
      'Log:'], pref: '三郎,1', pos: '位置=3', score: '点=9', logs: ['削除の記録\\n', '記録\\n']}"
    start_copy a "$work/c"
    answer_box a "Error: ログファイルの内容が不正です。"
    # The notice answered, the invalid file is set aside and the record follows the header.
    { echo "$header"; cp932 $'記録\n'; } >"$work/want"
    wait_for 20 "$client: the record after the notice was not written" cmp -s "$data/三郎/HISTORY.DAT" "$work/want"
    if [ $first = 1 ]; then
      local other
      for other in "${clients[@]}"; do
        grep -q -F "drive " "$work/copy-a.out" || fail "no drive list"
        grep -q -E "drive [D-Z]: $(share_of a "$other" | sed 's/[][\.*^$+?(){}|]/\\&/g') \(Network Drive\)" \
          "$work/copy-a.out" || fail "$other's share is no network drive: $(grep 'drive ' "$work/copy-a.out")"
      done
      first=0
    fi
    end_copy a
    expect_text "$data/PREF.PRF" "三郎,1"
    expect_text "$data/三郎/TASK.DAT" "位置=3"
    expect_text "$data/三郎/SCORE.DAT" "点=9"
    [ "$(cat "$data"/三郎/HISTORY.DAT-*)" = broken ] || fail "$client: the invalid history was not set aside"
    [ ! -e "$data/削除" ] || fail "$client: the deleted learner's folder stays: $(ls -a "$data/削除")"
    [ ! -s "$work/copy-a.err" ] || [ "$(grep -c '^DORV:' "$work/copy-a.err")" = 1 ] ||
      fail "$client: messages beside the notice: $(cat "$work/copy-a.err")"
    expect_no_leftovers "$data"

    # The other machine reads it all back and appends.
    share_course "$work/c" "$(share_of b "$client")" "{answers: ['', 'Drive:S', 'User:三郎', 'Log:',
      'Seen-done:'], logs: ['三\\n']}"
    start_copy b "$work/c"
    wait_copy_trace b "host command Seen-done:"
    for seen in "users-三郎,1" "pos-位置=3" "score-点=9"; do
      grep -q -F "host command Seen-$seen:" "$work/copy-b.out" || fail "$client: machine b did not read $seen"
    done
    end_copy b
    [ ! -s "$work/copy-b.err" ] || fail "$client: machine b showed: $(cat "$work/copy-b.err")"
    { echo "$header"; cp932 $'記録\n三\n'; } >"$work/want"
    cmp -s "$data/三郎/HISTORY.DAT" "$work/want" || fail "$client: $(od -c "$data/三郎/HISTORY.DAT" | tail -5)"
    expect_no_leftovers "$data"
    echo "ok: $client"
  done
}

# Two machines on one learner at once: the first has the learner, the
# second reads and appends but does not replace the first one's files, and
# is told. Every record of both is kept whole, the header once.
case_two_machines_on_one_learner() {
  start_servers
  start_machine a
  start_machine b
  start_x
  local client data records=30
  for client in "${clients[@]}"; do
    data=$(server_folder "$client")/PLENA/PROBE
    rm -rf "$data"
    # Both machines append their records at one moment, in bursts.
    local at=$(( $(date +%s%3N) + 12000 ))
    share_course "$work/a" "$(share_of a "$client")" "{answers: ['', 'Drive:S', 'Create:taro\\nUser:taro',
      'Seen-claimed:'], at: [[$at, 'Log:\\n'.repeat(30) + 'StartRegist:\\nSeen-done:']],
      pref: 'taro,1', pos: 'A-pos', logs: Array.from({length: 31}, (_, i) => 'A' + i + '-' + 'a'.repeat(40 + i) + '\\n')}"
    share_course "$work/b" "$(share_of b "$client")" "{answers: ['', 'Drive:S', 'User:taro'],
      at: [[$at, 'Log:\\n'.repeat($records) + 'Test:'], [$at + 500, 'Seen-done:']], pos: 'B-pos', score: 'B-score',
      logs: Array.from({length: $records}, (_, i) => 'B' + i + '-' + 'b'.repeat(40 + i) + '\\n')}"
    start_copy a "$work/a"
    wait_copy_trace a "host command Seen-claimed:"
    start_copy b "$work/b"
    wait_copy_trace b "host command Seen-done:" 60
    wait_copy_trace a "host command Seen-done:" 60
    local taro
    taro=$(share_of b "$client")/PLENA/PROBE/taro
    grep -q -F "DORV: A sharing violation occurred while accessing $taro/SCORE.DAT." "$work/copy-b.err" ||
      fail "$client: the second machine was not told: $(cat "$work/copy-b.err")"
    grep -q -F "the learner is in use by lab-a" "$work/copy-b.err" || fail "$client: the machine is not named"
    end_copy b
    end_copy a
    [ ! -s "$work/copy-a.err" ] || fail "$client: the first machine showed: $(cat "$work/copy-a.err")"
    local history=$data/taro/HISTORY.DAT
    [ "$(head -n 1 "$history")" = "$header" ] || fail "$client: no header"
    expect_eq "$(grep -c -x -F "$header" "$history")" 1 "$client: headers"
    expect_eq "$(grep -c -E '^A[0-9]+-a+$' "$history")" 31 "$client: whole records of machine a"
    expect_eq "$(grep -c -E '^B[0-9]+-b+$' "$history")" $records "$client: whole records of machine b"
    expect_eq "$(wc -l <"$history")" $((1 + 31 + records)) "$client: lines"
    local i
    for i in 0 17 30; do
      grep -q -x -F "A$i-$(printf 'a%.0s' $(seq $((40 + i))))" "$history" || fail "$client: record A$i"
    done
    expect_text "$data/taro/TASK.DAT" "A-pos"
    [ ! -e "$data/taro/SCORE.DAT" ] || fail "$client: the second machine replaced the scores"
    expect_no_leftovers "$data"
    echo "ok: $client"
  done
}
