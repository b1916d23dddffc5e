# The course library (dorv --library): the courses of the user, of the
# system, of the folders the machine-wide configuration names and of the
# media inserted while it is open; starting a course once and bringing it to
# the front after; a course that will not start; the class records button.

# Where the library looks, all below the case's own folder.
library_places() {
  export XDG_DATA_HOME=$work/data XDG_DATA_DIRS=$work/system1:$work/system2 XDG_CONFIG_DIRS=$work/etc1:$work/etc2
  mkdir -p "$XDG_DATA_HOME/dorv/courses" "$work/system2/dorv/courses"
}

# A probe course in folder $1 whose name (courseware) is "$2 Ver 1".
make_named_course() {
  make_probe_course "$1" ""
  printf '<config file_title="%s" courseware="%s Ver 1" copyright="(C) School"/>' "$2" "$2" >"$1/course.xml"
}

# Starts the library with the English texts and waits for its window.
start_library() {
  start_x
  export G_MESSAGES_DEBUG=dorv LANGUAGE=en LC_ALL=C.UTF-8
  start_dorv "$work" --library
  library_window=$(wait_window "${1:-Course Library}" 30)
  wait_trace "library: window shown" 30
}

# Waits for the start-up check of the course in folder $1 to name it $2.
wait_course() { wait_trace "library: course $1: $2" 30; }

# The processes running the course in folder $1, as the library starts them.
course_processes() { pgrep -f -x -- "$(readlink -f "$DORV_BIN") $1" || true; }
count_course_processes() { course_processes "$1" | wc -l; }

# Closes the course window $2 (titled $1) through its quit dialog and waits
# until the library saw its process $3 end.
close_course() {
  press "$2" ctrl+w
  press "$(quit_dialog "$1" "$2")" Return
  wait_trace "library: $3 ended (exit status 0)" 20
}

case_library_finds_courses_in_every_kind_of_place() {
  library_places
  make_named_course "$XDG_DATA_HOME/dorv/courses/mine" "Mine"
  make_named_course "$work/system2/dorv/courses/shared" "Shared"
  # A folder inside a course is no course of its own there; nor is a
  # folder two levels down in the user's place.
  make_named_course "$XDG_DATA_HOME/dorv/courses/deep/er" "Deeper"
  # The machine-wide configuration: the first one found wins.
  mkdir -p "$work/etc1/dorv" "$work/etc2/dorv" "$work/school/a" "$work/school/b"
  printf '[Library]\nCourses=%s ; %s/school/b\n[Records]\nEnabled=maybe\n' "$work/school/a" "$work" \
    >"$work/etc1/dorv/dorv.conf"
  printf '[Library]\nCourses=%s/never\n' "$work" >"$work/etc2/dorv/dorv.conf"
  make_named_course "$work/school/a" "School A"
  make_named_course "$work/school/b/english" "School B English"
  # The same course reached again through a link is listed once.
  ln -s "$work/school/b/english" "$XDG_DATA_HOME/dorv/courses/english-link"

  # A medium with courses at its top level and one folder below; one
  # further down is not looked for.
  local image=$work/stick.img stick staged=$work/staged
  make_named_course "$staged/ENGLISH" "Stick English"
  make_named_course "$staged/COURSES/FRENCH" "Stick French"
  make_named_course "$staged/A/B/C" "Too Deep"
  truncate -s 32M "$image"
  mkfs.vfat -n STICK "$image" >/dev/null
  MTOOLS_SKIP_CHECK=1 mcopy -s -i "$image" "$staged/ENGLISH" "$staged/COURSES" "$staged/A" :: ||
    fail "the courses were not copied onto the medium"

  start_library
  wait_trace "library: settings from $work/etc1/dorv/dorv.conf"
  wait_trace 'library: [Records] Enabled: "maybe" is neither true nor false: the class records stay off'
  wait_course "$XDG_DATA_HOME/dorv/courses/mine" "Mine Ver 1"
  wait_course "$work/system2/dorv/courses/shared" "Shared Ver 1"
  wait_course "$work/school/a" "School A Ver 1"
  wait_course "$work/school/b/english" "School B English Ver 1"
  expect_eq "$(count_trace "library: found ")" 4 "courses found before the medium came"
  ! grep -q -F -e "Deeper" -e "$work/never" "$work/out" || fail "a place was looked in too deep or twice"

  # The medium is mounted while the library is open. GIO takes the mount
  # of a device called /dev/cdrom (below the user's home, where it shows
  # mounts of the user's own) for an optical disc: removable media, as the
  # course's drive letters count them. A stick proper needs udisks.
  stick=$HOME/STICK
  mkdir -p "$stick"
  fusefat -o rw+,fsname=/dev/cdrom "$image" "$stick" >/dev/null 2>&1 || fail "the medium did not mount"
  mounted=$stick
  wait_trace "library: list rebuilt after a change of mounts: 6 courses" 30
  wait_course "$stick/ENGLISH" "Stick English Ver 1"
  wait_course "$stick/COURSES/FRENCH" "Stick French Ver 1"
  grep -q -F "library: looking in $stick (removable)" "$work/out" || fail "the medium was not looked in"
  ! grep -q -F "Too Deep" "$work/out" || fail "a course three levels down the medium was listed"

  # It goes again, and its courses with it.
  fusermount -u "$stick" 2>/dev/null || umount "$stick"
  mounted=
  wait_trace "library: gone $stick/ENGLISH" 30
  wait_trace "library: gone $stick/COURSES/FRENCH" 30

  press "$library_window" ctrl+q
  wait_exit 10
  expect_eq "$exit_status" 0 "exit status"
}

case_library_starts_a_course_once_and_brings_it_to_the_front() {
  library_places
  local course=$XDG_DATA_HOME/dorv/courses/probe
  make_named_course "$course" "Probe"
  start_library
  wait_course "$course" "Probe Ver 1"

  # Enter on the first row starts the course, as "dorv FOLDER" would.
  press "$library_window" Return
  wait_trace "library: started $course (pid "
  local win
  win=$(wait_window " Probe" 60)
  extra_pids=$(course_processes "$course")
  expect_eq "$(count_course_processes "$course")" 1 "processes of the course"

  # Enter again brings the running course to the front: no second process.
  press "$library_window" Return
  wait_trace "library: $course runs: brought to the front"
  wait_trace "front signal: window brought to the front"
  expect_eq "$(count_trace "library: started $course")" 1 "starts of the course"
  expect_eq "$(count_course_processes "$course")" 1 "processes of the course"

  # Once it ended, Enter starts it again; a request to come to the front
  # that comes at once waits until the course can take it.
  close_course " Probe" "$win" "$course"
  press "$library_window" Return Return
  wait_count "library: started $course (pid " 2
  win=$(wait_window " Probe" 60)
  extra_pids=$(course_processes "$course")
  wait_trace "library: $course runs: brought to the front"
  wait_count "front signal" 2 30
  expect_eq "$(count_course_processes "$course")" 1 "processes of the course"
  close_course " Probe" "$win" "$course"

  press "$library_window" ctrl+w
  wait_exit 10
  expect_eq "$exit_status" 0 "exit status"
}

case_library_course_that_will_not_start() {
  library_places
  local courses=$XDG_DATA_HOME/dorv/courses
  make_course "$courses/a-broken" $'[Document]\nconfig=course.xml\nmain=missing.html\n'
  # Copied from Windows with its settings file in other letters: the
  # program reads DORV.ini only.
  make_named_course "$courses/b-lower" "Lower"
  mv "$courses/b-lower/DORV.ini" "$courses/b-lower/dorv.ini"
  make_named_course "$courses/c-good" "Probe"
  start_library
  wait_course "$courses/a-broken" "a-broken (will not start)"
  wait_course "$courses/b-lower" "b-lower (will not start)"
  wait_course "$courses/c-good" "Probe Ver 1"
  grep -q -F "library: course a-broken: will not start" "$work/out" || fail "the check's summary is missing"

  # Enter on either starts nothing; the search then finds the good course,
  # Enter goes to it and Enter starts it.
  press "$library_window" Return Down Return
  press "$library_window" ctrl+f
  wait_trace "library: the search has the keyboard"
  xdotool type --delay 50 "probe"
  press "$library_window" Return
  wait_trace 'library: search "probe" went to the first course found'
  press "$library_window" Return
  wait_trace "library: started $courses/c-good (pid "
  expect_eq "$(count_trace "library: started ")" 1 "courses started"
  local win
  win=$(wait_window " Probe" 60)
  extra_pids=$(course_processes "$courses/c-good")
  close_course " Probe" "$win" "$courses/c-good"
  press "$library_window" ctrl+q
  wait_exit 10
}

case_library_records_button_only_when_enabled() {
  library_places
  make_named_course "$XDG_DATA_HOME/dorv/courses/probe" "Probe"
  start_library
  wait_trace "library: class records off"
  ! grep -q -F "records button" "$work/out" || fail "the records button is shown by default"
  press "$library_window" ctrl+q
  wait_exit 10
  kill "$xvfb_pid"
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=

  # The class's data: two courses, the library's course not the first.
  local header='CD,lecture,unit,step,part,section,start date,start time,end date,end time,total time'
  mkdir -p "$work/records/PLENA/AAA/hana" "$work/records/PLENA/Probe/taro"
  printf '%s\n1,1,1,1,1,1,2026/04/01,9:00:00,2026/04/01,9:10:00,600\n' "$header" >"$work/records/PLENA/AAA/hana/HISTORY.DAT"
  printf '%s\n1,1,1,1,1,1,2026/04/02,9:00:00,2026/04/02,9:05:00,0:05:00\n' "$header" >"$work/records/PLENA/Probe/taro/HISTORY.DAT"
  mkdir -p "$work/etc2/dorv"
  printf '[Records]\nEnabled=true\nPlace=%s\n' "$work/records" >"$work/etc2/dorv/dorv.conf"
  export LANGUAGE=ja
  start_x
  export G_MESSAGES_DEBUG=dorv
  start_dorv "$work" --library
  library_window=$(wait_window "コースライブラリ" 30)
  wait_trace "library: the records button is shown"
  wait_trace "library: course $XDG_DATA_HOME/dorv/courses/probe: Probe Ver 1"
  press "$library_window" alt+r
  wait_trace "library: class records asked for (course $XDG_DATA_HOME/dorv/courses/probe, place $work/records)"
  # The records of the configured place open on the library's course.
  wait_window "学習記録 — $work/records" 30 >/dev/null
  wait_trace "records: course Probe shows 1 learners"
  grep -q -F "records: course AAA shows" "$work/out" && fail "the records opened on another course"
  press "$library_window" ctrl+w
  wait_exit 10
}
