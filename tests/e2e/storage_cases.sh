# Learner data on the storage that schools use: sticks formatted on Windows
# (FAT and exFAT, through FUSE where the kernel has no driver) and network
# shares whose file system refuses locks.

cp932() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
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
    export LD_PRELOAD=$REFUSE_LOCKS_LIB $setting
    run_learner_session "$stick" "taro"
    unset LD_PRELOAD DORV_TEST_FLOCK_ERRNO DORV_TEST_NO_RANGE_LOCKS
    expect_learner_files "$stick/PLENA/PROBE/taro" "$stick/PLENA/PROBE" "taro"
    expect_eq "$(grep -c -F "refuses file locks" "$work/out")" 2 "traces of the lock fallback (once per place)"
    [ ! -s "$work/err" ] || fail "messages were shown: $(head -c 300 "$work/err")"
  done
}
