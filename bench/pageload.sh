#!/usr/bin/env bash
# What the old browser's script layer and the encoding rule cost a page load,
# under an X server of its own: a Shift_JIS page without a declaration, with
# a 100 kB script of the same kind, loaded 21 times in one run of the shell,
# with the layer and with it turned off. A load is timed by the engine's
# navigation timing (start to the end of DOMContentLoaded).
# Usage: bench/pageload.sh [build-dir]   (LOADS sets the number of loads, 21)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
DORV_BIN=$build/dorv
source "$root/tests/e2e/session-bus.sh" "$0" "$@"
source "$root/tests/e2e/lib.sh"
trap cleanup EXIT
loads=${LOADS:-21}

course=$work/course
mkdir -p "$course"
printf '<config file_title="BENCH" courseware="Bench Ver 1"/>' >"$course/course.xml"
# The lesson's script: string literals of Japanese text, as such courses have.
for i in $(seq 1500); do printf 'var word%d = "単語の説明%d：日本語の文章です。";\n' "$i" "$i"; done |
  iconv -t CP932 >"$course/lesson.js"
cat <<EOF2 | iconv -t CP932 >"$course/main.html"
<html><head><title>読み込みの計測</title>
<script src="lesson.js"></script>
<script>
var loads = $loads;
function GetState() {
  var samples = JSON.parse(sessionStorage.getItem("samples") || "[]");
  if (samples.length < loads) return "";
  var ok = document.title === "読み込みの計測" && word1500.indexOf("単語") === 0;
  return "Seen-samples-" + samples.join("_") + ":\nSeen-layer-" + typeof window.ActiveXObject + ":\nSeen-decoded-" + ok + ":\nForceQuit:";
}
window.addEventListener("load", function () {
  setTimeout(function () {
    var entry = performance.getEntriesByType("navigation")[0];
    var samples = JSON.parse(sessionStorage.getItem("samples") || "[]");
    samples.push((entry.domContentLoadedEventEnd - entry.startTime).toFixed(2));
    sessionStorage.setItem("samples", JSON.stringify(samples));
    if (samples.length < loads) location.reload();
  }, 50);
});
</script></head><body>本文</body></html>
EOF2

median() { tr '_' '\n' | sort -n | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

# Runs the shell with the [Settings] line $1; prints the median load in ms.
measure() {
  printf '[Document]\nconfig=course.xml\nmain=main.html\n[Settings]\n%s\n' "$1" >"$course/DORV.ini"
  (cd "$course" && G_MESSAGES_DEBUG=dorv timeout 120 "$DORV_BIN") >"$work/out" 2>&1
  local samples layer decoded
  samples=$(sed -n 's/.*host command Seen-samples-\([^ ]*\): ignored.*/\1/p' "$work/out")
  layer=$(sed -n 's/.*host command Seen-layer-\([^ ]*\): ignored.*/\1/p' "$work/out")
  decoded=$(sed -n 's/.*host command Seen-decoded-\([^ ]*\): ignored.*/\1/p' "$work/out")
  [ "$(echo "$samples" | tr '_' '\n' | grep -c .)" = "$loads" ] || { echo "FAILED: $loads loads not measured ($1)" >&2; exit 1; }
  [ "$decoded" = true ] || { echo "FAILED: the page was not decoded as Shift_JIS ($1)" >&2; exit 1; }
  [ "$layer" = "$2" ] || { echo "FAILED: ActiveXObject is '$layer', expected '$2' ($1)" >&2; exit 1; }
  echo "$samples" | median
}

start_x
on=$(measure "" function)
off=$(measure "compat=0" undefined)
echo "page load (start to DOMContentLoaded), median of $loads loads of a Shift_JIS page with a 100 kB script"
echo "  with the old browser's script layer: $on ms"
echo "  without it:                          $off ms"
echo "  the layer's cost: $(awk -v a="$on" -v b="$off" 'BEGIN {printf "%.2f", a - b}') ms"
