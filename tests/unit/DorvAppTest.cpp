#include "app/DorvApp.h"
#include "common/Location.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "Fakes.h"

namespace dorv {
namespace {

const std::string kSp = "\u3000";
const std::string kEmptyMessage = "設定ファイルの内容が無効です." + kSp;
const std::string kTooLongMessage = "URLが長すぎます." + kSp + "\n\n設定ファイルの内容を確認してください." + kSp;
const std::string kBadExtensionMessage =
    "無効なファイル指定です." + kSp + "\n\n設定ファイルの内容を確認してください." + kSp;

class DorvAppTest : public ::testing::Test {
protected:
    std::string Cwd() const { return folder.Path().string(); }
    test::ScratchFolder folder;
    test::FakeMessageBox box;
    CDORVApp app{box};
};

TEST(Locations, PageExtensionTest) {
    for (const char* yes :
         {"main.html", "MAIN.HTM", "index.Html", "http://h/p.html?x=1", "main.htm?x=1", "a.html?b", "講座.html"}) {
        EXPECT_TRUE(IsPageLocation(yes)) << yes;
    }
    for (const char* no : {"main.html5", "main.shtml", "main.html#top", "a?b.html", "html", "main.xml"}) {
        EXPECT_FALSE(IsPageLocation(no)) << no;
    }
}

TEST(Locations, XmlExtensionTest) {
    EXPECT_TRUE(IsXmlLocation("course.XML"));
    EXPECT_TRUE(IsXmlLocation("/a/b.xml"));
    EXPECT_FALSE(IsXmlLocation("main.xml.bak"));
    EXPECT_FALSE(IsXmlLocation("c.xml?v=1"));  // no query handling for XML
}

TEST(Locations, UrlPrefixesCompareExactly) {
    EXPECT_TRUE(IsUrlLocation("http://h/p.html"));
    EXPECT_TRUE(IsUrlLocation("https://h/p.html"));
    EXPECT_FALSE(IsUrlLocation("HTTP://h/p.html"));
    EXPECT_FALSE(IsUrlLocation(" http://h/p.html"));
}

TEST_F(DorvAppTest, EmptyLocationShowsInvalidContentAlone) {
    std::string location;
    EXPECT_FALSE(app.ValidateLocation(location, "config"));
    EXPECT_EQ(box.shown, std::vector<std::string>{kEmptyMessage});
}

TEST_F(DorvAppTest, LengthLimitIs260BytesBeforeCompletion) {
    // 260 bytes, in folders: a single file name has a limit of 255 bytes here.
    std::string name260;
    for (char c : {'a', 'b', 'c', 'd'}) name260 += std::string(50, c) + "/";
    name260 += std::string(51, 'z') + ".html";
    ASSERT_EQ(name260.size(), 260u);
    folder.Write(name260, "<html></html>");
    std::string location = name260;
    EXPECT_TRUE(app.ValidateLocation(location, "config"));
    EXPECT_EQ(location, Cwd() + "/" + name260);  // may now be longer than 260
    EXPECT_TRUE(box.shown.empty());

    std::string name261 = "b" + name260;
    EXPECT_FALSE(app.ValidateLocation(name261, "config"));
    EXPECT_EQ(box.shown, std::vector<std::string>{kTooLongMessage});
}

TEST_F(DorvAppTest, LengthCountsBytesNotCharacters) {
    std::string location;
    for (int i = 0; i < 86; ++i) location += "あ";  // 258 bytes
    location += ".htm";                             // 262 bytes
    EXPECT_FALSE(app.ValidateLocation(location, "config"));
    EXPECT_EQ(box.shown, std::vector<std::string>{kTooLongMessage});
}

TEST_F(DorvAppTest, UrlsAreAcceptedWithoutAccessByExtension) {
    for (const char* url : {"http://example.invalid/course/main.html?lesson=3", "https://example.invalid/c.xml"}) {
        std::string location = url;
        EXPECT_TRUE(app.ValidateLocation(location, "config"));
        EXPECT_EQ(location, url);
    }
    std::string bad = "https://example.invalid/course/";
    EXPECT_FALSE(app.ValidateLocation(bad, "config"));
    EXPECT_EQ(box.shown, std::vector<std::string>{kBadExtensionMessage});
}

TEST_F(DorvAppTest, UpperCaseSchemeIsAFilePath) {
    std::string location = "HTTP://example.invalid/main.html";
    EXPECT_FALSE(app.ValidateLocation(location, "config"));
    EXPECT_EQ(location, Cwd() + "/HTTP://example.invalid/main.html");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0], location + " was not found.");
}

TEST_F(DorvAppTest, RelativePathsAreCompletedAbsoluteOnesKept) {
    folder.Write("sub/page.htm", "x");
    std::string relative = "sub/page.htm";
    EXPECT_TRUE(app.ValidateLocation(relative, "config"));
    EXPECT_EQ(relative, Cwd() + "/sub/page.htm");

    std::string absolute = Cwd() + "/sub/page.htm";
    EXPECT_TRUE(app.ValidateLocation(absolute, "config"));
    EXPECT_EQ(absolute, Cwd() + "/sub/page.htm");
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(DorvAppTest, WrongExtensionIsRefusedBeforeTheFileIsOpened) {
    for (const char* name : {"main.html#part2", "notes.txt"}) {
        std::string location = name;
        EXPECT_FALSE(app.ValidateLocation(location, "config"));
    }
    EXPECT_EQ(box.shown, (std::vector<std::string>{kBadExtensionMessage, kBadExtensionMessage}));
}

TEST_F(DorvAppTest, OpenFailuresNameTheCompletedPathAndTheCause) {
    folder.Write("plain", "x");
    folder.Write("locked.html", "x");
    chmod((folder.Path() / "locked.html").c_str(), 0);
    std::filesystem::create_directory(folder.Path() / "folder.html");

    std::string missing = "missing.html";
    EXPECT_FALSE(app.ValidateLocation(missing, "config"));
    std::string badPath = "plain/inner.html";
    EXPECT_FALSE(app.ValidateLocation(badPath, "config"));
    std::string directory = "folder.html";
    EXPECT_FALSE(app.ValidateLocation(directory, "config"));

    ASSERT_EQ(box.shown.size(), 3u);
    EXPECT_EQ(box.shown[0], Cwd() + "/missing.html was not found.");
    EXPECT_EQ(box.shown[1], Cwd() + "/plain/inner.html contains an invalid path.");
    EXPECT_EQ(box.shown[2], "Access to " + Cwd() + "/folder.html was denied.");

    if (geteuid() != 0) {  // root reads anything
        std::string locked = "locked.html";
        EXPECT_FALSE(app.ValidateLocation(locked, "config"));
        EXPECT_EQ(box.shown.back(), "Access to " + Cwd() + "/locked.html was denied.");
    }
}

TEST(FileErrors, EachCauseHasItsText) {
    EXPECT_EQ(FileErrorText(ENAMETOOLONG, "/p"), "/p contains an invalid path.");
    EXPECT_EQ(FileErrorText(ELOOP, "/p"), "/p contains an invalid path.");
    EXPECT_EQ(FileErrorText(EMFILE, "/p"), "/p could not be opened because there are too many open files.");
    EXPECT_EQ(FileErrorText(ENFILE, "/p"), "/p could not be opened because there are too many open files.");
    EXPECT_EQ(FileErrorText(EPERM, "/p"), "Access to /p was denied.");
    EXPECT_EQ(FileErrorText(EIO, "/p"), "A hardware I/O error was reported while accessing /p.");
    EXPECT_EQ(FileErrorText(ENOSPC, "/p"), "Disk full while accessing /p.");
    EXPECT_EQ(FileErrorText(EWOULDBLOCK, "/p"), "A sharing violation occurred while accessing /p.");
    EXPECT_EQ(FileErrorText(EBADF, "/p"), "An unknown error occurred while accessing /p.");
    // A path holding "%1" itself is not expanded a second time.
    EXPECT_EQ(FileErrorText(ENOENT, "/a%1.html"), "/a%1.html was not found.");
}

TEST_F(DorvAppTest, TooManyOpenFilesIsReported) {
    folder.Write("main.html", "x");
    struct rlimit saved {};
    getrlimit(RLIMIT_NOFILE, &saved);
    std::vector<int> fds;
    struct rlimit tight = saved;
    tight.rlim_cur = 16;
    setrlimit(RLIMIT_NOFILE, &tight);
    for (int fd; (fd = open("/dev/null", O_RDONLY)) >= 0;) fds.push_back(fd);
    std::string location = "main.html";
    bool ok = app.ValidateLocation(location, "config");
    for (int fd : fds) close(fd);
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_FALSE(ok);
    EXPECT_EQ(box.shown,
              std::vector<std::string>{location + " could not be opened because there are too many open files."});
}

TEST_F(DorvAppTest, NothingButARegularFileIsOpenedAndNothingBlocks) {
    // A FIFO would wait for a writer for ever; it and a device are refused.
    ASSERT_EQ(mkfifo("main.html", 0600), 0);
    ASSERT_EQ(mkfifo("DORV.ini", 0600), 0);
    ASSERT_EQ(symlink("/dev/null", "null.html"), 0);
    for (std::string location : {"main.html", "null.html"}) {
        box.shown.clear();
        EXPECT_FALSE(app.ValidateLocation(location, "config"));
        EXPECT_EQ(box.shown, std::vector<std::string>{"Access to " + location + " was denied."});
        EXPECT_EQ(location, Cwd() + "/" + location.substr(location.rfind('/') + 1));
    }
    EXPECT_FALSE(app.InitInstance());  // the FIFO DORV.ini reads as empty
    EXPECT_EQ(box.shown.back(), kEmptyMessage);
}

TEST_F(DorvAppTest, StartUpReadsIniFromTheWorkingDirectory) {
    folder.Write("course.xml", "<config/>");
    folder.Write("pages/main.html", "<html></html>");
    folder.Write("DORV.ini",
                 "[Document]\nconfig=course.xml\nmain=pages/main.html\n[Settings]\ndebug=on,verbose\nmute=\"1\"\n");
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.m_strConfig, Cwd() + "/course.xml");
    EXPECT_EQ(app.m_strMain, Cwd() + "/pages/main.html");
    EXPECT_EQ(app.m_strDebug, "on,verbose");
    EXPECT_EQ(app.m_strMute, "1");
    EXPECT_EQ(app.m_nZoomPercent, 100);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(DorvAppTest, ZoomSettingIsTakenAsAStep) {
    folder.Write("course.xml", "<config/>");
    folder.Write("main.html", "<html></html>");
    for (auto [value, percent] : {std::pair{"175", 175}, {"\"160\"", 150}, {"huge", 100}}) {
        folder.Write("DORV.ini",
                     std::string("[Document]\nconfig=course.xml\nmain=main.html\n[settings]\nZoom=") + value + "\n");
        CDORVApp fresh(box);
        ASSERT_TRUE(fresh.InitInstance());
        EXPECT_EQ(fresh.m_nZoomPercent, percent) << value;
    }
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(DorvAppTest, MissingIniReportsConfigOnce) {
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(box.shown, std::vector<std::string>{kEmptyMessage});
}

TEST_F(DorvAppTest, OnlyTheFirstFailingKeyIsReported) {
    folder.Write("main.html", "x");
    folder.Write("DORV.ini", "[Document]\nconfig=\nmain=main.html\n");
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(box.shown, std::vector<std::string>{kEmptyMessage});

    box.shown.clear();
    folder.Write("c.xml", "<config/>");
    folder.Write("DORV.ini", "[Document]\nconfig=c.xml\nmain=gone.html\n");
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(box.shown, std::vector<std::string>{Cwd() + "/gone.html was not found."});
}

}  // namespace
}  // namespace dorv
