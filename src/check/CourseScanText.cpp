// The pieces the readers of pages, scripts and style sheets share: line
// numbers and the characters of escapes.
#include <algorithm>

#include "check/CourseReferences.h"
#include "common/TextEncoding.h"

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

void AppendUtf8(std::string& out, uint32_t point) { dorv::AppendUtf8(out, point == 0 ? 0xFFFD : point); }

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
