# The course check: dorv --check on courses copied from Windows machines. No
# display is needed; the program must not open one.

# A course that starts, with each kind of finding: Windows names, references
# that will not work, what the engine does not offer, and each decoding.
make_flawed_course() {
  local dir=$1
  mkdir -p "$dir/Pages" "$dir/images" "$dir/$(printf '\x89\xe6\x91\x9c')"
  printf '[Document]\r\nconfig=Course.xml\r\nmain=pages\\Main.HTM\r\n' >"$dir/DORV.ini"
  printf '<config file_title="ENG1" courseware="English Ver 1.0"/>' >"$dir/course.xml"
  : >"$dir/images/cat.gif"
  : >"$dir/$(printf '\x89\xe6\x91\x9c')/$(printf '\x8a\x47').gif"
  # Shift_JIS text, no charset of its own.
  {
    printf '<html><head><title>\x91\xe6\x88\xea\x89\xdb</title>\n'
    printf '<script language="VBScript">MsgBox "x"</script>\n'
    printf '<script src="lesson.js"></script></head>\n'
    printf '<body background="..\\Images\\Cat.GIF">\n'
    printf '<img src="../\x89\xe6\x91\x9c/\x8a\x47.gif"><img src="../images/dog.gif">\n'
    printf '<a href="../../outside.htm">x</a><a href="http://example.org/">web</a>\n'
    printf '<!--[if IE]><p>IE only</p><![endif]-->\n'
    printf '<object classid="clsid:D27CDB6E-AE6D-11cf-96B8-444553540000"></object>\n'
    printf '<applet code="Quiz.class"></applet>\n'
    printf '<object classid="clsid:6BF52A52-394A-11D3-B153-00C04F79FAA6"></object>\n'
    printf '</body></html>\n'
  } >"$dir/Pages/main.htm"
  printf 'var d = new ActiveXObject("Microsoft.XMLDOM");\nd.load("Lesson.XML");\n' >"$dir/Pages/lesson.js"
  printf 'var fs = new ActiveXObject("Scripting.FileSystemObject");\n' >>"$dir/Pages/lesson.js"
  printf 'window.showModalDialog("hint.htm");\nvar p = window.createPopup();\n' >>"$dir/Pages/lesson.js"
  : >"$dir/Pages/lesson.xml"
  printf '<p>日本語</p>\n' >"$dir/Pages/utf8.htm"
  printf '<meta charset="EUC-JP"><p>\xc6\xfc</p>\n' >"$dir/Pages/euc.htm"
  # Converted to Shift_JIS on the way, its declaration left as it was.
  printf '<meta charset="utf-8">\n<p>\x93\xfa\x96\x7b</p>\n' >"$dir/Pages/old.htm"
}

# Every file's checksum, and every name, below $1.
listing() {
  (cd "$1" && find . -printf '%y %p\n' | sort && find . -type f -exec sha256sum {} + | sort)
}

case_check_reports_each_finding_and_changes_nothing() {
  unset DISPLAY WAYLAND_DISPLAY
  export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CACHE_HOME="$work/home/cache"
  mkdir -p "$HOME"
  make_flawed_course "$work/lib/ENGLISH1"
  make_course "$work/lib/clean" $'[Document]\nconfig=course.xml\nmain=main.html\n'
  mkdir -p "$work/lib/broken"
  printf '[Document]\nconfig=missing.xml\nmain=main.html\n' >"$work/lib/broken/DORV.ini"
  local before
  before=$(listing "$work/lib")

  # The clean course alone: nothing to report, status 0.
  local status=0
  (cd "$work/lib" && "$DORV_BIN" --check clean) >"$work/out" 2>"$work/err" || status=$?
  expect_eq "$status" 0 "the clean course's exit status"
  expect_eq "$(tail -n 1 "$work/out")" "course clean: starts; nothing found that will not work" "the clean course's last line"

  # Three courses, as text: one report after another, in the order given.
  status=0
  (cd "$work/lib" && "$DORV_BIN" --check ENGLISH1 broken clean) >"$work/out" 2>"$work/err" || status=$?
  expect_eq "$status" 1 "exit status with findings"
  [ ! -s "$work/err" ] || fail "the check wrote to standard error: $(cat "$work/err")"
  expect_eq "$(grep '^course [^ ]*: ' "$work/out" | tr '\n' '|')" \
    "course ENGLISH1: starts; 2 references and 8 uses of IE-only features will not work, 1 page shows garbled text, 3 references work only as Windows names|course broken: will not start|course clean: starts; nothing found that will not work|" \
    "the last lines"
  local line
  for line in \
    '  main: "pages\Main.HTM" -> '"$work/lib/ENGLISH1/Pages/main.htm"' (found as Windows found it: \ for /, letter case)' \
    '    Pages/main.htm:4: background "..\Images\Cat.GIF" is "../images/cat.gif" on disk (\ for /, letter case)' \
    '    Pages/main.htm:5: src "../画像/絵.gif" is "../画像/絵.gif" on disk (code page 932 name on disk)' \
    '    Pages/lesson.js:2: load() "Lesson.XML" is "lesson.xml" on disk (letter case)' \
    '    Pages/main.htm:5: src "../images/dog.gif": no such file (letter case, \ and code page 932 names tried as well)' \
    '    Pages/main.htm:2: VBScript: <script language="vbscript">: the engine runs JavaScript only: rewrite it in JavaScript' \
    '    Pages/main.htm:7: content for IE only: [if IE]: only Internet Explorer showed what it hides: the engine leaves it out' \
    '    Pages/lesson.js:4: IE dialog window: showModalDialog(): the engine has no modal dialog windows: use window.open() or a <dialog>' \
    '    '"$work/lib/broken"'/missing.xml was not found.' \
    '    Shift_JIS, the program'"'"'s choice (no charset of its own): 1 page' \
    '    UTF-8, the program'"'"'s choice (UTF-8 text, no charset of its own): 1 page' \
    '    Pages/old.htm:2: its text shows garbled: it declares UTF-8, but its text is not UTF-8'; do
    grep -q -F -x -e "$line" "$work/out" || fail "the report lacks the line: $line"
  done

  # The same as one JSON document.
  status=0
  (cd "$work/lib" && "$DORV_BIN" --check --json ENGLISH1 broken clean) >"$work/out.json" 2>"$work/err" || status=$?
  expect_eq "$status" 1 "exit status of --json"
  python3 - "$work/out.json" <<'EOF' || fail "the JSON report is not what was expected"
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
assert report["ok"] is False, report["ok"]
english, broken, clean = report["courses"]
assert english["starts"] and not english["ok"]
assert english["locations"]["main"]["how"] == ["\\ for /", "letter case"], english["locations"]["main"]
assert english["configuration"]["attributes"]["file_title"] == "ENG1"
counts = english["counts"]
assert (counts["pages"], counts["scripts"], counts["windows_names"], counts["broken"]) == (4, 1, 3, 2), counts
names = {(w["file"], w["line"], w["written"]): (w["on_disk"], w["how"]) for w in english["windows_names"]}
assert names[("Pages/main.htm", 5, "../画像/絵.gif")] == ("../画像/絵.gif", ["code page 932 name on disk"]), names
assert names[("Pages/main.htm", 4, "..\\Images\\Cat.GIF")] == ("../images/cat.gif", ["\\ for /", "letter case"]), names
assert sorted((b["line"], b["written"]) for b in english["broken_references"]) == [(5, "../images/dog.gif"), (6, "../../outside.htm")]
kinds = sorted(u["kind"] for u in english["unsupported"])
assert kinds == ["activex-control", "activex-object", "conditional-comment", "flash", "java-applet", "modal-dialog",
                 "popup", "vbscript"], kinds
assert [(u["file"], u["line"]) for u in english["unsupported"] if u["kind"] == "vbscript"] == [("Pages/main.htm", 2)]
decoding = {d["file"]: (d["encoding"], d["source"]) for d in english["decoding"]}
assert decoding == {"Pages/main.htm": ("Shift_JIS", "program"), "Pages/utf8.htm": ("UTF-8", "program"),
                    "Pages/euc.htm": ("euc-jp", "page"), "Pages/old.htm": ("UTF-8", "page")}, decoding
assert [d["line"] for d in english["decoding"] if d["problem"]] == [2]
assert not broken["starts"] and broken["shown"][0]["text"].endswith("/missing.xml was not found.")
assert clean["ok"] and clean["summary"] == "course clean: starts; nothing found that will not work"
EOF

  # Usage errors: status 2, the reason on standard error.
  status=0
  "$DORV_BIN" --json "$work/lib/clean" >"$work/out" 2>"$work/err" || status=$?
  expect_eq "$status" 2 "exit status of --json without --check"
  grep -q -F -e "--json goes with --check" "$work/err" || fail "no reason for the usage error"

  # Nothing in the courses changed, and no learner data or engine folder was made.
  [ "$(listing "$work/lib")" = "$before" ] || fail "the check changed the courses"
  [ -z "$(ls -A "$HOME")" ] || fail "the check wrote below the home folder: $(ls -A "$HOME")"
}
