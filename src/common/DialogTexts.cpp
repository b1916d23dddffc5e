#include "common/DialogTexts.h"

namespace dorv {

DialogButtonTexts ButtonTextsFor(const std::vector<std::string>& languages) {
    for (const std::string& language : languages) {
        if (language == "C" || language == "POSIX") break;
        if (language.compare(0, 2, "ja") == 0 && (language.size() == 2 || language[2] == '_' || language[2] == '.')) {
            return {"OK", "キャンセル"};
        }
        if (language.size() >= 2 && language.compare(0, 2, "en") == 0) break;
    }
    return {"OK", "Cancel"};
}

}  // namespace dorv
