#include "common/Tokens.h"

#include <gtest/gtest.h>

#include "bridge/ArgumentString.h"
#include "common/DialogTexts.h"

namespace dorv {
namespace {

using Args = std::vector<std::string>;

TEST(Tokens, RunsOfDelimitersOnlySeparate) {
    EXPECT_EQ(CountTokens("", ","), 0);
    EXPECT_EQ(CountTokens(",,,", ","), 0);
    EXPECT_EQ(CountTokens(",a,,b,", ","), 2);
    EXPECT_EQ(GetToken(",a,,b,", ",", 0), "a");
    EXPECT_EQ(GetToken(",a,,b,", ",", 1), "b");
    EXPECT_EQ(GetToken(",a,,b,", ",", 2), "");
    EXPECT_EQ(GetToken("a", ",", -1), "");
    EXPECT_EQ(SplitTokens("x:y;z", ":;"), (Args{"x", "y", "z"}));
}

TEST(Tokens, DelimitersNeverMatchInsideACharacter) {
    // "あ" is E3 81 82 and "Ё" is D0 81: neither contains a delimiter byte
    // of the other, but a byte-wise scan would cut "あ" at 0x81.
    EXPECT_EQ(SplitTokens("aあbЁc", "Ё"), (Args{"aあb", "c"}));
    EXPECT_EQ(CountTokens("あいう", "\x81"), 1);
    EXPECT_EQ(SplitTokens("学習,履歴", ","), (Args{"学習", "履歴"}));
}

TEST(Tokens, TrimmingTakesOnlyWhiteSpace) {
    EXPECT_EQ(TrimWhiteSpace(" \t\r\n\v\fabc \r"), "abc");
    EXPECT_EQ(TrimWhiteSpace("a b"), "a b");
    EXPECT_EQ(TrimWhiteSpace(" \u3000 "), "\u3000");
    EXPECT_EQ(TrimWhiteSpace("   "), "");
}

TEST(ArgumentString, CommaTokensUntrimmed) {
    EXPECT_EQ(ParseArgumentString(""), Args{});
    EXPECT_EQ(ParseArgumentString("a,b"), (Args{"a", "b"}));
    EXPECT_EQ(ParseArgumentString("a,,b"), (Args{"a", "b"}));
    EXPECT_EQ(ParseArgumentString(",a,"), Args{"a"});
    EXPECT_EQ(ParseArgumentString("a, b"), (Args{"a", " b"}));
    EXPECT_EQ(ParseArgumentString(",,,"), Args{});
}

TEST(ArgumentString, QuotedWholeIsOneArgument) {
    EXPECT_EQ(ParseArgumentString("'a,b'"), Args{"a,b"});
    EXPECT_EQ(ParseArgumentString("\"x\""), Args{"x"});
    EXPECT_EQ(ParseArgumentString("'it's'"), Args{"it's"});
    EXPECT_EQ(ParseArgumentString("'line1\r\nline2,\"q\"'"), Args{"line1\r\nline2,\"q\""});
    EXPECT_EQ(ParseArgumentString("'"), Args{""});
    EXPECT_EQ(ParseArgumentString("''"), Args{""});
    // Mixed quotes are not a quoted whole.
    EXPECT_EQ(ParseArgumentString("'x\""), Args{"'x\""});
    EXPECT_EQ(ParseArgumentString("'a,b\""), (Args{"'a", "b\""}));
}

}  // namespace
}  // namespace dorv

namespace dorv {

TEST(DialogTexts, ButtonsFollowTheFirstLanguageOffered) {
    EXPECT_EQ(ButtonTextsFor({"ja_JP.UTF-8", "ja_JP", "ja", "C"}).cancel, "キャンセル");
    EXPECT_EQ(ButtonTextsFor({"de", "ja", "C"}).cancel, "キャンセル");  // no German: the next one offered
    EXPECT_EQ(ButtonTextsFor({"en_GB", "ja", "C"}).cancel, "Cancel");
    EXPECT_EQ(ButtonTextsFor({"C"}).cancel, "Cancel");
    EXPECT_EQ(ButtonTextsFor({"jam"}).cancel, "Cancel");  // Jamaican Creole is not Japanese
    EXPECT_EQ(ButtonTextsFor({}).ok, "OK");
}

}  // namespace dorv
