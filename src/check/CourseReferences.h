// What a course's pages, scripts and style sheets name and use, read from
// their text as the old browser read them: the files they refer to, and what
// that browser offered that this engine does not (VBScript, ActiveX
// controls, plug-ins, IE's dialogs, conditional comments).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "course/CourseEncoding.h"

namespace dorv {

// A file named in the text.
struct TextReference {
    int line = 0;         // 1-based
    std::string written;  // as it stands in the text (between the quotes)
    std::string target;   // what the engine is handed: entities or escapes decoded
    std::string base;     // the page's <base href> in force, "" without one
    const char* in = "";  // where it stands: "src", "url()", "window.open()" …
};

enum class LegacyKind {
    VBScript,            // <script language="vbscript">, vbscript: links and handlers
    EncodedScript,       // <script language="JScript.Encode">
    ActiveXControl,      // <object classid="clsid:…">
    ActiveXObject,       // new ActiveXObject("…"); `offered` for the XML objects
    Flash,               // .swf, application/x-shockwave-flash
    Shockwave,           // .dcr, application/x-director
    JavaApplet,          // <applet>, <object> of Java
    ModalDialog,         // showModalDialog(), showModelessDialog()
    Popup,               // createPopup()
    ConditionalComment,  // <!--[if IE]> … <![endif]-->
    Behavior,            // CSS behavior: (HTC files, VML)
};

// A use of something the old browser offered.
struct LegacyUse {
    int line = 0;
    LegacyKind kind = LegacyKind::VBScript;
    std::string detail;    // the ProgID, class id, condition or call as written
    bool offered = false;  // ActiveXObject: one of the XML objects the program offers
};

struct TextScan {
    std::vector<TextReference> references;
    std::vector<LegacyUse> legacy;
};

// Reads `text` (the file's text as UTF-8) of a page, script or style sheet.
TextScan ScanCourseText(CourseFileKind kind, std::string_view text);

// A short name of the kind, as the report shows it ("VBScript", "ActiveX
// control" …) and as JSON names it ("vbscript", "activex-control" …).
const char* LegacyKindName(LegacyKind kind);
const char* LegacyKindId(LegacyKind kind);
// Why it will not work, and what to do instead.
const char* LegacyKindWhy(LegacyKind kind);

namespace scan {

// Line numbers of offsets in a text: "\n", "\r\n" and "\r" end a line.
class LineIndex {
public:
    explicit LineIndex(std::string_view text);
    int LineOf(size_t offset) const;

private:
    std::vector<size_t> m_starts;
};

// Where a piece of text lies in its file: a piece cut from the file keeps
// its offsets (from `start`); a piece decoded from an attribute value lies
// wholly on the attribute's line (`line` set).
struct Place {
    const LineIndex* lines = nullptr;
    size_t start = 0;
    int line = 0;
    std::string base;  // the page's <base href> in force
    int LineOf(size_t offset) const { return line ? line : lines->LineOf(start + offset); }
};

void ScanScript(std::string_view code, const Place& place, TextScan& out);
void ScanStyle(std::string_view css, const Place& place, TextScan& out);

// Shared by the readers: a code point appended as UTF-8 (U+FFFD for one
// that is no character), a hex digit's value (-1 for none), and `count` hex
// digits at `at` as a number (-1 when they are not all there).
void AppendUtf8(std::string& out, uint32_t point);
int HexDigit(char c);
int64_t HexRun(std::string_view text, size_t at, size_t count);

// Whether `progId` names one of the XML objects the program offers
// (Microsoft.XMLDOM, Msxml2.XMLHTTP.6.0 …, any case, blanks around ignored).
bool IsOfferedProgId(std::string_view progId);

}  // namespace scan
}  // namespace dorv
