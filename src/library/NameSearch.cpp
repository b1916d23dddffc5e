#include "library/NameSearch.h"

#include <vector>

#include "common/TextEncoding.h"

namespace dorv {
namespace {

// Full-width forms of half-width katakana and signs, U+FF61 to U+FF9D.
constexpr char16_t kHalfWidthKana[] = {
    u'。', u'「', u'」', u'、', u'・', u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ', u'ョ', u'ッ', u'ー',
    u'ア', u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ', u'サ', u'シ', u'ス', u'セ', u'ソ', u'タ',
    u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ', u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ', u'ホ', u'マ', u'ミ',
    u'ム', u'メ', u'モ', u'ヤ', u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ', u'ン'};

constexpr char32_t kHalfWidthVoicedMark = 0xFF9E;
constexpr char32_t kHalfWidthSemiVoicedMark = 0xFF9F;
constexpr char32_t kCombiningVoicedMark = 0x3099;
constexpr char32_t kCombiningSemiVoicedMark = 0x309A;

// The kana that a voiced mark turns into the next code point (カ into ガ),
// and those that a semi-voiced mark turns into the one after it (ハ into
// パ); hiragana and katakana alike.
bool TakesVoicedMark(char32_t c) {
    for (char32_t base : {U'か', U'カ'}) {
        // か to ぢ are every other code point; つ, て, と follow after っ.
        if (c >= base && c <= base + 0x16 && (c - base) % 2 == 0) return true;
        if (c == base + 0x19 || c == base + 0x1B || c == base + 0x1D) return true;
        if (c >= base + 0x24 && c <= base + 0x30 && (c - base - 0x24) % 3 == 0) return true;
    }
    return false;
}
bool TakesSemiVoicedMark(char32_t c) {
    for (char32_t base : {U'は', U'ハ'}) {
        if (c >= base && c <= base + 12 && (c - base) % 3 == 0) return true;
    }
    return false;
}

// The next code point of `text` from `at` (which moves past it); an invalid
// byte is returned as itself with `valid` false.
char32_t NextCodePoint(std::string_view text, size_t& at, bool& valid) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(at);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > text.size() || !IsValidUtf8(text.substr(at, length))) {
        valid = false;
        ++at;
        return lead;
    }
    valid = true;
    char32_t point = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) point = (point << 6) | (byte(at + i) & 0x3F);
    at += length;
    return point;
}

char32_t Folded(char32_t c) {
    if (c >= 0xFF01 && c <= 0xFF5E) c -= 0xFF01 - 0x21;  // full-width ASCII
    if (c == 0x3000) c = ' ';
    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
    if (c >= 0xFF61 && c <= 0xFF9D) c = kHalfWidthKana[c - 0xFF61];
    return c;
}

}  // namespace

std::string FoldedForSearch(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    // Code points waiting to be written, so that a voiced mark can still join
    // the kana before it.
    char32_t last = 0;
    bool haveLast = false;
    auto flush = [&] {
        if (haveLast) AppendUtf8(folded, last);
        haveLast = false;
    };
    for (size_t at = 0; at < text.size();) {
        bool valid = true;
        char32_t c = NextCodePoint(text, at, valid);
        if (!valid) {
            flush();
            folded += static_cast<char>(c);
            continue;
        }
        bool voiced = c == kHalfWidthVoicedMark || c == kCombiningVoicedMark;
        bool semiVoiced = c == kHalfWidthSemiVoicedMark || c == kCombiningSemiVoicedMark;
        if (haveLast && voiced && (TakesVoicedMark(last) || last == U'ウ')) {
            last = last == U'ウ' ? U'ヴ' : last + 1;
            continue;
        }
        if (haveLast && semiVoiced && TakesSemiVoicedMark(last)) {
            last += 2;
            continue;
        }
        flush();
        if (c == kHalfWidthVoicedMark) c = U'゛';
        if (c == kHalfWidthSemiVoicedMark) c = U'゜';
        last = Folded(c);
        haveLast = true;
    }
    flush();
    return folded;
}

bool MatchesSearch(std::string_view name, std::string_view query) {
    std::string folded = FoldedForSearch(name);
    std::string words = FoldedForSearch(query);
    size_t at = 0;
    while (at < words.size()) {
        size_t end = words.find(' ', at);
        if (end == std::string::npos) end = words.size();
        if (end > at && folded.find(words.substr(at, end - at)) == std::string::npos) return false;
        at = end + 1;
    }
    return true;
}

}  // namespace dorv
