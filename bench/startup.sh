#!/usr/bin/env bash
# Start-up time against the bare engine, under an X server of its own: from
# the start of the program to the return of the page's first host call
# (InitSettings, at the page start-up). The two programs take turns, each
# run starting once the previous run's processes are gone.
# Usage: bench/startup.sh [build-dir]   (PAIRS sets the number of pairs, 10)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
DORV_BIN=$build/dorv
source "$root/tests/e2e/session-bus.sh" "$0" "$@"
source "$root/tests/e2e/lib.sh"
trap cleanup EXIT
pairs=${PAIRS:-10}

course=$work/course
mkdir -p "$course"
printf '[Document]\nconfig=course.xml\nmain=main.html\n[Settings]\nmute=1\n%s\n' "${BENCH_SETTINGS:-}" >"$course/DORV.ini"
printf '<config file_title="BENCH" courseware="Bench Ver 1"/>' >"$course/course.xml"
# The page ends the shell once started, so that nothing has to watch it.
printf '<!DOCTYPE html><html><body><script>function InitSettings(s) { return s; }
function GetState() { return "ForceQuit:"; }</script></body></html>' >"$course/main.html"

now_us() { date +%s%6N; }

# Waits until no web process of ours is left.
settle() {
  for _ in $(seq 100); do
    pgrep -f WebKitWebProcess >/dev/null || break
    sleep 0.05
  done
  sleep 0.3
}

# Milliseconds from start to the shell's first page call returning. GLib
# stamps each trace line with the local time of day to the millisecond.
run_shell() {
  settle
  local start end line
  start=$(now_us)
  (cd "$course" && G_MESSAGES_DEBUG=dorv timeout 20 "$DORV_BIN") >"$work/shell.out" 2>&1
  line=$(grep -m1 -F 'call InitSettings (1 argument): done' "$work/shell.out" || true)
  # No answered call: no figure.
  [ -n "$line" ] || { [ -n "${BENCH_DEBUG:-}" ] && cat "$work/shell.out" >&2; echo "FAILED"; return; }
  [ -n "${BENCH_DEBUG:-}" ] && { echo "start $start" >&2; cat "$work/shell.out" >&2; }
  local stamp
  stamp=$(echo "$line" | sed -n 's/.* \([0-9][0-9]:[0-9][0-9]:[0-9][0-9]\.[0-9]*\): call InitSettings.*/\1/p')
  end=$(( $(date -d "$(date -d @$((start / 1000000)) +%F) $stamp" +%s%3N) ))
  echo $(( end - start / 1000 ))
}

run_bare() {
  settle
  local start end
  start=$(now_us)
  end=$("$build/bench/bare_start" "file://$course/main.html" 2>/dev/null | sed -n 's/^first-call //p')
  [ -n "$end" ] || { echo "FAILED"; return; }
  echo $(( (end - start) / 1000 ))
}

start_x
shell=() bare=()
for i in $(seq "$pairs"); do
  if [ $((i % 2)) -eq 1 ]; then
    shell+=("$(run_shell)"); bare+=("$(run_bare)")
  else
    bare+=("$(run_bare)"); shell+=("$(run_shell)")
  fi
done
for side in shell bare; do
  declare -n figures=$side
  for figure in "${figures[@]}"; do
    [ "$figure" != FAILED ] || { echo "FAILED: a $side run's first page call was not answered (${figures[*]})" >&2; exit 1; }
  done
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
ratios=()
for i in "${!shell[@]}"; do ratios+=("$(awk -v s="${shell[$i]}" -v b="${bare[$i]}" 'BEGIN {printf "%.3f", s / b}')"); done
echo "start-up to the first page call, ms, $pairs pairs (alternating order)"
echo "  shell: ${shell[*]}"
echo "  bare:  ${bare[*]}"
echo "  median shell $(median "${shell[@]}") ms, bare $(median "${bare[@]}") ms, median of pair ratios $(median "${ratios[@]}")"
