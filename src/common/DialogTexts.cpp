#include "common/DialogTexts.h"

namespace dorv {

bool PrefersJapanese(const std::vector<std::string>& languages) {
    for (const std::string& language : languages) {
        if (language == "C" || language == "POSIX") return false;
        if (language.compare(0, 2, "ja") == 0 && (language.size() == 2 || language[2] == '_' || language[2] == '.')) {
            return true;
        }
        if (language.size() >= 2 && language.compare(0, 2, "en") == 0) return false;
    }
    return false;
}

DialogButtonTexts ButtonTextsFor(const std::vector<std::string>& languages) {
    if (PrefersJapanese(languages)) return {"OK", "キャンセル"};
    return {"OK", "Cancel"};
}

}  // namespace dorv
