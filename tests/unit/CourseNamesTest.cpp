// Names as Windows resolved them: letter case, "\" between folders, code
// page 932 names on disk; for the course's files and for DORV.ini's
// locations with drive letters and network paths.
#include "course/CourseNames.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "Fakes.h"
#include "app/DorvApp.h"
#include "common/TextEncoding.h"
#include "course/CoursePages.h"

namespace dorv {
namespace {

namespace fs = std::filesystem;

TEST(CourseNames, NamesCompareAsOnWindows) {
    EXPECT_EQ(UpperCasedName("Lesson.js"), "LESSON.JS");
    EXPECT_EQ(UpperCasedName("àéïõü ÿ"), "ÀÉÏÕÜ Ÿ");
    EXPECT_EQ(UpperCasedName("ąčęłńšž ĳ"), "ĄČĘŁŃŠŽ Ĳ");            // Latin Extended-A, both kinds of pairs
    EXPECT_EQ(UpperCasedName("αβγς ёжя"), "ΑΒΓΣ ЁЖЯ");              // Greek, Cyrillic
    EXPECT_EQ(UpperCasedName("ｌｅｓｓｏｎ１"), "ＬＥＳＳＯＮ１");  // full-width Latin
    EXPECT_EQ(UpperCasedName("単語・ひらがな"), "単語・ひらがな");
    EXPECT_EQ(UpperCasedName("ß ı ſ"), "ß ı ſ");                  // no simple capital of their own here
    EXPECT_EQ(UpperCasedName("\x92P\x8c\xea"), "\x92P\x8c\xea");  // not UTF-8: as it is
}

class CourseNamesTest : public ::testing::Test {
protected:
    std::string Root() const { return folder.Path().string(); }
    std::optional<std::string> Resolve(const std::string& path, const std::string& fixed = {}) {
        return names.Resolve(Root() + "/" + path, match, fixed.empty() ? Root() : fixed);
    }
    test::ScratchFolder folder;
    CCourseNames names;
    NameMatch match;
};

TEST_F(CourseNamesTest, EachNameIsFoundAsWindowsFoundIt) {
    folder.Write("images/title.gif", "g");
    folder.Write("Sub/Page.HTM", "p");
    folder.Write("data/" + *Utf8ToCp932("単語") + ".xml", "w");
    folder.Write("ｄａｔａ/x.txt", "f");
    EXPECT_EQ(Resolve("images/title.gif"), Root() + "/images/title.gif");
    EXPECT_TRUE(match.IsExact());
    EXPECT_EQ(Resolve("IMAGES/Title.GIF"), Root() + "/images/title.gif");
    EXPECT_TRUE(match.letterCase && !match.backslash && !match.codePage);
    EXPECT_EQ(Resolve("sub\\page.htm"), Root() + "/Sub/Page.HTM");
    EXPECT_TRUE(match.letterCase && match.backslash);
    EXPECT_EQ(Resolve("Sub\\..\\IMAGES\\.\\title.gif"), Root() + "/images/title.gif");
    EXPECT_EQ(Resolve("DATA/単語.XML"), Root() + "/data/" + *Utf8ToCp932("単語") + ".xml");
    EXPECT_TRUE(match.codePage && match.letterCase);
    EXPECT_EQ(Resolve("data/単語.xml"), Root() + "/data/" + *Utf8ToCp932("単語") + ".xml");
    EXPECT_TRUE(match.codePage && !match.letterCase);
    EXPECT_EQ(Resolve("ＤＡＴＡ/X.TXT"), Root() + "/ｄａｔａ/x.txt");
    EXPECT_FALSE(Resolve("images/missing.gif"));
    EXPECT_FALSE(Resolve("nowhere/title.gif"));
}

TEST_F(CourseNamesTest, TheExactNameWinsAndOtherwiseOneFixedChoice) {
    folder.Write("a/Read.me", "mixed");
    folder.Write("a/read.me", "small");
    folder.Write("a/READ.ME", "capital");
    EXPECT_EQ(Resolve("a/read.me"), Root() + "/a/read.me");
    EXPECT_TRUE(match.IsExact());
    EXPECT_EQ(Resolve("a/Read.Me"), Root() + "/a/READ.ME");  // the first in byte order
    EXPECT_TRUE(match.ambiguous);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Resolve("a/rEAD.ME"), Root() + "/a/READ.ME");
}

TEST_F(CourseNamesTest, FoldersAreListedOnceAndFixedNamesAreNotLookedFor) {
    folder.Write("Course/Data/x.xml", "x");
    folder.Write("course/other.txt", "o");
    // The names down to the fixed folder are taken as they stand: a folder
    // beside it that differs only in case is never reached.
    EXPECT_FALSE(Resolve("course/data/x.xml", Root() + "/course"));
    EXPECT_EQ(Resolve("Course/DATA/X.XML", Root() + "/Course"), Root() + "/Course/Data/x.xml");
    EXPECT_EQ(Resolve("Course/Data/X.XML", Root() + "/Course"), Root() + "/Course/Data/x.xml");
    EXPECT_EQ(names.ListingsMade(), 3u);  // course/, Course/ and Course/Data/, once each
    // A file added afterwards is not in the listing kept for its folder.
    folder.Write("Course/Data/y.xml", "y");
    EXPECT_FALSE(Resolve("Course/DATA/Y.XML", Root() + "/Course"));
    EXPECT_EQ(Resolve("Course/Data/y.xml", Root() + "/Course"), Root() + "/Course/Data/y.xml");  // exact
}

// A course page's address names files as its author spelled them: they are
// served, as long as they are the course's, links followed.
TEST_F(CourseNamesTest, CourseAddressesFindTheirFilesInsideTheCourseOnly) {
    folder.Write("course/main.htm", "m");
    folder.Write("course/images/title.gif", "g");
    folder.Write("Course/secret.txt", "s");
    folder.Write("outside/notes.txt", "n");
    fs::create_directory_symlink(folder.Path() / "outside", folder.Path() / "course/Notes");
    CCoursePages pages(Root() + "/course/main.htm", Root() + "/course");
    auto uri = [&](const std::string& path) { return CCoursePages::FileUri(Root() + "/" + path); };
    NameMatch how;
    EXPECT_EQ(pages.FileOf(uri("course/IMAGES/Title.GIF"), &how), Root() + "/course/images/title.gif");
    EXPECT_TRUE(how.letterCase);
    EXPECT_EQ(pages.FileOf(uri("course/images") + "%5CTITLE.gif", &how), Root() + "/course/images/title.gif");
    EXPECT_TRUE(how.backslash);
    EXPECT_EQ(pages.FileOf(uri("course/images/title.gif"), &how), Root() + "/course/images/title.gif");
    EXPECT_TRUE(how.IsExact());
    EXPECT_EQ(pages.FileOf(uri("Course/secret.txt")), "");                                 // beside the course
    EXPECT_EQ(pages.FileOf(uri("course/../Course/secret.txt")), "");                       // the same
    EXPECT_EQ(pages.FileOf(uri("course/NOTES/notes.txt")), "");                            // a link that leads out
    EXPECT_EQ(pages.FileOf(uri("course/images") + "%5C..%5C..%5Coutside/notes.txt"), "");  // "\" climbing out
}

// Drive letters and network paths of DORV.ini lead where this machine has
// them; a file named in another case is found there.
class FakePlaces : public ILocationPlaces {
public:
    std::string DriveRoot(char letter) override { return letter == 'D' ? drive : std::string(); }
    std::string ShareRoot(const std::string& server, const std::string& share) override {
        return server == "school" && share == "courses" ? shareRoot : std::string();
    }
    std::string drive, shareRoot;
};

TEST_F(CourseNamesTest, DorvIniLocationsWithDriveLettersAndNetworkPaths) {
    folder.Write("stick/english/main.htm", "m");
    folder.Write("share/english/course.xml", "c");
    folder.Write("here/unit1/page.html", "p");
    test::FakeMessageBox box;
    CDORVApp app(box);
    FakePlaces places;
    places.drive = Root() + "/stick";
    places.shareRoot = Root() + "/share/";
    app.SetLocationPlaces(&places);
    struct Case {
        std::string given, found;
    };
    fs::current_path(folder.Path() / "here");
    for (const Case& c : std::vector<Case>{
             {"D:\\ENGLISH\\MAIN.HTM", Root() + "/stick/english/main.htm"},
             {"d:/english/Main.htm", Root() + "/stick/english/main.htm"},
             {"D:English\\main.htm", Root() + "/stick/english/main.htm"},
             {"\\\\school\\courses\\English\\COURSE.XML", Root() + "/share/english/course.xml"},
             {"UNIT1\\Page.HTML", Root() + "/here/unit1/page.html"},
         }) {
        std::string location = c.given;
        EXPECT_TRUE(app.ValidateLocation(location, "main")) << c.given;
        EXPECT_EQ(location, c.found) << c.given;
    }
    EXPECT_TRUE(box.shown.empty());
    for (const std::string missing : {"Q:\\MAIN.HTM", "\\\\school\\other\\main.htm", "\\\\school"}) {
        std::string location = missing + (missing.ends_with("school") ? "\\x.htm" : "");
        box.shown.clear();
        EXPECT_FALSE(app.ValidateLocation(location, "main")) << missing;
        ASSERT_EQ(box.shown.size(), 1u) << missing;
        EXPECT_EQ(box.shown[0], location + " was not found.");
    }
    std::string nowhere = "D:\\ENGLISH\\MISSING.HTM";
    box.shown.clear();
    EXPECT_FALSE(app.ValidateLocation(nowhere, "main"));
    EXPECT_EQ(box.shown, std::vector<std::string>{Root() + "/stick/ENGLISH/MISSING.HTM was not found."});
}

}  // namespace
}  // namespace dorv
