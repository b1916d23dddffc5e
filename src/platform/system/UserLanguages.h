// The learner's languages, most wanted first, as the environment gives them
// (LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
#pragma once

#include <string>
#include <vector>

namespace dorv {

std::vector<std::string> UserLanguages();

}  // namespace dorv
