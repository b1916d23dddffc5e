// The references and IE-only properties in style sheet text.
#include "check/CourseReferences.h"
#include "common/Location.h"

namespace dorv::scan {
namespace {

bool IsNameByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
}
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\f'; }
bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
    return text.size() >= lowerPrefix.size() && AsciiLowered(text.substr(0, lowerPrefix.size())) == lowerPrefix;
}

// A style sheet string or url's value: "\" and up to six hex digits is a
// character, "\" and another character that character.
std::string UnescapedStyleString(std::string_view raw) {
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 >= raw.size()) {
            out += raw[i];
            continue;
        }
        size_t digits = 0;
        while (digits < 6 && i + 1 + digits < raw.size() && HexDigit(raw[i + 1 + digits]) >= 0) ++digits;
        if (digits == 0) {
            if (!IsLineEnd(raw[i + 1])) out += raw[i + 1];
            ++i;
            continue;
        }
        AppendUtf8(out, static_cast<uint32_t>(HexRun(raw, i + 1, digits)));
        i += digits;
        if (i + 1 < raw.size() && (IsBlank(raw[i + 1]) || IsLineEnd(raw[i + 1]))) ++i;
    }
    return out;
}

// Where the string that starts at `from` ends at `quote` (escapes
// skipped); npos when it does not.
size_t QuotedEnd(std::string_view css, size_t from, char quote) {
    for (size_t i = from; i < css.size(); i += css[i] == '\\' ? 2 : 1) {
        if (css[i] == quote) return i;
    }
    return std::string_view::npos;
}

}  // namespace

void ScanStyle(std::string_view css, const Place& place, TextScan& out) {
    auto reference = [&](size_t at, std::string_view raw, const char* in) {
        std::string written(raw);
        out.references.push_back({place.LineOf(at), written, UnescapedStyleString(written), place.base, in});
    };
    size_t i = 0;
    while (i < css.size()) {
        std::string_view rest = css.substr(i);
        char c = css[i];
        if (rest.starts_with("/*")) {
            size_t end = css.find("*/", i + 2);
            i = end == std::string_view::npos ? css.size() : end + 2;
        } else if (c == '"' || c == '\'') {
            size_t end = QuotedEnd(css, i + 1, c);
            i = end == std::string_view::npos ? css.size() : end + 1;
        } else if (StartsWithNoCase(rest, "url(") && (i == 0 || !IsNameByte(static_cast<unsigned char>(css[i - 1])))) {
            size_t j = i + 4;
            while (j < css.size() && (IsBlank(css[j]) || IsLineEnd(css[j]))) ++j;
            size_t start = j;
            size_t end = j;
            if (j < css.size() && (css[j] == '"' || css[j] == '\'')) {
                start = j + 1;
                end = QuotedEnd(css, start, css[j]);
                if (end == std::string_view::npos) end = css.size();
                j = end;
            } else {
                end = css.find(')', j);
                if (end == std::string_view::npos) end = css.size();
                while (end > start && (IsBlank(css[end - 1]) || IsLineEnd(css[end - 1]))) --end;
            }
            reference(start, css.substr(start, end - start), "url()");
            size_t close = css.find(')', j);
            i = close == std::string_view::npos ? css.size() : close + 1;
        } else if (StartsWithNoCase(rest, "@import")) {
            size_t j = i + 7;
            while (j < css.size() && (IsBlank(css[j]) || IsLineEnd(css[j]))) ++j;
            if (j < css.size() && (css[j] == '"' || css[j] == '\'')) {
                size_t end = QuotedEnd(css, j + 1, css[j]);
                if (end == std::string_view::npos) end = css.size();
                reference(j + 1, css.substr(j + 1, end - j - 1), "@import");
                j = end + 1;
            }
            i = j;
        } else if (StartsWithNoCase(rest, "behavior") &&
                   (i == 0 || !IsNameByte(static_cast<unsigned char>(css[i - 1])))) {
            size_t j = i + 8;
            while (j < css.size() && IsBlank(css[j])) ++j;
            if (j < css.size() && css[j] == ':') {
                size_t end = css.find_first_of(";}\"", j);
                std::string_view value =
                    css.substr(j + 1, end == std::string_view::npos ? std::string_view::npos : end - j - 1);
                while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
                while (!value.empty() && (IsBlank(value.back()) || IsLineEnd(value.back()))) value.remove_suffix(1);
                out.legacy.push_back({place.LineOf(i), LegacyKind::Behavior, "behavior: " + std::string(value), false});
            }
            i = j;
        } else {
            ++i;
        }
    }
}

}  // namespace dorv::scan
