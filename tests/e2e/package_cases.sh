# Installation, the Debian package, Wayland, and the course author's guide's
# minimal course, each as a user or an administrator would try them.

case_install_puts_everything_in_its_place() {
  cmake --install "$DORV_BUILD" --prefix "$work/prefix" >/dev/null || fail "cmake --install failed"
  (cd "$work/prefix" && find . -type f | sort) >"$work/files"
  local demo
  demo=$(cd "$DORV_SOURCE/courses" && find demo -type f | sort | sed 's|^|./share/dorv/courses/|')
  printf '%s\n' ./bin/dorv ./share/applications/dorv.desktop ./share/applications/dorv-records.desktop \
    ./share/doc/dorv/changelog.gz \
    ./share/doc/dorv/copyright ./share/doc/dorv/deploying.md ./share/doc/dorv/page-protocol.md \
    ./share/doc/dorv/robustness.md ./share/icons/hicolor/scalable/apps/dorv.svg \
    ./share/man/man1/dorv.1.gz ./share/metainfo/org.dorv.Dorv.metainfo.xml $demo \
    $(for n in 16 24 32 48 64 128 256; do echo "./share/icons/hicolor/${n}x$n/apps/dorv.png"; done) | sort >"$work/want"
  diff "$work/want" "$work/files" >&2 || fail "installed files differ from the expected list"
  desktop-file-validate "$work/prefix/share/applications/dorv.desktop" "$work/prefix/share/applications/dorv-records.desktop" ||
    fail "the desktop entries are not valid"
  appstreamcli validate --no-net "$work/prefix/share/metainfo/org.dorv.Dorv.metainfo.xml" >&2 ||
    fail "the AppStream metainfo is not valid"
  # Folders do not open in DORV: only a course folder given to it does.
  grep -q '^MimeType=' "$work/prefix/share/applications/dorv.desktop" && fail "the entry claims a file type"
  # The menu entry opens the course library; a folder given to it, that course.
  grep -q -F 'exec dorv --library' "$work/prefix/share/applications/dorv.desktop" ||
    fail "the menu entry does not open the course library"
  grep -q -x -F 'Exec=dorv --records' "$work/prefix/share/applications/dorv-records.desktop" ||
    fail "the records entry does not open the class records"
}

case_debian_package_installs_and_runs() {
  (cd "$DORV_BUILD" && cpack -G DEB -B "$work/pkg") >"$work/cpack.log" 2>&1 || fail "cpack failed: $(tail -5 "$work/cpack.log")"
  local deb
  deb=$(ls "$work"/pkg/dorv_*.deb)
  # The dependencies are the libraries the program links, found by dpkg-shlibdeps.
  dpkg-deb -f "$deb" Depends | grep -q -e 'libwebkitgtk-6.0-4' || fail "Depends lacks the engine: $(dpkg-deb -f "$deb" Depends)"
  dpkg-deb -f "$deb" Depends | grep -q -e 'libgtk-4-1' || fail "Depends lacks GTK 4"
  local needed
  for needed in gstreamer1.0-libav gstreamer1.0-plugins-good fonts-liberation2 fonts-ipafont-gothic; do
    dpkg-deb -f "$deb" Depends | grep -q -F -e "$needed" || fail "Depends lacks $needed: $(dpkg-deb -f "$deb" Depends)"
  done
  dpkg-deb -f "$deb" Recommends | grep -q -F 'gstreamer1.0-pulseaudio | gstreamer1.0-alsa' || fail "no sound output recommended"
  dpkg-deb -x "$deb" "$work/root"
  local bin=$work/root/usr/bin/dorv
  expect_eq "$("$bin" --version)" "DORV 3.0.1.76" "the packaged program's version"
  grep -q -F 'exec dorv --library' "$work/root/usr/share/applications/dorv.desktop" || fail "no launcher"
  # The packaged library lists the packaged demo course (as it lists
  # /usr/share/dorv/courses), and Enter opens it in the packaged program.
  DORV_BIN=$bin
  start_x
  export G_MESSAGES_DEBUG=dorv LANGUAGE=en LC_ALL=C.UTF-8
  export XDG_DATA_HOME=$work/data XDG_DATA_DIRS=$work/root/usr/share XDG_CONFIG_DIRS=$work/etc
  start_dorv "$work" --library
  local library win
  library=$(wait_window "Course Library" 60)
  wait_trace "library: course $work/root/usr/share/dorv/courses/demo: DORV デモコース Ver 1.0" 60
  press "$library" Return
  win=$(wait_window " DORV デモコース" 60)
  press "$win" ctrl+w
  press "$(quit_dialog " DORV デモコース" "$win")" Return
  wait_trace "library: $work/root/usr/share/dorv/courses/demo ended (exit status 0)" 20
  press "$library" ctrl+w
  wait_exit 10
  expect_eq "$exit_status" 0 "exit status"
}

# The package as Debian's checker sees it: no errors, and its warnings shown.
case_debian_package_passes_lintian() {
  (cd "$DORV_BUILD" && cpack -G DEB -B "$work/pkg") >"$work/cpack.log" 2>&1 || fail "cpack failed: $(tail -5 "$work/cpack.log")"
  local deb status=0
  deb=$(ls "$work"/pkg/dorv_*.deb)
  lintian --fail-on error "$deb" >"$work/lintian" 2>&1 || status=$?
  grep '^W: ' "$work/lintian" >&2 || echo "lintian: no warnings" >&2
  [ "$status" -eq 0 ] || fail "lintian failed ($status): $(grep -v '^W: ' "$work/lintian")"
  dpkg-deb -x "$deb" "$work/root"
  local doc=$work/root/usr/share/doc/dorv
  head -n 1 "$doc/copyright" | grep -q -x -F 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not machine-readable"
  zcat "$doc/changelog.gz" >"$work/changelog"
  expect_eq "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" "$(dpkg-deb -f "$deb" Version)" "the changelog's version"
  file "$work/root/usr/bin/dorv" | grep -q ', stripped' || fail "the program is not stripped"
  # Reproducible: best compression, no name and no time in the header.
  file "$work/root/usr/share/man/man1/dorv.1.gz" | grep -q -F 'max compression' || fail "the manual page is not gzip -9"
  file "$work/root/usr/share/man/man1/dorv.1.gz" | grep -q -e 'was "' -e 'last modified' && fail "the manual page's gzip holds a name or time"
  dpkg-deb -c "$deb" | awk '$1 ~ /^-/ && ($6 == "./usr/bin/dorv" ? $1 != "-rwxr-xr-x" : $1 != "-rw-r--r--")' >"$work/modes"
  [ ! -s "$work/modes" ] || fail "files with wrong modes: $(cat "$work/modes")"
}

case_demo_under_wayland() {
  export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
  mkdir -m 700 -p "$XDG_RUNTIME_DIR" "$HOME"
  weston --backend=headless-backend.so --socket=dorv-test --idle-time=0 --no-config >"$work/weston.log" 2>&1 &
  local weston=$!
  poll_until 10 test -S "$XDG_RUNTIME_DIR/dorv-test" || fail "weston did not start: $(tail -3 "$work/weston.log")"
  # The demo course, told to end itself once it is running.
  cp -r "$DORV_SOURCE/courses/demo" "$work/demo"
  printf '\nsetTimeout(() => queueCommand("ForceQuit:"), 1500);\n' >>"$work/demo/host.js"
  unset DISPLAY
  export WAYLAND_DISPLAY=dorv-test GDK_BACKEND=wayland WEBKIT_DISABLE_COMPOSITING_MODE=1 G_MESSAGES_DEBUG=dorv
  start_dorv "$work/demo"
  wait_exit 60
  kill "$weston" 2>/dev/null || true
  expect_eq "$exit_status" 0 "exit status under Wayland"
  grep -q -F "page start-up" "$work/out" || fail "the page start-up did not run"
  grep -q -F "closing the window" "$work/out" || fail "the window was not closed through the close gate"
  ! grep -q '^DORV: ' "$work/err" || fail "a message was shown: $(grep '^DORV: ' "$work/err")"
}

# The three files of the guide's minimal course, run as they stand.
case_minimal_course_from_the_guide() {
  local guide=$DORV_SOURCE/docs/page-protocol.md name
  mkdir -p "$work/minimal"
  for name in DORV.ini course.xml main.html; do
    awk -v marker="<!-- example-file: $name -->" '
      $0 == marker { take = 1; next }
      take == 1 && /^```/ { take = 2; next }
      take == 2 && /^```/ { exit }
      take == 2 { print }' "$guide" >"$work/minimal/$name"
    [ -s "$work/minimal/$name" ] || fail "the guide has no example file $name"
  done
  local caption
  caption=" $(sed -n 's/.*courseware="\([^"]*\)Ver.*/\1/p' "$work/minimal/course.xml" | sed 's/[[:space:]]*$//')"
  start_x
  export G_MESSAGES_DEBUG=dorv
  start_dorv "$work/minimal"
  local win
  win=$(wait_window "$caption" 30)
  wait_trace "set content of #isApp: done" 10
  press "$win" ctrl+w
  confirm_quit_and_wait_exit "$caption" "$win"
  [ ! -s "$work/err" ] || fail "the minimal course showed messages: $(cat "$work/err")"
}
