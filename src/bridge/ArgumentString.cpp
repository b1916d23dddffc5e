#include "bridge/ArgumentString.h"

#include "common/Tokens.h"

namespace dorv {

std::vector<std::string> ParseArgumentString(std::string_view text) {
    if (!text.empty() && (text.front() == '\'' || text.front() == '"') && text.back() == text.front()) {
        // A single quote character is both first and last: one empty argument.
        return {std::string(text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string_view{})};
    }
    return SplitTokens(text, ",");
}

}  // namespace dorv
