// The library's search by name: letters compare without regard to case,
// full-width letters, digits and signs as their ASCII forms, and half-width
// katakana as full-width ones, so that "ｅｎｇｌｉｓｈ", "English" and
// "ENGLISH" find the same course, and so do "ｶﾞｲﾄﾞ" and "ガイド".
#pragma once

#include <string>
#include <string_view>

namespace dorv {

// `text` (UTF-8) in the form that names are compared in. Bytes that are no
// UTF-8 stay as they are.
std::string FoldedForSearch(std::string_view text);

// Whether `name` holds every word of `query` (words are separated by
// spaces, full-width ones too); an empty query matches every name.
bool MatchesSearch(std::string_view name, std::string_view query);

}  // namespace dorv
