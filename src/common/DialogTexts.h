// Texts of the buttons of the page's own dialogs, in the learner's language.
#pragma once

#include <string>
#include <vector>

namespace dorv {

struct DialogButtonTexts {
    std::string ok;
    std::string cancel;
};

// `languages`: the learner's languages, most wanted first, as the
// environment gives them ("ja_JP.UTF-8", "ja", "C" ...).
DialogButtonTexts ButtonTextsFor(const std::vector<std::string>& languages);

}  // namespace dorv
