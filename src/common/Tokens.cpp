#include "common/Tokens.h"

namespace dorv {
namespace {

// Length of the UTF-8 character that starts at `text[at]` (1 for a stray byte).
size_t CharLength(std::string_view text, size_t at) {
    unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return at + length <= text.size() ? length : 1;
}

bool IsDelimiter(std::string_view text, size_t at, size_t length, std::string_view delimiters) {
    std::string_view c = text.substr(at, length);
    for (size_t d = 0; d < delimiters.size();) {
        size_t dl = CharLength(delimiters, d);
        if (delimiters.substr(d, dl) == c) return true;
        d += dl;
    }
    return false;
}

// Calls `visit(begin, end)` for each token until it returns false.
template <typename Visit>
void ForEachToken(std::string_view text, std::string_view delimiters, Visit visit) {
    size_t at = 0;
    while (at < text.size()) {
        size_t length = CharLength(text, at);
        if (IsDelimiter(text, at, length, delimiters)) {
            at += length;
            continue;
        }
        size_t begin = at;
        while (at < text.size()) {
            length = CharLength(text, at);
            if (IsDelimiter(text, at, length, delimiters)) break;
            at += length;
        }
        if (!visit(text.substr(begin, at - begin))) return;
    }
}

}  // namespace

int CountTokens(std::string_view text, std::string_view delimiters) {
    int count = 0;
    ForEachToken(text, delimiters, [&](std::string_view) {
        ++count;
        return true;
    });
    return count;
}

std::string GetToken(std::string_view text, std::string_view delimiters, int index) {
    std::string found;
    if (index < 0) return found;
    ForEachToken(text, delimiters, [&](std::string_view token) {
        if (index-- > 0) return true;
        found.assign(token);
        return false;
    });
    return found;
}

std::vector<std::string> SplitTokens(std::string_view text, std::string_view delimiters) {
    std::vector<std::string> tokens;
    ForEachToken(text, delimiters, [&](std::string_view token) {
        tokens.emplace_back(token);
        return true;
    });
    return tokens;
}

std::string TrimWhiteSpace(std::string_view text) {
    constexpr std::string_view kWhite = " \t\n\v\f\r";
    size_t end = text.find_last_not_of(kWhite);
    if (end == std::string_view::npos) return {};
    size_t begin = text.find_first_not_of(kWhite);
    return std::string(text.substr(begin, end - begin + 1));
}

}  // namespace dorv
