// The argument string of a page call: one text from which the list of
// string arguments is derived.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dorv {

// Quoted whole with matching apostrophes or double quotes: one argument, the
// outer pair removed, nothing inside interpreted. Otherwise the comma tokens,
// untrimmed, never empty. "" gives no arguments.
std::vector<std::string> ParseArgumentString(std::string_view text);

}  // namespace dorv
