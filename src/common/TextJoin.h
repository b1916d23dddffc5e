// Texts joined with a separator between them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dorv {

inline std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string text;
    for (const std::string& part : parts) {
        if (!text.empty()) text += separator;
        text += part;
    }
    return text;
}

}  // namespace dorv
