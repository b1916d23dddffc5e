// Which pages and files are the course's, and the encoding its files are
// described with.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "Fakes.h"
#include "course/ByteRanges.h"
#include "course/CourseEncoding.h"
#include "course/CoursePages.h"
#include "course/NavigationPolicy.h"

namespace dorv {
namespace {

TEST(CoursePages, PathsAreNormalisedBeforeTheyAreCompared) {
    EXPECT_EQ(NormalisePath("/a/./b//c/../d.html"), "/a/b/d.html");
    EXPECT_EQ(NormalisePath("/../../x"), "/x");
    EXPECT_EQ(NormalisePath("/a/b/.."), "/a/");
    EXPECT_EQ(NormalisePath("//"), "/");
    for (const char* main : {"/srv/c/./main.html", "/srv/c/sub/../main.html", "/srv//c/main.html"}) {
        CCoursePages pages(main, "/srv/c");
        EXPECT_EQ(pages.MainPageUri(), "dorv://course/srv/c/main.html") << main;
        EXPECT_TRUE(pages.IsCoursePage(pages.MainPageUri())) << main;
    }
}

TEST(CoursePages, TheCourseFolderAndTheMainPagesFolderAreTheCourse) {
    // The shared-page layout: DORV.ini in the course, the pages beside it.
    CCoursePages pages("/srv/course1/../shared/main.html", "/srv/course1");
    EXPECT_EQ(pages.Roots(), (std::vector<std::string>{"/srv/course1/", "/srv/shared/"}));
    struct Case {
        const char* uri;
        bool course;
    };
    for (const Case& c : std::vector<Case>{
             {"dorv://course/srv/shared/main.html", true},
             {"dorv://course/srv/shared/unit%201/p.html?x#y", true},
             {"dorv://course/srv/course1/data/lesson.xml", true},
             {"DORV://COURSE/srv/shared/main.html", true},
             {"dorv://course/srv/shared/../course2/p.html", false},
             {"dorv://course/srv/shared/%2e%2e/course2/p.html", false},
             {"dorv://course/srv/sharedx/p.html", false},
             {"dorv://course/srv/course2/p.html", false},
             {"dorv://course/etc/passwd", false},
             {"dorv://other/srv/shared/main.html", false},
             {"file:///srv/shared/main.html", false},
             {"about:blank", false},
         }) {
        EXPECT_EQ(pages.IsCoursePage(c.uri), c.course) << c.uri;
    }
    EXPECT_EQ(pages.FileOf("dorv://course/srv/shared/a%20b/%E8%AC%9B.html#x"), "/srv/shared/a b/講.html");
    EXPECT_EQ(pages.FileOf("dorv://course/srv/shared/a%00b.html"), "");
}

TEST(CoursePages, LinksCountWhereTheyPointOnlyInsideTheCourse) {
    test::ScratchFolder scratch;
    namespace fs = std::filesystem;
    fs::path root = scratch.Path();
    fs::create_directories(root / "course/real");
    fs::create_directories(root / "outside");
    scratch.Write("course/main.html", "");
    scratch.Write("course/real/a.xml", "");
    scratch.Write("outside/secret.txt", "");
    fs::create_directory_symlink(root / "course/real", root / "course/inside");
    fs::create_directory_symlink(root / "outside", root / "course/away");
    fs::create_symlink(root / "outside/secret.txt", root / "course/secret.txt");
    CCoursePages pages((root / "course/main.html").string(), (root / "course").string());
    auto uri = [&](const char* rest) { return CCoursePages::FileUri((root / "course" / rest).string()); };
    EXPECT_NE(pages.FileOf(uri("inside/a.xml")), "");
    EXPECT_NE(pages.FileOf(uri("missing/later.xml")), "");
    EXPECT_EQ(pages.FileOf(uri("away/secret.txt")), "");
    EXPECT_EQ(pages.FileOf(uri("secret.txt")), "");
}

TEST(CoursePages, AServersCourseIsItsOriginAndWhereTheMainPageArrived) {
    CCoursePages pages("http://h/c/main.html", "/srv/c");
    EXPECT_FALSE(pages.IsOnDisk());
    EXPECT_EQ(pages.MainPageUri(), "http://h/c/main.html");
    EXPECT_TRUE(pages.IsCoursePage("http://H:80/other/p.html"));
    EXPECT_FALSE(pages.IsCoursePage("https://h/c/main.html"));
    EXPECT_FALSE(pages.IsCoursePage("http://h.evil/c/main.html"));
    EXPECT_FALSE(pages.IsCoursePage("http://h@evil/c/main.html"));
    EXPECT_FALSE(pages.IsCoursePage("dorv://course/srv/c/main.html"));
    EXPECT_FALSE(pages.IsCoursePage("http://www.h/c/main.html"));
    pages.AcceptMainPageArrival("http://www.h/c/main.html");
    EXPECT_TRUE(pages.IsCoursePage("http://www.h/c/other.html"));
    pages.AcceptMainPageArrival("file:///etc/passwd");
    EXPECT_FALSE(pages.IsCoursePage("file:///etc/passwd"));
    EXPECT_EQ(pages.UrlPatterns(), (std::vector<std::string>{"http://h/*", "http://www.h/*"}));
    EXPECT_EQ(pages.FileOf("http://h/c/main.html"), "");
}

TEST(CourseEncoding, UndeclaredPagesAreShiftJisUnlessTheyAreUtf8) {
    const std::string sjis = "<html><title>\x93\xfa\x96\x7b\x8c\xea</title>";  // 日本語
    EXPECT_EQ(DeclaredEncodingOf(CourseFileKind::Page, sjis), "Shift_JIS");
    EXPECT_EQ(DeclaredEncodingOf(CourseFileKind::Page, "<html>plain</html>"), "Shift_JIS");
    EXPECT_EQ(DeclaredEncodingOf(CourseFileKind::Page, "<html>日本語</html>"), "UTF-8");
    // Overlong forms and surrogates are no UTF-8.
    EXPECT_EQ(DeclaredEncodingOf(CourseFileKind::Page, "\xc0\xaf"), "Shift_JIS");
    EXPECT_EQ(DeclaredEncodingOf(CourseFileKind::Page, "\xed\xa0\x80"), "Shift_JIS");
    EXPECT_EQ(DeclaredEncodingOf(CourseFileKind::Page, "\xe6\x97"), "Shift_JIS");
    // What the page declares itself stands.
    for (const char* declared :
         {"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=euc-jp\">", "<meta charset=\"iso-8859-1\">",
          "<meta charset = utf-8>", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><html>", "\xEF\xBB\xBF<html>",
          "\xFF\xFE<\0h\0"}) {
        EXPECT_EQ(DeclaredEncodingOf(CourseFileKind::Page, std::string(declared) + sjis), "") << declared;
    }
    EXPECT_EQ(DeclaredEncodingOf(CourseFileKind::Page, "<meta name=\"charset\" content=\"x\">" + sjis), "Shift_JIS");
}

TEST(CourseEncoding, ScriptsAndStyleSheetsOfUtf8SayIt) {
    EXPECT_EQ(DeclaredEncodingOf(CourseFileKind::Script, "var s = '日本語';"), "UTF-8");
    // Left to the including page: its charset attribute, or its own encoding.
    EXPECT_EQ(DeclaredEncodingOf(CourseFileKind::Script, "var s = '\x93\xfa';"), "");
    EXPECT_EQ(DeclaredEncodingOf(CourseFileKind::Script, "var s = 1;"), "");
    EXPECT_EQ(DeclaredEncodingOf(CourseFileKind::StyleSheet, "@charset \"Shift_JIS\"; p { font-family: 'ＭＳ' }"), "");
    EXPECT_EQ(DeclaredEncodingOf(CourseFileKind::StyleSheet, "p { font-family: 'ＭＳ' }"), "UTF-8");
    EXPECT_EQ(DeclaredEncodingOf(CourseFileKind::Other, "<?xml version=\"1.0\"?><a>日本語</a>"), "");
    EXPECT_EQ(KindOfCourseFile("/c/MAIN.HTM"), CourseFileKind::Page);
    EXPECT_EQ(KindOfCourseFile("/c.d/lesson"), CourseFileKind::Other);
    EXPECT_EQ(MediaTypeOfCourseFile("/c/Tone.M4A"), "audio/mp4");
    EXPECT_EQ(MediaTypeOfCourseFile("/c/x.unknown"), "");
}

}  // namespace
}  // namespace dorv

namespace dorv {
namespace {

// The byte ranges a media player asks of a course file.
TEST(ByteRanges, OneRangeCutToTheFile) {
    auto range = [](const std::string& header, std::int64_t size) { return ParseByteRange(header, size); };
    std::optional<ByteRange> r = range("bytes=0-99", 1000);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->first, 0);
    EXPECT_EQ(r->last, 99);
    EXPECT_TRUE(r->readAtOnce);
    EXPECT_EQ(ContentRangeOf(*r, 1000), "bytes 0-99/1000");
    r = range("bytes=900-", 1000);  // to the end: streamed
    ASSERT_TRUE(r);
    EXPECT_EQ(r->last, 999);
    EXPECT_FALSE(r->readAtOnce);
    r = range("bytes=-100", 1000);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->first, 900);
    r = range("bytes=-5000", 1000);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->first, 0);
    r = range("bytes=10-5000", 1000);  // beyond the file: cut, so it reaches the end and is streamed
    ASSERT_TRUE(r);
    EXPECT_EQ(r->last, 999);
    // A closed range larger than a read at once is streamed to the end.
    r = range("bytes=0-" + std::to_string(kMaxRangeReadBytes), kMaxRangeReadBytes * 2);
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->readAtOnce);
    EXPECT_EQ(r->last, kMaxRangeReadBytes * 2 - 1);
    for (const char* refused : {"", "items=0-1", "bytes=", "bytes=5", "bytes=1000-", "bytes=20-10", "bytes=-0",
                                "bytes=0-1,5-6", "bytes= 0-1", "bytes=-", "bytes=x-1"}) {
        EXPECT_FALSE(range(refused, 1000)) << refused;
    }
    EXPECT_FALSE(range("bytes=0-1", 0));
}

}  // namespace
}  // namespace dorv

namespace dorv {
namespace {

// Where the course's windows may go: the course's pages and empty windows;
// any other opens in the browser, once per navigation.
TEST(NavigationPolicy, PagesFromElsewhereStayOut) {
    CCoursePages pages("/srv/c/main.html", "/srv/c");
    CNavigationPolicy policy(pages);
    EXPECT_FALSE(policy.KeepsOut("dorv://course/srv/c/unit/p.html"));
    EXPECT_FALSE(policy.KeepsOut("about:blank"));
    EXPECT_FALSE(policy.KeepsOut("about:srcdoc"));
    EXPECT_TRUE(policy.KeepsOut("https://example.org/"));
    EXPECT_TRUE(policy.KeepsOut("dorv://course/srv/other/p.html"));
    EXPECT_TRUE(policy.KeepsOut("file:///srv/c/main.html"));
    EXPECT_FALSE(policy.IsRepeatedKeepOut("https://example.org/", 1000));
    EXPECT_TRUE(policy.IsRepeatedKeepOut("https://example.org/", 1500));    // the same navigation reported again
    EXPECT_FALSE(policy.IsRepeatedKeepOut("https://example.org/x", 1600));  // another page
    EXPECT_FALSE(policy.IsRepeatedKeepOut("https://example.org/x", 2700));  // the learner asks again
    for (NavigationKind kind : {NavigationKind::LinkClicked, NavigationKind::FormSubmitted,
                                NavigationKind::FormResubmitted, NavigationKind::NewWindow}) {
        EXPECT_TRUE(CNavigationPolicy::IsJudgedBeforeRequest(kind));
    }
    EXPECT_FALSE(CNavigationPolicy::IsJudgedBeforeRequest(NavigationKind::Other));
}

}  // namespace
}  // namespace dorv
