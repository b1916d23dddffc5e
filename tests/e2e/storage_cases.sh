# Learner data on the storage that schools use: sticks formatted on Windows
# (FAT and exFAT, through FUSE where the kernel has no driver) and network
# shares whose file system refuses locks.

cp932() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

# From now on the program (and nothing else the test starts: the X server
# and the tools keep their own file systems) runs with the fault library and
# the settings $@.
with_faults() {
  local real=${real_dorv:-$DORV_BIN}
  real_dorv=$real
  printf '#!/bin/sh\nexec env LD_PRELOAD=%s %s %s "$@"\n' "$FAULT_SHIM_LIB" "$*" "$real" >"$work/dorv-with-faults"
  chmod +x "$work/dorv-with-faults"
  DORV_BIN=$work/dorv-with-faults
}
without_faults() { DORV_BIN=${real_dorv:-$DORV_BIN}; }
expect_bytes() { cmp -s "$1" "$2" || fail "$1 differs: $(od -c "$1" 2>&1 | head -3)"; }

# A probe course whose stick is folder $1; the page creates and selects
# learner $2 and saves position, scores and (unless $3 is "no-history") two
# history records.
run_learner_session() {
  local stick=$1 name=$2 logs="'記録\\n', '二\\n'"
  [ "${3:-}" != no-history ] || logs=
  rm -rf "$work/c"
  make_probe_course "$work/c" "" "{answers: ['', 'Drive:F', 'Create:$name\\nUser:$name', 'StartRegist:\\nTest:',
    'Log:', 'User:$name', 'Seen-done:'], pref: '$name,1', pos: '位置=3', score: '点=9', logs: [$logs]}"
  printf '[Drives]\nF=%s,removable\n' "$stick" >>"$work/c/DORV.ini"
  start_probe "$work/c"
  wait_seen done 30
  press "$probe_window" ctrl+w
  confirm_quit_and_wait_exit " Probe" "$probe_window"
  kill "$xvfb_pid"; wait "$xvfb_pid" 2>/dev/null || true; xvfb_pid=
}

# The files of learner folder $1 (below course data folder $2) as the page gave them.
expect_learner_files() {
  local folder=$1 data=$2
  cp932 "位置=3" >"$work/want"; expect_bytes "$folder/TASK.DAT" "$work/want"
  cp932 "点=9" >"$work/want"; expect_bytes "$folder/SCORE.DAT" "$work/want"
  cp932 "$3,1" >"$work/want"; expect_bytes "$data/PREF.PRF" "$work/want"
  if [ "${4:-}" = no-history ]; then
    [ ! -e "$folder/HISTORY.DAT" ] || fail "a history without records"
  else
    { printf 'CD,lecture,unit,step,part,section,start date,start time,end date,end time,total time\n'
      cp932 $'記録\n二\n'; } >"$work/want"
    expect_bytes "$folder/HISTORY.DAT" "$work/want"
  fi
  local left
  left=$(find "$data" -name '*.new' -o -name '*.bak' | head -3)
  [ -z "$left" ] || fail "temporary files were left: $left"
}

case_fat_and_exfat_sticks_with_japanese_names() {
  local kind stick image
  for kind in exfat fat; do
    stick=$work/stick-$kind image=$work/$kind.img
    mkdir -p "$stick"
    truncate -s 64M "$image"
    if [ $kind = exfat ]; then
      mkfs.exfat -L STICK "$image" >/dev/null
      # exfat-fuse mounts block devices only, as root.
      if ! loop_device=$(losetup -f --show "$image" 2>/dev/null); then
        echo "note: no loop device here; the exFAT stick is not tried"
        loop_device=
        continue
      fi
      mount.exfat-fuse "$loop_device" "$stick" >/dev/null 2>&1 || fail "the exFAT image did not mount"
    else
      mkfs.vfat -n STICK "$image" >/dev/null
      # The learner's folder as a Windows machine made it (long name in
      # UTF-16): fusefat writes no non-ASCII names of its own.
      MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8 mmd -i "$image" ::PLENA ::PLENA/PROBE ::PLENA/PROBE/山田～
      fusefat -o rw+ "$image" "$stick" >/dev/null 2>&1 || fail "the FAT image did not mount"
    fi
    mounted=$stick
    # 〜 as a Linux input method types it; the folder is 山田～, as on
    # Windows. fusefat cannot append: the history is tried on exFAT only.
    local history=
    [ $kind = exfat ] || history=no-history
    run_learner_session "$stick" "山田〜" $history
    expect_learner_files "$stick/PLENA/PROBE/山田～" "$stick/PLENA/PROBE" "山田〜" $history
    [ ! -e "$stick/PLENA/PROBE/山田〜" ] || fail "a second folder for the same learner on $kind"
    # The learner's position comes back in a second run.
    grep -q -F "host command Seen-pos-位置=3:" "$work/out" || fail "the position was not loaded back on $kind"
    fusermount -u "$stick" 2>/dev/null || umount "$stick"
    mounted=
    [ -z "${loop_device:-}" ] || losetup -d "$loop_device"
    loop_device=
  done
}

case_network_shares_that_refuse_locks() {
  local stick=$work/share
  mkdir -p "$stick"
  # NFS refuses flock on descriptors opened for reading; NFSv3 without a
  # lock manager refuses every lock.
  local setting
  for setting in "DORV_TEST_FLOCK_ERRNO=9" "DORV_TEST_FLOCK_ERRNO=37 DORV_TEST_NO_RANGE_LOCKS=1"; do
    rm -rf "$stick/PLENA"
    with_faults $setting
    run_learner_session "$stick" "taro"
    without_faults
    expect_learner_files "$stick/PLENA/PROBE/taro" "$stick/PLENA/PROBE" "taro"
    local traced
    traced=$(grep -F "refuses file locks" "$work/out" | sed 's/.*dorv-DEBUG: [0-9:.]*: //' || true)
    [ -n "$traced" ] || fail "the lock fallback was not traced"
    expect_eq "$(sort <<<"$traced" | uniq -d)" "" "traces of the lock fallback (once per place)"
    [ ! -s "$work/err" ] || fail "messages were shown: $(head -c 300 "$work/err")"
  done
}

# A place whose server hangs: the drive list leaves it out after about a
# second, and file work there gives up after 10 s with the file's message,
# while the course goes on.
case_hung_places_never_hold_the_course() {
  mkdir -p "$work/hung-share" "$work/stick"
  make_probe_course "$work/c" "" "{answers: ['', 'CheckDrives:', 'Drive:G', 'Seen-after:']}"
  printf '[Drives]\nF=%s,removable\nG=%s,remote\n' "$work/hung-share" "$work/stick" >>"$work/c/DORV.ini"
  # Open and probe calls of the share never return; the stick works.
  with_faults DORV_TEST_HANG_PATH=hung-share
  start_probe "$work/c"
  wait_trace "hung-share did not answer within 1000 ms: left out" 10
  wait_trace "host command Seen-drives-C%3A (Local Disk)%0AG%3A (Network Drive)%0A:" 10
  wait_seen after 10
  press "$probe_window" ctrl+w
  confirm_quit_and_wait_exit " Probe" "$probe_window"
  stop_probe_x
  # The share as the chosen drive: its PREF.PRF never opens.
  rm -rf "$work/c"
  make_probe_course "$work/c" "" "{answers: ['', 'Drive:F', 'Seen-after:']}"
  printf '[Drives]\nF=%s,removable\n' "$work/hung-share" >>"$work/c/DORV.ini"
  mkdir -p "$work/hung-share/PLENA/PROBE"
  printf 'p' >"$work/hung-share/PLENA/PROBE/PREF.PRF"
  start_probe "$work/c"
  local started=$SECONDS
  wait_trace "PREF.PRF: no answer within 10000 ms: given up" 20
  [ $((SECONDS - started)) -ge 9 ] || fail "gave up too early"
  local box
  box=$(quit_dialog DORV "$probe_window")
  press "$box" Return
  grep -q -F "DORV: An unknown error occurred while accessing $work/hung-share/PLENA/PROBE/PREF.PRF." "$work/err" ||
    fail "the learner was not told which file: $(cat "$work/err")"
  wait_seen after 10
  press "$probe_window" ctrl+w
  confirm_quit_and_wait_exit " Probe" "$probe_window"
  without_faults
}

stop_probe_x() { kill "$xvfb_pid"; wait "$xvfb_pid" 2>/dev/null || true; xvfb_pid=; }

# The notice of an invalid history stays open while the page goes on; the
# page selects another learner meanwhile. The notice's file is set aside and
# the record goes to the learner it belongs to; the other learner's valid
# history is left as it was.
case_the_notice_acts_on_its_own_learner() {
  local stick=$work/stick data=$work/stick/PLENA/PROBE
  mkdir -p "$data/三郎"
  printf 'broken' >"$data/三郎/HISTORY.DAT"
  make_probe_course "$work/c" "" "{answers: ['', 'Drive:F', 'Create:削除\\nUser:削除', 'Log:', 'User:三郎',
    'Log:', 'User:削除', 'Seen-switched:'], pref: '削除,1', logs: ['削除の記録\\n', '三郎の記録\\n']}"
  printf '[Drives]\nF=%s,removable\n' "$stick" >>"$work/c/DORV.ini"
  start_probe "$work/c"
  local box
  box=$(quit_dialog DORV "$probe_window")
  # The page's next commands run while the notice is open.
  wait_seen switched 20
  grep -q -F "DORV: Error: ログファイルの内容が不正です。" "$work/err" || fail "no notice: $(cat "$work/err")"
  press "$box" Return
  wait_window_gone DORV
  local header='CD,lecture,unit,step,part,section,start date,start time,end date,end time,total time'
  { echo "$header"; cp932 $'三郎の記録\n'; } >"$work/want"
  wait_for 20 "三郎's history does not hold the header and the record" cmp -s "$data/三郎/HISTORY.DAT" "$work/want"
  [ "$(cat "$data"/三郎/HISTORY.DAT-*)" = broken ] || fail "三郎's invalid history was not set aside"
  { echo "$header"; cp932 $'削除の記録\n'; } >"$work/want"
  expect_bytes "$data/削除/HISTORY.DAT" "$work/want"
  expect_eq "$(ls -A "$data/削除")" "HISTORY.DAT" "削除's folder"
  press "$probe_window" ctrl+w
  confirm_quit_and_wait_exit " Probe" "$probe_window"
}
