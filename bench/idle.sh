#!/usr/bin/env bash
# Idle figures with the demo course open, under an X server of its own:
#  - processor time of the shell and its web process while the page is
#    polled every 229 ms, against the bare engine polling the same page
#    straight through the engine; both must show the polls answered;
#  - resident memory of both processes against the bare engine showing the
#    same page without polling.
# Usage: bench/idle.sh [build-dir]   (IDLE_SECONDS sets the span, 30 s; IDLE_PAIRS the pairs, 3)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
DORV_BIN=$build/dorv
source "$root/tests/e2e/session-bus.sh" "$0" "$@"
source "$root/tests/e2e/lib.sh"
trap cleanup EXIT

# Nanoseconds of processor time of all threads of process $1.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {printf "%.0f", ns}'; }
rss_kib() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }
seconds=${IDLE_SECONDS:-30}

# The demo course, with a counter around its GetState: every 40th poll also
# answers "Seen-polls-<n>:", which the shell traces and bare_view prints, so
# that the figures are known to come from polls the page answered.
course=$work/demo
cp -r "$root/courses/demo" "$course"
cat >"$course/bench-polls.js" <<'END'
(() => {
  const inner = window.GetState;
  let polls = 0;
  window.GetState = function GetState() {
    const answer = inner.apply(this, arguments);
    if (++polls % 40) return answer;
    return (answer ? answer + '\n' : '') + 'Seen-polls-' + polls + ':';
  };
})();
END
sed -i 's|<script src="exercises.js"></script>|&<script src="bench-polls.js"></script>|' "$course/main.html"
grep -q bench-polls "$course/main.html" || fail "the demo page has no place for the poll counter"
page="file://$course/main.html"

# Fails unless the output $1 of side $2 shows the polls of the measured span
# answered (allowing for the counter's steps and a slow start).
expect_polls_answered() {
  local answered expected=$(((6 + seconds) * 1000 / 229 * 8 / 10 - 40))
  answered=$(grep -o 'Seen-polls-[0-9]*' "$1" | tail -1 | sed 's/.*-//')
  [ "${answered:-0}" -ge "$expected" ] ||
    fail "$2: the page answered ${answered:-no} polls in $((6 + seconds)) s, fewer than $expected: no figure"
  polls_answered=$answered
}

# Sets cpu (percent of one core, both processes) and rss_ui, rss_web (KiB)
# for the program already started as $dorv_pid.
measure() {
  sleep 6
  local web a b
  web=$(web_process_of_dorv)
  [ -n "$web" ] || fail "no web process"
  a=$(cpu_ns "$dorv_pid")
  b=$(cpu_ns "$web")
  sleep "$seconds"
  cpu_ui=$(awk -v t=$(( $(cpu_ns "$dorv_pid") - a )) -v s="$seconds" 'BEGIN {printf "%.2f", 100 * t / 1e9 / s}')
  cpu_web=$(awk -v t=$(( $(cpu_ns "$web") - b )) -v s="$seconds" 'BEGIN {printf "%.2f", 100 * t / 1e9 / s}')
  rss_ui=$(rss_kib "$dorv_pid")
  rss_web=$(rss_kib "$web")
  kill "$dorv_pid"
  wait "$dorv_pid" 2>/dev/null || true
}

start_x
export G_MESSAGES_DEBUG=dorv
# Alternating pairs (IDLE_PAIRS, 3), so that the machine's drift falls on
# both sides alike; the figure is the median pair.
pairs=()
for ((pair = 1; pair <= ${IDLE_PAIRS:-3}; pair++)); do
  start_dorv "$course"
  measure
  expect_polls_answered "$work/out" shell
  shell_polls=$polls_answered
  shell_cpu_ui=$cpu_ui shell_cpu_web=$cpu_web shell_rss_ui=$rss_ui shell_rss_web=$rss_web

  "$build/bench/bare_view" --poll "$page" >"$work/bare-out" 2>&1 &
  dorv_pid=$!
  measure
  expect_polls_answered "$work/bare-out" "bare engine"
  engine_polls=$polls_answered
  pairs+=("$(awk -v su="$shell_cpu_ui" -v sw="$shell_cpu_web" -v eu="$cpu_ui" -v ew="$cpu_web" 'BEGIN {
    printf "%.3f shell %.2f + web %.2f = %.2f | engine %.2f + web %.2f = %.2f",
      ((eu + ew) > 0 ? (su + sw) / (eu + ew) : 0), su, sw, su + sw, eu, ew, eu + ew }')")
  echo "pair $pair: polls answered in $((6 + seconds)) s: shell $shell_polls, bare engine $engine_polls (counted every 40th); ratio ${pairs[-1]}"
done

"$build/bench/bare_view" "$page" >/dev/null 2>&1 &
dorv_pid=$!
span=$seconds; seconds=5; measure; seconds=$span
bare_rss_ui=$rss_ui bare_rss_web=$rss_web

printf '%s\n' "${pairs[@]}" | sort -n | awk -v s="$seconds" '{ line[NR] = $0; r[NR] = $1 } END {
  mid = int(NR / 2) + 1; m = line[mid]; sub(/^[^ ]* /, "", m)
  printf "idle polling, %d s, %% of one core, median of %d pairs: %s | ratio %.2f (pairs %.2f-%.2f)\n",
    s, NR, m, r[mid], r[1], r[NR] }'
awk -v a="$shell_rss_ui" -v b="$shell_rss_web" -v c="$bare_rss_ui" -v d="$bare_rss_web" 'BEGIN {
  printf "resident memory, KiB: shell %d (bare engine %d, ratio %.2f), web process %d (bare %d, ratio %.2f)\n",
    a, c, a / c, b, d, b / d }'
