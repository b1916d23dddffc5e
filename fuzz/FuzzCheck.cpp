// Fuzz target for what the course check reads from a course's files: any
// bytes, as a page, a script or a style sheet, are decoded and read for
// references and IE-only features. The first byte picks the kind.
#include <cstddef>
#include <cstdint>
#include <string>

#include "check/CourseCheck.h"
#include "check/CourseReferences.h"
#include "common/TextEncoding.h"

using namespace dorv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const CourseFileKind kinds[] = {CourseFileKind::Page, CourseFileKind::Script, CourseFileKind::StyleSheet};
    CourseFileKind kind = kinds[data[0] % 3];
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    check::DecodedText decoded = check::DecodeCourseText(kind, bytes);
    // What is read, and shown, is always text.
    if (!IsValidUtf8(decoded.text)) __builtin_trap();
    if (decoded.badOffset != std::string::npos && decoded.badOffset > bytes.size()) __builtin_trap();
    TextScan scan = ScanCourseText(kind, decoded.text);
    int lines = scan::LineIndex(decoded.text).LineOf(decoded.text.size());
    for (const TextReference& ref : scan.references) {
        if (ref.line < 1 || ref.line > lines) __builtin_trap();
    }
    for (const LegacyUse& use : scan.legacy) {
        if (use.line < 1 || use.line > lines) __builtin_trap();
    }
    return 0;
}
