// The pieces the readers of pages, scripts and style sheets share: line
// numbers and the characters of escapes.
#include <algorithm>

#include "check/CourseReferences.h"

namespace dorv::scan {

LineIndex::LineIndex(std::string_view text) {
    m_starts.push_back(0);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\n' || (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) m_starts.push_back(i + 1);
    }
}

int LineIndex::LineOf(size_t offset) const {
    return static_cast<int>(std::upper_bound(m_starts.begin(), m_starts.end(), offset) - m_starts.begin());
}

void AppendUtf8(std::string& out, uint32_t point) {
    if (point == 0 || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) point = 0xFFFD;
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// `count` hex digits at `at` as a number; -1 when they are not all there.
int64_t HexRun(std::string_view text, size_t at, size_t count) {
    if (at + count > text.size()) return -1;
    int64_t value = 0;
    for (size_t k = 0; k < count; ++k) {
        int digit = HexDigit(text[at + k]);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace dorv::scan
