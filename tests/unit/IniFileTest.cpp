#include "app/IniFile.h"

#include <gtest/gtest.h>

#include "Fakes.h"

namespace dorv {
namespace {

TEST(IniFile, NamesCompareWithoutCaseAndBlanksAreDropped) {
    CIniFile ini("[Document]\nconfig = course.xml \n  MAIN\t=\tmain.html\n[ settings ]\ndebug=1\n");
    EXPECT_EQ(ini.GetString("document", "CONFIG"), "course.xml");
    EXPECT_EQ(ini.GetString("Document", "main"), "main.html");
    EXPECT_EQ(ini.GetString("Settings", "Debug"), "1");
}

TEST(IniFile, MissingSectionKeyOrValueGivesEmpty) {
    CIniFile ini("[Document]\nconfig=\nmain\n");
    EXPECT_EQ(ini.GetString("Document", "config"), "");
    EXPECT_EQ(ini.GetString("Document", "main"), "");
    EXPECT_EQ(ini.GetString("Document", "other"), "");
    EXPECT_EQ(ini.GetString("Settings", "debug"), "");
    EXPECT_EQ(CIniFile("").GetString("Document", "config"), "");
}

TEST(IniFile, KeysBeforeAnySectionOrInOtherSectionsAreNotFound) {
    CIniFile ini("config=top.xml\n[Other]\nconfig=other.xml\n[Document]\nmain=m.html\n");
    EXPECT_EQ(ini.GetString("Document", "config"), "");
}

TEST(IniFile, OneMatchingPairOfOuterQuotesIsRemoved) {
    CIniFile ini(
        "[S]\n"
        "a=\"quoted value\"\n"
        "b='single'\n"
        "c=\"mismatched'\n"
        "d=\"\"inner\"\"\n"
        "e=\"\n"
        "f=  \" padded \"  \n");
    EXPECT_EQ(ini.GetString("S", "a"), "quoted value");
    EXPECT_EQ(ini.GetString("S", "b"), "single");
    EXPECT_EQ(ini.GetString("S", "c"), "\"mismatched'");
    EXPECT_EQ(ini.GetString("S", "d"), "\"inner\"");
    EXPECT_EQ(ini.GetString("S", "e"), "\"");
    EXPECT_EQ(ini.GetString("S", "f"), " padded ");
}

TEST(IniFile, CommentsAreWholeLinesOnly) {
    CIniFile ini("; header\n[S]\n  ; config=commented.xml\nconfig=a;b.xml\n");
    EXPECT_EQ(ini.GetString("S", "config"), "a;b.xml");
}

TEST(IniFile, EveryLineEndIsAccepted) {
    CIniFile ini("[S]\r\na=1\rb=2\nc=3\r\n");
    EXPECT_EQ(ini.GetString("S", "a"), "1");
    EXPECT_EQ(ini.GetString("S", "b"), "2");
    EXPECT_EQ(ini.GetString("S", "c"), "3");
}

TEST(IniFile, FirstKeyAndFirstSectionWin) {
    CIniFile ini("[S]\na=first\na=second\n[T]\n[s]\na=third\nb=only-here\n");
    EXPECT_EQ(ini.GetString("S", "a"), "first");
    // Only the first section named S is searched.
    EXPECT_EQ(ini.GetString("S", "b"), "");
}

TEST(IniFile, SectionNameEndsAtItsFirstBracket) {
    CIniFile ini("[Document] trailing ]\nconfig=c.xml\n");
    EXPECT_EQ(ini.GetString("Document", "config"), "c.xml");
}

TEST(IniFile, ValueIsCutAt4095BytesOnACharacterBoundary) {
    std::string ascii(5000, 'a');
    EXPECT_EQ(CIniFile("[S]\nk=" + ascii + "\n").GetString("S", "k").size(), 4095u);
    std::string kana;
    for (int i = 0; i < 2000; ++i) kana += "あ";  // 3 bytes each
    std::string value = CIniFile("[S]\nk=" + kana).GetString("S", "k");
    EXPECT_EQ(value.size(), 4095u);
    EXPECT_EQ(value, kana.substr(0, 4095));
    std::string shifted = CIniFile("[S]\nk=x" + kana).GetString("S", "k");
    EXPECT_EQ(shifted.size(), 4093u);  // "x" and 1364 whole characters
}

TEST(IniFile, ByteOrderMarkIsSkipped) {
    CIniFile ini("\xEF\xBB\xBF[Document]\nconfig=講座.xml\n");
    EXPECT_EQ(ini.GetString("Document", "config"), "講座.xml");
}

TEST(IniFile, FileThatIsNotUtf8IsReadAsCodePage932) {
    // "[Document]\nmain=講座.html" written by a Windows editor.
    CIniFile ini("[Document]\r\nmain=\x8D\x75\x8D\xC0.html\r\n");
    EXPECT_EQ(ini.GetString("Document", "main"), "講座.html");
}

TEST(IniFile, LoadReadsFromDiskAndMissingFileIsEmpty) {
    test::ScratchFolder folder;
    std::string path = folder.Write("DORV.ini", "[Document]\nconfig=c.xml\n");
    EXPECT_EQ(CIniFile::Load(path).GetString("Document", "config"), "c.xml");
    EXPECT_EQ(CIniFile::Load(path + ".missing").GetString("Document", "config"), "");
}

}  // namespace
}  // namespace dorv
