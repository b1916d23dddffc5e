// The splitting rule shared by the whole host: a token is a maximal run of
// characters none of which is a delimiter. Runs of delimiters, leading and
// trailing ones included, only separate tokens, so no token is ever empty.
// Characters are whole UTF-8 characters: a delimiter never matches part of a
// multibyte character.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dorv {

int CountTokens(std::string_view text, std::string_view delimiters);

// Token number `index` (0-based), or "" when there are not that many tokens
// or the number is negative.
std::string GetToken(std::string_view text, std::string_view delimiters, int index);

// All tokens in order.
std::vector<std::string> SplitTokens(std::string_view text, std::string_view delimiters);

// `text` without white space (space, tab, line feed, vertical tab, form
// feed, carriage return) at either end.
std::string TrimWhiteSpace(std::string_view text);

}  // namespace dorv
