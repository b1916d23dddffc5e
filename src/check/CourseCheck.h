// The course check (dorv --check): a course read as the program reads it,
// without a window, for the administrator who moves courses copied from
// Windows machines. It reports what the program would show at start-up, the
// course configuration, the references of the course's pages, scripts and
// style sheets to files that will not be found (and those found only as
// Windows found names), what the old browser offered that this engine does
// not, and how each page is decoded. Nothing is written: not in the course,
// not in any learner's data.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "course/CourseEncoding.h"
#include "course/CourseNames.h"

namespace dorv {

class CCoursePages;
class CDORVApp;
class ILocationPlaces;
class IUrlFetcher;

struct CheckServices {
    // Where the drive letters and network paths of a course's DORV.ini lead,
    // for the application object that read it; may be empty (they lead
    // nowhere then).
    std::function<std::unique_ptr<ILocationPlaces>(const CDORVApp&)> places;
    // Course configuration files on a server; null: they are not fetched.
    IUrlFetcher* fetcher = nullptr;
};

// A [Document] location as the start-up checks took it.
struct CheckedLocation {
    std::string written;           // as DORV.ini gives it
    std::string resolved;          // where it leads; "" when unusable
    bool checked = false;          // the program looks at it (main is not looked at after config failed)
    std::vector<std::string> how;  // found only as Windows found names: how
};

// A text the program shows in a message box, with the cause it names on
// standard error.
struct ShownMessage {
    std::string text;
    std::string note;
};

// A reference to a file, with the file and line it stands on.
struct ReferenceFinding {
    std::string file;
    int line = 0;
    std::string written;
    std::string in;                // what names it: "src", "url()", "window.open()" …
    std::string onDisk;            // found as a Windows name: the spelling that names it exactly
    std::vector<std::string> how;  // found as a Windows name: how
    std::string problem;           // will not work: why
};

struct LegacyFinding {
    std::string file;
    int line = 0;
    std::string kind;  // LegacyKindId
    std::string name;  // LegacyKindName
    std::string detail;
    std::string why;  // what happens instead
};

// How a page's bytes become text.
struct PageDecoding {
    std::string file;
    std::string encoding;  // what the engine reads it as
    std::string source;    // "program", "byte-order mark", "page" or "engine default"
    std::string declared;  // the page's own charset, as it names it
    std::string problem;   // its text will show garbled: why
    int line = 0;          // of the first byte that does not fit, 0 for none
};

struct CheckCounts {
    size_t pages = 0;
    size_t scripts = 0;
    size_t styleSheets = 0;
    size_t references = 0;    // every reference read
    size_t elsewhere = 0;     // of them: addresses of the web, mail and the like, a page's own anchors
    size_t exact = 0;         // found as written
    size_t windowsNames = 0;  // found only as Windows found names
    size_t broken = 0;        // found in no way, or outside the course
};

struct CourseCheckReport {
    std::string given;          // the folder as given
    std::string folder;         // the course folder, absolute
    std::string folderProblem;  // the folder cannot be entered: why
    std::string iniPath;
    std::vector<ShownMessage> shown;  // at start-up, in order: the program ends after them
    std::vector<ShownMessage> next;   // what the main page would show once the configuration is mended
    CheckedLocation config;
    CheckedLocation main;
    bool starts = false;

    bool configurationRead = false;
    std::string configurationProblem;                                // the course's data cannot be kept: why
    std::vector<std::pair<std::string, std::string>> configuration;  // attribute, value
    bool legacyScript = true;                                        // [Settings] compat

    std::string pagesNotRead;        // why the pages were not read; "" when they were
    std::vector<std::string> roots;  // the folders whose files are the course's
    CheckCounts counts;
    std::vector<ReferenceFinding> windowsNames;
    std::vector<ReferenceFinding> broken;
    std::vector<LegacyFinding> legacy;
    std::vector<PageDecoding> decodings;
    std::vector<ReferenceFinding> unreadable;  // course files that cannot be read (problem set)

    // Something was found that will not work (the course may still start).
    bool HasProblems() const;
    // The last line: "course ENGLISH1: starts; nothing found that will not work".
    std::string Summary() const;
};

// Checks the course in `folder` (relative to the working directory, which
// is the same again afterwards).
CourseCheckReport CheckCourse(const std::string& folder, const CheckServices& services);

// The two parts of CheckCourse. The start-up checks work in the course
// folder for a moment (the working directory is the process's: one course
// at a time); the files are read from any thread, a course at a time each.
CourseCheckReport CheckCourseStartUp(const std::string& folder, const CheckServices& services);
void CheckCourseFiles(CourseCheckReport& report);

// Checks each folder (the files of several courses at once, on the
// processor's cores) and writes the report to `out` in the order given: text
// as each course is done, or one JSON document at the end. Returns the exit status:
// 0 when every course starts and nothing was found that will not work,
// otherwise 1 (also when the report could not be written whole, which is
// said on standard error).
int RunCourseCheck(const std::vector<std::string>& folders, bool json, const CheckServices& services, std::FILE* out);

std::string TextReport(const CourseCheckReport& report);
std::string JsonReport(const std::vector<CourseCheckReport>& reports);

namespace check {

// Reads every page, script and style sheet below the course's folders and
// fills the findings, counts and decodings of `report`.
void CheckCourseFiles(const CCoursePages& pages, CourseCheckReport& report);

// A file's text as UTF-8 as the engine reads it, and for a page how.
struct DecodedText {
    std::string text;
    PageDecoding decoding;                 // file left empty
    size_t badOffset = std::string::npos;  // in the bytes: the first that does not fit
};
DecodedText DecodeCourseText(CourseFileKind kind, std::string_view bytes);

// A path for the report: relative to the course folder when below it, each
// name that is not UTF-8 shown converted from code page 932.
std::string ShownPath(const std::string& path, const std::string& courseFolder);
// A name on disk for the report (code page 932 bytes converted).
std::string ShownName(const std::string& name);

// How a name was found that differs from the one written, in the report's
// words: "\\ for /", "letter case", and so on.
std::vector<std::string> HowNamed(const NameMatch& match);

}  // namespace check
}  // namespace dorv
