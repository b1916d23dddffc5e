#!/usr/bin/env bash
# Idle figures with the demo course open, under an X server of its own:
#  - processor time of the shell and its web process while the page is
#    polled every 229 ms, against the bare engine polling the same page
#    straight through the engine;
#  - resident memory of both processes against the bare engine showing the
#    same page without polling.
# Usage: bench/idle.sh [build-dir]   (IDLE_SECONDS sets the span, 30 s)
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
page="file://$root/courses/demo/main.html"

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
start_dorv "$root/courses/demo"
measure
shell_cpu_ui=$cpu_ui shell_cpu_web=$cpu_web shell_rss_ui=$rss_ui shell_rss_web=$rss_web

"$build/bench/bare_view" --poll "$page" >/dev/null 2>&1 &
dorv_pid=$!
measure
engine_cpu_ui=$cpu_ui engine_cpu_web=$cpu_web

"$build/bench/bare_view" "$page" >/dev/null 2>&1 &
dorv_pid=$!
span=$seconds; seconds=5; measure; seconds=$span
bare_rss_ui=$rss_ui bare_rss_web=$rss_web

awk -v su="$shell_cpu_ui" -v sw="$shell_cpu_web" -v eu="$engine_cpu_ui" -v ew="$engine_cpu_web" -v s="$seconds" 'BEGIN {
  printf "idle polling, %d s, %% of one core: shell %.2f + web %.2f = %.2f | engine %.2f + web %.2f = %.2f | ratio %.2f\n",
    s, su, sw, su + sw, eu, ew, eu + ew, ((eu + ew) > 0 ? (su + sw) / (eu + ew) : 0) }'
awk -v a="$shell_rss_ui" -v b="$shell_rss_web" -v c="$bare_rss_ui" -v d="$bare_rss_web" 'BEGIN {
  printf "resident memory, KiB: shell %d (bare engine %d, ratio %.2f), web process %d (bare %d, ratio %.2f)\n",
    a, c, a / c, b, d, b / d }'
