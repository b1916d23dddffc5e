// The argument-string examples of the course author's guide, checked
// against the parser that the page calls use.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "bridge/ArgumentString.h"

namespace dorv {
namespace {

// The JSON array of strings in `text` ("[\"a\",\"b\"]").
std::vector<std::string> ParseStringArray(const std::string& text) {
    std::vector<std::string> items;
    std::string current;
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (!inString) {
            if (c == '"') {
                inString = true;
                current.clear();
            }
        } else if (c == '\\' && i + 1 < text.size()) {
            current.push_back(text[++i]);
        } else if (c == '"') {
            inString = false;
            items.push_back(current);
        } else {
            current.push_back(c);
        }
    }
    return items;
}

// The text of the n-th backtick span of a table row.
std::string Span(const std::string& row, int n) {
    size_t at = 0;
    for (int i = 0; i <= n; ++i) {
        size_t open = row.find('`', at);
        size_t close = open == std::string::npos ? open : row.find('`', open + 1);
        if (close == std::string::npos) return {};
        if (i == n) return row.substr(open + 1, close - open - 1);
        at = close + 1;
    }
    return {};
}

TEST(GuideExamples, ArgumentStringsSplitAsTheGuideSays) {
    std::ifstream guide(DORV_GUIDE);
    ASSERT_TRUE(guide) << DORV_GUIDE;
    std::string line;
    while (std::getline(guide, line) && line != "<!-- argument-examples -->") {
    }
    ASSERT_TRUE(guide) << "the guide has no argument examples";
    int rows = 0;
    while (std::getline(guide, line) && !line.empty() && line[0] == '|') {
        if (line.find('`') == std::string::npos) continue;  // header and rule
        EXPECT_EQ(ParseArgumentString(Span(line, 0)), ParseStringArray(Span(line, 1))) << line;
        ++rows;
    }
    EXPECT_GE(rows, 8);
}

}  // namespace
}  // namespace dorv
