#include "course/CourseEncoding.h"

#include <algorithm>
#include <array>
#include <utility>

#include "common/Location.h"
#include "common/TextEncoding.h"

namespace dorv {
namespace {

std::string LowerExtension(const std::string& path) {
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return AsciiLowered(std::string_view(path).substr(dot + 1));
}

bool HasByteOrderMark(std::string_view bytes) {
    auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
    return starts("\xEF\xBB\xBF") || starts("\xFE\xFF") || starts("\xFF\xFE");
}

// Whether the bytes are valid UTF-8 and hold at least one character outside
// ASCII.
bool IsUtf8WithNonAscii(std::string_view bytes) {
    bool nonAscii =
        std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return nonAscii && IsValidUtf8(bytes);
}

// The engine looks for a page's own declaration near its start: a <meta>
// with a charset (either form), or an XML declaration with an encoding.
bool PageDeclaresEncoding(std::string_view bytes) {
    constexpr size_t kPrescanBytes = 4096;
    std::string head = AsciiLowered(bytes.substr(0, kPrescanBytes));
    if (head.rfind("<?xml", 0) == 0) {
        size_t end = head.find("?>");
        if (head.substr(0, end).find("encoding") != std::string::npos) return true;
    }
    for (size_t meta = head.find("<meta"); meta != std::string::npos; meta = head.find("<meta", meta + 5)) {
        size_t end = head.find('>', meta);
        std::string tag = head.substr(meta, end == std::string::npos ? std::string::npos : end - meta);
        size_t charset = tag.find("charset");
        if (charset == std::string::npos) continue;
        size_t equals = tag.find_first_not_of(" \t\r\n\f", charset + 7);
        if (equals != std::string::npos && tag[equals] == '=') return true;
    }
    return false;
}

bool StyleSheetDeclaresEncoding(std::string_view bytes) { return bytes.substr(0, 10) == "@charset \""; }

}  // namespace

CourseFileKind KindOfCourseFile(const std::string& path) {
    std::string ext = LowerExtension(path);
    if (ext == "html" || ext == "htm" || ext == "shtml" || ext == "xhtml" || ext == "hta") return CourseFileKind::Page;
    if (ext == "js" || ext == "mjs" || ext == "jse") return CourseFileKind::Script;
    if (ext == "css") return CourseFileKind::StyleSheet;
    return CourseFileKind::Other;
}

std::string MediaTypeOfCourseFile(const std::string& path) {
    static constexpr std::array<std::pair<const char*, const char*>, 37> kTypes{{
        {"html", "text/html"},
        {"htm", "text/html"},
        {"shtml", "text/html"},
        {"hta", "text/html"},
        {"xhtml", "application/xhtml+xml"},
        {"js", "text/javascript"},
        {"mjs", "text/javascript"},
        {"jse", "text/javascript"},
        {"css", "text/css"},
        {"xml", "text/xml"},
        {"xsl", "text/xml"},
        {"xslt", "text/xml"},
        {"json", "application/json"},
        {"txt", "text/plain"},
        {"csv", "text/csv"},
        {"png", "image/png"},
        {"gif", "image/gif"},
        {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"},
        {"bmp", "image/bmp"},
        {"ico", "image/x-icon"},
        {"svg", "image/svg+xml"},
        {"webp", "image/webp"},
        {"wav", "audio/wav"},
        {"mp3", "audio/mpeg"},
        {"ogg", "audio/ogg"},
        {"oga", "audio/ogg"},
        {"opus", "audio/ogg"},
        {"m4a", "audio/mp4"},
        {"aac", "audio/aac"},
        {"mid", "audio/midi"},
        {"mp4", "video/mp4"},
        {"m4v", "video/mp4"},
        {"webm", "video/webm"},
        {"ogv", "video/ogg"},
        {"woff", "font/woff"},
        {"ttf", "font/ttf"},
    }};
    std::string ext = LowerExtension(path);
    auto found = std::find_if(kTypes.begin(), kTypes.end(), [&](const auto& entry) { return ext == entry.first; });
    return found == kTypes.end() ? std::string() : found->second;
}

std::string DeclaredEncodingOf(CourseFileKind kind, std::string_view bytes) {
    if (kind == CourseFileKind::Other || HasByteOrderMark(bytes)) return {};
    if (kind == CourseFileKind::Page) {
        if (PageDeclaresEncoding(bytes)) return {};
        return IsUtf8WithNonAscii(bytes) ? "UTF-8" : "Shift_JIS";
    }
    if (kind == CourseFileKind::StyleSheet && StyleSheetDeclaresEncoding(bytes)) return {};
    return IsUtf8WithNonAscii(bytes) ? "UTF-8" : std::string();
}

}  // namespace dorv
