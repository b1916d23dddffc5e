// The learner's language, and the texts of the buttons of the page's own
// dialogs in it.
#pragma once

#include <string>
#include <vector>

namespace dorv {

struct DialogButtonTexts {
    std::string ok;
    std::string cancel;
};

// Whether the learner reads Japanese before English. `languages`: the
// learner's languages, most wanted first, as the environment gives them
// ("ja_JP.UTF-8", "ja", "C" ...); the first of Japanese, English or the
// plain C locale decides.
bool PrefersJapanese(const std::vector<std::string>& languages);

DialogButtonTexts ButtonTextsFor(const std::vector<std::string>& languages);

}  // namespace dorv
