// The library's search by name.
#include <gtest/gtest.h>

#include "library/NameSearch.h"

namespace dorv {
namespace {

TEST(NameSearch, LettersOfEveryWidthAndCase) {
    EXPECT_EQ(FoldedForSearch("ＥＮＧＬＩＳＨ　１ English"), "english 1 english");
    EXPECT_EQ(FoldedForSearch("ｶﾞｲﾄﾞ ﾎﾟｲﾝﾄ ｳﾞｧ ｱﾞ"), "ガイド ポイント ヴァ ア゛");
    // Combining marks join the kana before them, hiragana too.
    EXPECT_EQ(FoldedForSearch("か\u3099は\u309aテ\u3099"), "がぱデ");
    // What is no UTF-8 stays as it is.
    EXPECT_EQ(FoldedForSearch("A\x82\xa0Z"), "a\x82\xa0z");
    EXPECT_EQ(FoldedForSearch("ｱ\xe3"), "ア\xe3");
}

TEST(NameSearch, EveryWordOfTheQuery) {
    EXPECT_TRUE(MatchesSearch("DORV デモコース Ver 1.0", ""));
    EXPECT_TRUE(MatchesSearch("DORV デモコース Ver 1.0", "  "));
    EXPECT_TRUE(MatchesSearch("DORV デモコース Ver 1.0", "ﾃﾞﾓ"));
    EXPECT_TRUE(MatchesSearch("DORV デモコース Ver 1.0", "ver　ｄｏｒｖ"));
    EXPECT_TRUE(MatchesSearch("English for Beginners", "BEGIN eng"));
    EXPECT_FALSE(MatchesSearch("English for Beginners", "english french"));
    EXPECT_FALSE(MatchesSearch("ガイド", "カイ"));
}

}  // namespace
}  // namespace dorv
