# The window's zoom: Ctrl+plus, Ctrl+minus and Ctrl+0 with real keys, the
# zoom setting of DORV.ini, and a screen of twice the density.

# A screen on which the window fits at 200 % (1600 x about 1250).
screen_size=2560x1600

# Whether window $1 is $2 pixels wide; sets X, Y, WIDTH and HEIGHT.
width_is() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  [ "$WIDTH" = "$2" ]
}

# Waits up to 10 s for window $1 to be $2 pixels wide; sets X, Y, WIDTH and
# HEIGHT.
wait_width() {
  poll_until 10 width_is "$1" "$2" || fail "the window is $WIDTH pixels wide, not $2"
}

# Whether window $1 stands in the middle of the screen, within a pixel (X
# counts in the screen's pixels, the program in GDK's), or at its top or
# left edge where it is larger than the screen; sets X, Y, WIDTH and HEIGHT,
# and x and y where it belongs.
centred() {
  local screen_w screen_h
  read -r screen_w screen_h < <(xdotool getdisplaygeometry)
  eval "$(xdotool getwindowgeometry --shell "$1")"
  x=$(((screen_w - WIDTH) / 2))
  y=$(((screen_h - HEIGHT) / 2))
  [ $x -lt 0 ] && x=0
  [ $y -lt 0 ] && y=0
  [ $((X - x)) -ge -1 ] && [ $((X - x)) -le 1 ] && [ $((Y - y)) -ge -1 ] && [ $((Y - y)) -le 1 ]
}

# Waits up to 10 s for window $1 to stand in the middle of the screen.
expect_centred() {
  local x y
  poll_until 10 centred "$1" || fail "the ${WIDTH}x$HEIGHT window is at $X,$Y, not centred at $x,$y"
}

zoom_steps() { grep -c -E 'zoom [0-9]+ %' "$work/out" || true; }

ctrl_presses=0

# Presses $2 in window $1 and waits for the window to be $3 pixels wide.
zoom_to() {
  press "$1" "$2"
  ctrl_presses=$((ctrl_presses + 1))
  wait_width "$1" "$3"
}

# Presses $2 in window $1 at either end of the steps: nothing changes.
zoom_stays() {
  local steps width=$WIDTH
  steps=$(zoom_steps)
  press "$1" "$2"
  ctrl_presses=$((ctrl_presses + 1))
  # The page is told of the release of Ctrl, after the key: by the time it
  # reports that, a step taken for the key would be traced.
  wait_seen_count debug-0 $ctrl_presses
  expect_eq "$(zoom_steps)" "$steps" "zoom steps after $2 at the end"
  wait_width "$1" "$width"
}

# The colours in one row of the page area of window $1, whose height is $2
# screen pixels: row $3 of it, columns $4 to $5.
page_pixels() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  local top=$((Y + HEIGHT - $2)) column colours=
  for column in $(seq "$4" "$5"); do colours="$colours $("$XPROBE_BIN" pixel $((X + column)) $((top + $3)))"; done
  echo $colours
}

# A black line 0.5 page pixels wide at 100,100 and one 1 pixel wide at
# 200,100, both 50 high, on the probe's green.
add_lines() {
  cat >>"$1/case.js" <<'JS'
window.addEventListener('load', () => {
  for (const [left, width] of [[100, 0.5], [200, 1]]) {
    const line = document.createElement('div');
    line.style.cssText = `position:absolute;left:${left}px;top:100px;width:${width}px;height:50px;background:#000`;
    document.body.appendChild(line);
  }
});
JS
}

case_zoom_keys_scale_the_window_and_never_reach_the_page() {
  make_probe_course "$work/c" ""
  echo "document.addEventListener('keyup', (e) => report('key-up-' + e.key));" >>"$work/c/case.js"
  start_probe "$work/c"
  wait_seen "size-800x600-800x600-1"
  wait_width "$probe_window" 800
  expect_centred "$probe_window"
  local menu=$((HEIGHT - 600))
  zoom_to "$probe_window" ctrl+plus 1000
  zoom_to "$probe_window" ctrl+plus 1200
  expect_centred "$probe_window"
  # 150 %: the page still lays out 800 x 600; the menu bar grew as well.
  press "$probe_window" s
  wait_seen_count size-800x600-800x600-1 2
  expect_eq "$(count_seen size-800x600-800x600-1)" 2 "page size reports of 800 x 600 at 150 %"
  expect_eq "$((HEIGHT - 900))" "$((menu * 3 / 2))" "menu bar height at 150 %"
  # The learner still cannot resize it: its least and largest size are its size.
  expect_eq "$(xprop -id "$probe_window" WM_NORMAL_HINTS | grep -c -e "minimum size: $WIDTH by $HEIGHT" \
    -e "maximum size: $WIDTH by $HEIGHT")" 2 "size hints at 150 %"
  # Every usual form of the keys.
  zoom_to "$probe_window" ctrl+minus 1000
  zoom_to "$probe_window" ctrl+shift+equal 1200
  zoom_to "$probe_window" ctrl+KP_Subtract 1000
  zoom_to "$probe_window" ctrl+equal 1200
  zoom_to "$probe_window" ctrl+0 800
  expect_eq "$HEIGHT" "$((600 + menu))" "window height back at 100 %"
  zoom_stays "$probe_window" ctrl+minus
  zoom_to "$probe_window" ctrl+KP_Add 1000
  zoom_to "$probe_window" ctrl+KP_0 800
  zoom_to "$probe_window" ctrl+plus 1000
  zoom_to "$probe_window" ctrl+plus 1200
  zoom_to "$probe_window" ctrl+plus 1400
  zoom_to "$probe_window" ctrl+plus 1600
  zoom_stays "$probe_window" ctrl+plus
  expect_centred "$probe_window"
  expect_eq "$((HEIGHT - 1200))" "$((menu * 2))" "menu bar height at 200 %"
  # The Ctrl key itself still switches the page's debug mode, once a press.
  wait_seen_count debug-0 $ctrl_presses
  expect_eq "$(count_seen debug-3)" $ctrl_presses "SetDebugMode(3) calls"
  expect_eq "$(count_seen debug-0)" $ctrl_presses "SetDebugMode(0) calls"
  # The page saw the modifiers and "s", none of the zoom keys: no press and
  # no release.
  local keys
  keys=$(grep -o 'Seen-key-[^:]*' "$work/out" | sed 's/^Seen-key-\(up-\)\{0,1\}//' | sort -u |
    grep -v -x -e Control -e Shift -e NumLock -e s || true)
  expect_eq "$keys" "" "zoom keys reaching the page"
  # Without Ctrl they are the page's.
  press "$probe_window" plus minus 0
  wait_seen key-%2B
  wait_seen key--
  wait_seen key-0
  wait_seen key-up-0
  wait_width "$probe_window" 1600
}

case_zoom_setting_starts_the_course_larger() {
  make_probe_course "$work/c" "zoom=160" '{away: "probe.html?next"}'
  start_probe "$work/c"
  wait_trace 'zoom = "160": no step of 100 to 200, 150 % taken'
  wait_width "$probe_window" 1200
  expect_centred "$probe_window"
  wait_seen "size-800x600-800x600-1"
  # The next page keeps the zoom.
  press "$probe_window" r
  wait_seen_count loaded 2
  expect_eq "$(count_seen loaded)" 2 "pages loaded"
  wait_seen_count size-800x600-800x600-1 2
  expect_eq "$(count_seen size-800x600-800x600-1)" 2 "page size reports of 800 x 600"
  # So does the page loaded again after its process ended.
  local web
  web=$(web_process_of_dorv)
  [ -n "$web" ] || fail "no web process found"
  kill -9 $web
  press "$(wait_window DORV 20)" Return
  wait_seen_count size-800x600-800x600-1 3 30
  expect_eq "$(count_seen size-800x600-800x600-1)" 3 "page size reports after the page's process ended"
  zoom_to "$probe_window" ctrl+0 800
  expect_centred "$probe_window"
}

case_zoom_on_a_double_density_screen() {
  make_probe_course "$work/c" ""
  add_lines "$work/c"
  export GDK_SCALE=2
  start_probe "$work/c"
  # The page lays out 800 x 600 and is drawn at twice the density: half a
  # page pixel is one of the screen's.
  wait_seen "size-800x600-800x600-2"
  wait_width "$probe_window" 1600
  expect_centred "$probe_window"
  expect_eq "$(page_pixels "$probe_window" 1200 220 199 202)" "00ff00 000000 00ff00 00ff00" "the half-pixel line at 100 %"
  zoom_to "$probe_window" ctrl+plus 2000
  expect_centred "$probe_window"
  # At 150 % the window is taller than the screen: its top stays on it.
  zoom_to "$probe_window" ctrl+plus 2400
  expect_centred "$probe_window"
  expect_eq "$Y" 0 "top of the window taller than the screen"
  press "$probe_window" s
  wait_seen_count size-800x600-800x600-2 2
  expect_eq "$(count_seen size-800x600-800x600-2)" 2 "page size reports at 150 % of twice the density"
  # One page pixel is three of the screen's, sharp.
  expect_eq "$(page_pixels "$probe_window" 1800 330 599 603)" "00ff00 000000 000000 000000 00ff00" \
    "the one-pixel line at 150 %"
}
