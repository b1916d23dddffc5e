#include "common/TextEncoding.h"

#include <gtest/gtest.h>

namespace dorv {
namespace {

TEST(TextEncoding, RecognisesWellFormedUtf8Only) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("ascii"));
    EXPECT_TRUE(IsValidUtf8("設定ファイル\u3000"));
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));   // U+1F600
    EXPECT_FALSE(IsValidUtf8("\x90\xDD\x92\xE8"));  // "設定" in code page 932
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xE3\x81"));          // cut short
}

TEST(TextEncoding, Cp932RoundTripsWindowsOnlyCharacters) {
    // Circled one, fullwidth tilde and fullwidth minus as Windows maps them.
    const std::string cp932 = "\x87\x40\x81\x60\x81\x7C";
    auto utf8 = Cp932ToUtf8(cp932);
    ASSERT_TRUE(utf8);
    EXPECT_EQ(*utf8, "\u2460\uFF5E\uFF0D");
    EXPECT_EQ(Utf8ToCp932(*utf8), cp932);
}

TEST(TextEncoding, ConversionFailuresAreReported) {
    EXPECT_FALSE(Cp932ToUtf8("\x81"));              // lead byte without its trail byte
    EXPECT_FALSE(Utf8ToCp932("\xF0\x9F\x98\x80"));  // no code page 932 form
    EXPECT_FALSE(Utf8ToCp932("\xFF"));
}

TEST(TextEncoding, ConvertsLongTextCompletely) {
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "あいう";
    auto cp932 = Utf8ToCp932(text);
    ASSERT_TRUE(cp932);
    EXPECT_EQ(cp932->size(), 30000u);
    EXPECT_EQ(Cp932ToUtf8(*cp932), text);
}

TEST(TextEncoding, TruncationNeverSplitsACharacter) {
    EXPECT_EQ(TruncateUtf8("abc", 5), "abc");
    EXPECT_EQ(TruncateUtf8("abあ", 3), "ab");  // "あ" is 3 bytes
    EXPECT_EQ(TruncateUtf8("abあ", 4), "ab");
    EXPECT_EQ(TruncateUtf8("abあ", 5), "abあ");
}

}  // namespace
}  // namespace dorv
