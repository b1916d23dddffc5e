// How the course check reads a file's bytes as text: as the engine will,
// given what the program declares for it (CourseEncoding.h).
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>

#include "check/CourseCheck.h"
#include "common/Location.h"
#include "common/TextEncoding.h"

namespace dorv::check {
namespace {

// The length of the well-formed UTF-8 sequence at `i`, 0 when none starts there.
size_t Utf8Length(std::string_view b, size_t i) {
    auto c = static_cast<unsigned char>(b[i]);
    if (c < 0x80) return 1;
    size_t length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (length == 0 || i + length > b.size()) return 0;
    auto second = static_cast<unsigned char>(b[i + 1]);
    unsigned low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
    unsigned high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    if (second < low || second > high) return 0;
    for (size_t k = 2; k < length; ++k) {
        auto next = static_cast<unsigned char>(b[i + k]);
        if (next < 0x80 || next > 0xBF) return 0;
    }
    return length;
}

size_t FirstInvalidUtf8(std::string_view b) {
    for (size_t i = 0; i < b.size();) {
        size_t length = Utf8Length(b, i);
        if (length == 0) return i;
        i += length;
    }
    return std::string::npos;
}

// UTF-8 as the engine decodes it: each byte that does not fit is U+FFFD.
std::string Utf8WithReplacement(std::string_view b) {
    std::string out;
    out.reserve(b.size());
    for (size_t i = 0; i < b.size();) {
        size_t length = Utf8Length(b, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(b.substr(i, length));
            i += length;
        }
    }
    return out;
}

bool HasNonAscii(std::string_view b) {
    return std::any_of(b.begin(), b.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The bytes converted from `charset` by the C library; false when it does
// not know the charset. `badOffset` gets the first byte that does not fit.
bool Converted(const std::string& charset, std::string_view bytes, std::string& text, size_t& badOffset) {
    if (charset.empty()) return false;  // the C library would take the locale's
    iconv_t cd = iconv_open("UTF-8", charset.c_str());
    // iconv_open's documented failure value.
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;  // NOLINT(performance-no-int-to-ptr)
    text.clear();
    std::string buffer(4096, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* out = buffer.data();
        size_t outLeft = buffer.size();
        size_t done = iconv(cd, &in, &inLeft, &out, &outLeft);
        text.append(buffer.data(), buffer.size() - outLeft);
        if (done != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        if (badOffset == std::string::npos) badOffset = static_cast<size_t>(in - bytes.data());
        text += "\xEF\xBF\xBD";
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    // Whatever the C library made of a charset that names UTF-8 in a way of
    // its own, the text is text.
    if (!IsValidUtf8(text)) text = Utf8WithReplacement(text);
    return true;
}

// The page's own charset, lower case: of an XML declaration or a <meta>
// in its first 4096 bytes, as the program looks for one.
std::string DeclaredLabel(std::string_view bytes) {
    std::string head = AsciiLowered(bytes.substr(0, 4096));
    auto labelAt = [&](size_t from) {
        size_t i = head.find_first_not_of(" \t\r\n\f", from);
        if (i == std::string::npos || head[i] != '=') return std::string();
        i = head.find_first_not_of(" \t\r\n\f\"'", i + 1);
        if (i == std::string::npos) return std::string();
        // A charset's name is a token of letters, digits and ".:_-".
        size_t end = i;
        while (end < head.size() && (std::isalnum(static_cast<unsigned char>(head[end])) ||
                                     std::string_view(".:_-").find(head[end]) != std::string_view::npos)) {
            ++end;
        }
        return head.substr(i, end - i);
    };
    if (head.rfind("<?xml", 0) == 0) {
        size_t end = head.find("?>");
        size_t encoding = head.substr(0, end).find("encoding");
        if (encoding != std::string::npos) return labelAt(encoding + 8);
    }
    for (size_t meta = head.find("<meta"); meta != std::string::npos; meta = head.find("<meta", meta + 5)) {
        size_t end = head.find('>', meta);
        std::string_view tag =
            std::string_view(head).substr(meta, end == std::string::npos ? std::string::npos : end - meta);
        size_t charset = tag.find("charset");
        if (charset == std::string::npos) continue;
        std::string label = labelAt(meta + charset + 7);
        if (!label.empty()) return label;
    }
    return {};
}

template <size_t N>
bool OneOf(const std::string& label, const std::array<const char*, N>& labels) {
    return std::any_of(labels.begin(), labels.end(), [&](const char* known) { return label == known; });
}

bool IsUtf8Label(const std::string& label) {
    static constexpr std::array<const char*, 6> kLabels{"utf-8",         "utf8",          "unicode-1-1-utf-8",
                                                        "unicode11utf8", "unicode20utf8", "x-unicode20utf8"};
    return OneOf(label, kLabels);
}

bool IsShiftJisLabel(const std::string& label) {
    static constexpr std::array<const char*, 8> kLabels{"csshiftjis", "ms932", "ms_kanji",    "shift-jis",
                                                        "shift_jis",  "sjis",  "windows-31j", "x-sjis"};
    return OneOf(label, kLabels);
}

void DecodePageOfItsOwn(std::string_view bytes, DecodedText& out) {
    PageDecoding& d = out.decoding;
    auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
    if (starts("\xEF\xBB\xBF") || starts("\xFE\xFF") || starts("\xFF\xFE")) {
        d.source = "byte-order mark";
        d.encoding = starts("\xEF\xBB\xBF") ? "UTF-8" : starts("\xFE\xFF") ? "UTF-16BE" : "UTF-16LE";
        if (d.encoding == "UTF-8") {
            out.text = Utf8WithReplacement(bytes.substr(3));
        } else {
            Converted(d.encoding, bytes.substr(2), out.text, out.badOffset);
            if (out.badOffset != std::string::npos) out.badOffset += 2;
        }
        return;
    }
    d.source = "page";
    d.declared = DeclaredLabel(bytes);
    if (IsUtf8Label(d.declared)) {
        d.encoding = "UTF-8";
        out.badOffset = FirstInvalidUtf8(bytes);
        out.text = Utf8WithReplacement(bytes);
        if (out.badOffset != std::string::npos) d.problem = "it declares UTF-8, but its text is not UTF-8";
    } else if (IsShiftJisLabel(d.declared)) {
        d.encoding = "Shift_JIS";
        out.text = Cp932ToUtf8Lenient(bytes);
        if (IsValidUtf8(bytes) && HasNonAscii(bytes)) {
            d.problem = "it declares Shift_JIS, but its text is UTF-8";
        } else if (!Cp932ToUtf8(bytes)) {
            d.problem = "it declares Shift_JIS, but holds bytes that are no Shift_JIS text";
        }
    } else if (Converted(d.declared, bytes, out.text, out.badOffset)) {
        d.encoding = d.declared;
        if (out.badOffset != std::string::npos) d.problem = "its text is not " + d.declared;
    } else {
        d.source = "engine default";
        d.encoding = "windows-1252";
        size_t ignored = std::string::npos;
        Converted("WINDOWS-1252", bytes, out.text, ignored);
        if (HasNonAscii(bytes)) d.problem = "it declares \"" + d.declared + "\", a charset the engine does not know";
    }
}

}  // namespace

DecodedText DecodeCourseText(CourseFileKind kind, std::string_view bytes) {
    DecodedText out;
    PageDecoding& d = out.decoding;
    std::string declared = DeclaredEncodingOf(kind, bytes);
    if (declared == "UTF-8") {
        d.source = "program";
        d.encoding = declared;
        out.text = bytes;
    } else if (declared == "Shift_JIS") {
        d.source = "program";
        d.encoding = declared;
        out.text = Cp932ToUtf8Lenient(bytes);
    } else if (kind == CourseFileKind::Page) {
        DecodePageOfItsOwn(bytes, out);
    } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        out.text = Utf8WithReplacement(bytes.substr(3));
    } else if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        Converted(bytes[0] == '\xFF' ? "UTF-16LE" : "UTF-16BE", bytes.substr(2), out.text, out.badOffset);
    } else {
        // Left to the page that includes it: the courses' pages are Shift_JIS.
        out.text = IsValidUtf8(bytes) ? std::string(bytes) : Cp932ToUtf8Lenient(bytes);
    }
    return out;
}

std::string ShownName(const std::string& name) { return IsValidUtf8(name) ? name : Cp932ToUtf8Lenient(name); }

std::string ShownPath(const std::string& path, const std::string& courseFolder) {
    std::string shown = path;
    std::string prefix = courseFolder + (courseFolder.ends_with("/") ? "" : "/");
    if (shown.rfind(prefix, 0) == 0 && shown.size() > prefix.size()) shown = shown.substr(prefix.size());
    if (IsValidUtf8(shown)) return shown;
    std::string out;
    size_t start = 0;
    for (;;) {
        size_t slash = shown.find('/', start);
        out += ShownName(shown.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos) break;
        out += '/';
        start = slash + 1;
    }
    return out;
}

}  // namespace dorv::check
