// How the course's files are described to the engine: their media type and,
// for pages, scripts and style sheets that declare no encoding, the encoding
// the original shell's browser used on a Japanese system.
#pragma once

#include <string>
#include <string_view>

namespace dorv {

enum class CourseFileKind { Page, Script, StyleSheet, Other };

// By the file name's extension, any case.
CourseFileKind KindOfCourseFile(const std::string& path);

// The media type by the file name's extension; "" when the extension is
// not one the courses use (the caller then guesses from the content).
std::string MediaTypeOfCourseFile(const std::string& path);

// The encoding to declare for a file of `kind` with the content `bytes`, or
// "" to declare none. A file that declares its own (a byte-order mark; for a
// page a <meta> charset or an XML declaration; for a style sheet @charset)
// keeps it. Otherwise a page is Shift_JIS (code page 932) unless its bytes
// are valid UTF-8 holding non-ASCII text, which is UTF-8. A script or style
// sheet of valid UTF-8 with non-ASCII text is UTF-8; any other is left to
// the page that includes it (its charset attribute, or the page's own
// encoding, as the old browser did).
std::string DeclaredEncodingOf(CourseFileKind kind, std::string_view bytes);

}  // namespace dorv
