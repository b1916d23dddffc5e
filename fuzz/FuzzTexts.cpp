// Fuzz targets for the texts the program parses: DORV.ini, locations and
// page addresses, argument strings and tokens, code page 932. One binary
// per target (FUZZ_TARGET picks the body).
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/IniFile.h"
#include "bridge/ArgumentString.h"
#include "common/Location.h"
#include "common/TextEncoding.h"
#include "common/Tokens.h"
#include "course/CourseEncoding.h"
#include "course/CoursePages.h"

using namespace dorv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
#if FUZZ_TARGET == 1  // the INI reader
    CIniFile ini(input);
    for (const char* section : {"Document", "Settings", "Drives", ""}) {
        for (const char* key : {"config", "main", "debug", "mute", "C", ""}) ini.GetString(section, key);
    }
#elif FUZZ_TARGET == 2  // locations and page addresses: "<main>\n<uri>"
    size_t cut = input.find('\n');
    std::string main = input.substr(0, cut), uri = cut == std::string::npos ? "" : input.substr(cut + 1);
    IsUrlLocation(main);
    IsPageLocation(main);
    IsXmlLocation(main);
    if (!IsUrlLocation(main) && !main.empty() && main[0] != '/') main.insert(0, "/");
    CCoursePages pages(main, "/srv/course");
    // A page the course serves never lies outside the course's folders.
    std::string file = pages.FileOf(uri);
    if (!file.empty() && NormalisePath(file) != file) __builtin_trap();
    pages.IsCoursePage(uri);
    pages.AcceptMainPageArrival(uri);
    pages.IsCoursePage(main);
    for (CourseFileKind kind : {CourseFileKind::Page, CourseFileKind::Script, CourseFileKind::StyleSheet}) {
        DeclaredEncodingOf(kind, input);
    }
    FileErrorText(static_cast<int>(size % 200), main);
#elif FUZZ_TARGET == 3  // the argument string and the token rule
    ParseArgumentString(input);
    int n = CountTokens(input, ",:\n");
    for (int i = -1; i <= n; ++i) GetToken(input, ",:\n", i);
    TrimWhiteSpace(input);
#elif FUZZ_TARGET == 4  // code page 932 both ways: decoding never fails, and round-trips
    std::string text = Cp932ToUtf8Lenient(input);
    if (!IsValidUtf8(text)) __builtin_trap();
    Utf8ToCp932Lossy(input);
    Utf8ToCp932Lossy(text);
#endif
    return 0;
}
