// The course check on real course folders: what it finds, how it reports
// it, and that it changes nothing.
#include "check/CourseCheck.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "Fakes.h"
#include "app/DorvApp.h"
#include "common/MessageBox.h"
#include "common/TextEncoding.h"

namespace dorv {
namespace {

namespace fs = std::filesystem;

const std::string kIni = "[Document]\nconfig=course.xml\nmain=main.htm\n";
const std::string kConfig = "<config file_title=\"ENG1\" courseware=\"English Ver 1.0\"/>";

class CourseCheckTest : public ::testing::Test {
protected:
    std::string Course(const std::string& name, const std::string& ini = kIni, const std::string& config = kConfig) {
        folder.Write(name + "/DORV.ini", ini);
        folder.Write(name + "/course.xml", config);
        return (folder.Path() / name).string();
    }
    std::string Sjis(const std::string& utf8) const { return *Utf8ToCp932(utf8); }

    test::ScratchFolder folder;
    CheckServices services;
};

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

template <typename T>
std::vector<std::string> Lines(const std::vector<T>& findings) {
    std::vector<std::string> lines;
    for (const T& f : findings) lines.push_back(f.file + ":" + std::to_string(f.line));
    return lines;
}

TEST_F(CourseCheckTest, ReferencesFoundAsWindowsFoundNamesSayHowAndWhatIsOnDisk) {
    std::string course = Course("c");
    folder.Write("c/Images/Cat.gif", "");
    folder.Write("c/" + Sjis("画像") + "/" + Sjis("絵.gif"), "");
    folder.Write("c/units/u1.htm", "<a href=\"..\\Main.HTM\">");
    folder.Write("c/main.htm", "<img src=\"images/cat.GIF\">\n<img src=\"Images\\Cat.gif\">\n<img src=\"" +
                                   Sjis("画像/絵.gif") + "\"><img src=\"%E7%94%BB%E5%83%8F/%E7%B5%B5.gif\">\n" +
                                   "<img src=\"Images/Cat.gif\"><a href=\"units/U1.htm?x#y\">");
    CourseCheckReport report = CheckCourse(course, services);
    ASSERT_TRUE(report.starts);
    EXPECT_FALSE(report.HasProblems());
    ASSERT_EQ(Lines(report.windowsNames), (std::vector<std::string>{"main.htm:1", "main.htm:2", "main.htm:3",
                                                                    "main.htm:3", "main.htm:4", "units/u1.htm:1"}));
    const auto& w = report.windowsNames;
    EXPECT_EQ(w[0].onDisk, "Images/Cat.gif");
    EXPECT_EQ(w[0].how, std::vector<std::string>{"letter case"});
    EXPECT_EQ(w[1].onDisk, "Images/Cat.gif");
    EXPECT_EQ(w[1].how, std::vector<std::string>{"\\ for /"});
    EXPECT_EQ(w[2].onDisk, "画像/絵.gif");  // the name on disk shown converted
    EXPECT_EQ(w[2].how, std::vector<std::string>{"code page 932 name on disk"});
    EXPECT_EQ(w[4].written, "units/U1.htm?x#y");
    EXPECT_EQ(w[4].onDisk, "units/u1.htm");
    EXPECT_EQ(w[5].onDisk, "../main.htm");
    EXPECT_EQ(report.counts.exact, 1u);
    EXPECT_EQ(report.counts.windowsNames, 6u);
    EXPECT_EQ(report.Summary(),
              "course c: starts; nothing found that will not work, 6 references work only as "
              "Windows names");
}

TEST_F(CourseCheckTest, ReferencesThatWillNotWorkSayWhy) {
    std::string course = Course("c");
    folder.Write("c/sub/folder/x.gif", "");
    folder.Write("outside/secret.gif", "");
    fs::create_directory_symlink(folder.Path() / "outside", folder.Path() / "c/away");
    folder.Write("c/main.htm",
                 "<img src=\"missing.gif\">\n<img src=\"../outside/secret.gif\">\n<img src=\"away/secret.gif\">\n"
                 "<a href=\"sub/folder/\">\n<img src=\"C:\\course\\x.gif\"><img src=\"file:///etc/passwd\">\n"
                 "<img src=\"\\\\server\\share\\x.gif\"><img src=\"//host/x.gif\">\n"
                 "<a href=\"http://example.org/\"><a href=\"#top\"><a href=\"mailto:a@b\">");
    CourseCheckReport report = CheckCourse(course, services);
    ASSERT_EQ(Lines(report.broken), (std::vector<std::string>{"main.htm:1", "main.htm:2", "main.htm:3", "main.htm:4",
                                                              "main.htm:5", "main.htm:5", "main.htm:6", "main.htm:6"}));
    auto problem = [&](size_t k) { return report.broken[k].problem; };
    EXPECT_NE(problem(0).find("no such file"), std::string::npos);
    EXPECT_NE(problem(1).find("outside the course"), std::string::npos);
    EXPECT_NE(problem(2).find("symbolic link"), std::string::npos);
    EXPECT_NE(problem(3).find("a folder"), std::string::npos);
    EXPECT_NE(problem(4).find("drive letter"), std::string::npos);
    EXPECT_NE(problem(5).find("file: address"), std::string::npos);
    EXPECT_NE(problem(6).find("Windows network path"), std::string::npos);
    EXPECT_NE(problem(7).find("another computer"), std::string::npos);
    EXPECT_EQ(report.counts.elsewhere, 3u);
    EXPECT_TRUE(report.HasProblems());
    EXPECT_EQ(report.Summary(), "course c: starts; 8 references will not work");
}

TEST_F(CourseCheckTest, WhatTheEngineDoesNotOfferAndTheCompatSetting) {
    std::string page = "<script language=vbscript></script>\n<script>new ActiveXObject('Microsoft.XMLDOM')</script>";
    folder.Write("on/main.htm", page);
    folder.Write("off/main.htm", page);
    CourseCheckReport on = CheckCourse(Course("on"), services);
    CourseCheckReport off = CheckCourse(Course("off", kIni + "[Settings]\ncompat=off\n"), services);
    ASSERT_EQ(Lines(on.legacy), std::vector<std::string>{"main.htm:1"});
    EXPECT_EQ(on.legacy[0].kind, "vbscript");
    ASSERT_EQ(Lines(off.legacy), (std::vector<std::string>{"main.htm:1", "main.htm:2"}));
    EXPECT_NE(off.legacy[1].why.find("compat=0"), std::string::npos);
    EXPECT_EQ(off.Summary(), "course off: starts; 2 uses of IE-only features will not work");
}

TEST_F(CourseCheckTest, EachPagesDecoding) {
    std::string course = Course("c");
    folder.Write("c/main.htm", "<p>\x93\xfa\x96\x7b</p>");                  // Shift_JIS
    folder.Write("c/utf8.htm", "<p>日本</p>");                              // UTF-8
    folder.Write("c/bom.htm", "\xEF\xBB\xBF<p>x</p>");                      // its mark
    folder.Write("c/euc.htm", "<meta charset=\"EUC-JP\"><p>\xC6\xFC</p>");  // its own
    folder.Write("c/lie.htm", "<meta http-equiv=Content-Type content=\"text/html; charset=utf-8\">\n\n\x93\xfa");
    folder.Write("c/lie2.htm", "<meta charset='Shift_JIS'><p>日本</p>");
    folder.Write("c/odd.htm", "<meta charset=\"x-nothing\"><p>\x93\xfa</p>");
    folder.Write("c/nul.htm", std::string("<meta charset=\"utf-8\0\">\xd4\xcc", 25));
    CourseCheckReport report = CheckCourse(course, services);
    std::map<std::string, PageDecoding> by;
    for (const PageDecoding& d : report.decodings) by[d.file] = d;
    EXPECT_EQ(by["main.htm"].encoding + "/" + by["main.htm"].source, "Shift_JIS/program");
    EXPECT_EQ(by["utf8.htm"].encoding + "/" + by["utf8.htm"].source, "UTF-8/program");
    EXPECT_EQ(by["bom.htm"].encoding + "/" + by["bom.htm"].source, "UTF-8/byte-order mark");
    EXPECT_EQ(by["euc.htm"].encoding + "/" + by["euc.htm"].source + "/" + by["euc.htm"].problem, "euc-jp/page/");
    EXPECT_EQ(by["lie.htm"].problem, "it declares UTF-8, but its text is not UTF-8");
    EXPECT_EQ(by["lie.htm"].line, 3);
    EXPECT_EQ(by["lie2.htm"].problem, "it declares Shift_JIS, but its text is UTF-8");
    EXPECT_EQ(by["odd.htm"].source, "engine default");
    EXPECT_EQ(by["nul.htm"].encoding + "/" + by["nul.htm"].declared, "UTF-8/utf-8");
    EXPECT_EQ(report.Summary(), "course c: starts; 4 pages show garbled text");
}

TEST_F(CourseCheckTest, StartUpMessagesAreTakenAndNothingReachesStandardError) {
    folder.Write("empty/x", "");
    std::string broken = Course("broken", "[Document]\nconfig=missing.xml\nmain=main.txt\n");
    testing::internal::CaptureStderr();
    CourseCheckReport none = CheckCourse((folder.Path() / "empty").string(), services);
    CourseCheckReport bad = CheckCourse(broken, services);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(none.starts);
    ASSERT_EQ(none.shown.size(), 1u);
    EXPECT_EQ(none.shown[0].text, "設定ファイルの内容が無効です.\u3000");
    EXPECT_NE(none.shown[0].note.find("cannot be read"), std::string::npos);
    EXPECT_TRUE(none.next.empty());  // without DORV.ini, main fails alike
    ASSERT_EQ(bad.shown.size(), 1u);
    EXPECT_EQ(bad.shown[0].text, broken + "/missing.xml was not found.");
    ASSERT_EQ(bad.next.size(), 1u);  // what main shows once config is mended
    EXPECT_EQ(bad.next[0].text.substr(0, bad.next[0].text.find('.')), "無効なファイル指定です");
    EXPECT_FALSE(bad.main.checked);
    EXPECT_EQ(bad.Summary(), "course broken: will not start");
    // The program's own messages go to standard error again afterwards.
    test::FakeMessageBox box;
    testing::internal::CaptureStderr();
    ShowAppMessage(box, "after");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "DORV: after\n");
}

TEST_F(CourseCheckTest, LocationsAndTheCourseConfiguration) {
    std::string course = Course("c", "[Document]\nconfig=Course.XML\nmain=pages\\Main.htm\n",
                                "<config file_title=\"a/b\" software=\"S\"/>");
    folder.Write("c/pages/main.htm", "");
    CourseCheckReport report = CheckCourse(course, services);
    ASSERT_TRUE(report.starts);
    EXPECT_EQ(report.config.resolved, course + "/course.xml");
    EXPECT_EQ(report.config.how, std::vector<std::string>{"letter case"});
    EXPECT_EQ(report.main.resolved, course + "/pages/main.htm");
    EXPECT_EQ(report.main.how, (std::vector<std::string>{"\\ for /", "letter case"}));
    EXPECT_EQ(report.configuration,
              (std::vector<std::pair<std::string, std::string>>{{"file_title", "a/b"}, {"software", "S"}}));
    EXPECT_NE(report.configurationProblem.find("no folder name"), std::string::npos);
    EXPECT_TRUE(report.HasProblems());

    folder.Write("d/main.htm", "");
    CourseCheckReport untitled = CheckCourse(Course("d", kIni, "<config/>"), services);
    EXPECT_NE(untitled.configurationProblem.find("no attribute \"file_title\""), std::string::npos);
    EXPECT_EQ(untitled.Summary(), "course d: starts; the course configuration keeps no learner's data");
}

TEST_F(CourseCheckTest, DriveLettersLeadWhereThePlacesSay) {
    struct Places : ILocationPlaces {
        explicit Places(std::string root) : root(std::move(root)) {}
        std::string DriveRoot(char letter) override { return letter == 'S' ? root : std::string(); }
        std::string ShareRoot(const std::string&, const std::string&) override { return {}; }
        std::string root;
    };
    folder.Write("share/english/main.htm", "");
    std::string share = (folder.Path() / "share").string();
    services.places = [&](const CDORVApp&) { return std::make_unique<Places>(share); };
    CourseCheckReport report =
        CheckCourse(Course("c", "[Document]\nconfig=course.xml\nmain=s:\\English\\Main.htm\n"), services);
    ASSERT_TRUE(report.starts);
    EXPECT_EQ(report.main.resolved, share + "/english/main.htm");
    EXPECT_EQ(report.main.how, std::vector<std::string>{"drive letter s:"});
    EXPECT_EQ(report.roots.size(), 2u);  // the course folder and the main page's
}

TEST_F(CourseCheckTest, NothingChangesAndTheWorkingDirectoryStays) {
    std::string course = Course("c");
    folder.Write("c/main.htm", "<img src=\"Missing.gif\">");
    auto listing = [&] {
        std::vector<std::string> entries;
        for (const auto& e : fs::recursive_directory_iterator(folder.Path())) {
            entries.push_back(e.path().string() + " " +
                              std::to_string(fs::last_write_time(e).time_since_epoch().count()));
        }
        std::sort(entries.begin(), entries.end());
        return entries;
    };
    auto before = listing();
    fs::path cwd = fs::current_path();
    CheckCourse(course, services);
    CheckCourse("no-such-course", services);
    EXPECT_EQ(fs::current_path(), cwd);
    EXPECT_EQ(listing(), before);
}

TEST_F(CourseCheckTest, SeveralCoursesReportInTheOrderGivenWithOneStatus) {
    folder.Write("good/main.htm", "<p>fine</p>");
    folder.Write("bad/main.htm", "<img src=\"gone.gif\">");
    std::vector<std::string> courses;
    for (int k = 0; k < 6; ++k) courses.push_back(Course(k % 3 == 2 ? "bad" : "good"));
    std::string path = (folder.Path() / "report").string();
    auto run = [&](const std::vector<std::string>& which, bool json) {
        std::FILE* out = std::fopen(path.c_str(), "w");
        int status = RunCourseCheck(which, json, services, out);
        std::fclose(out);
        return status;
    };
    EXPECT_EQ(run({courses[0], courses[1]}, false), 0);
    EXPECT_EQ(run(courses, false), 1);
    std::string text = ReadAll(path);
    size_t at = 0;
    for (int k = 0; k < 6; ++k) {
        std::string last = k % 3 == 2 ? "course bad: starts; 1 reference will not work\n"
                                      : "course good: starts; nothing found that will not work\n";
        size_t found = text.find(last, at);
        ASSERT_NE(found, std::string::npos) << k;
        at = found + last.size();
    }
    // A report that cannot be written is no all-clear.
    if (std::FILE* full = std::fopen("/dev/full", "w")) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(RunCourseCheck({courses[0]}, false, services, full), 1);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("could not be written"), std::string::npos);
        std::fclose(full);
    }
    EXPECT_EQ(run({courses[2], "missing"}, true), 1);
    std::string json = ReadAll(path);
    EXPECT_EQ(json.rfind("{\"ok\": false, \"courses\": [", 0), 0u);
    EXPECT_NE(json.find("\"folder_problem\": \"cannot open course folder 'missing': No such file or directory\""),
              std::string::npos);
}

TEST(CourseCheckReport, JsonStringsAreEscapedAndNamesShownAsText) {
    CourseCheckReport report;
    report.given = "c\"q\\\n\x01";
    report.broken.push_back({"\x89\xe6.htm", 2, "a\tb", "src", {}, {}, "no"});
    std::string json = JsonReport({report});
    EXPECT_NE(json.find("\"folder\": \"c\\\"q\\\\\\n\\u0001\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"file\": \"画.htm\""), std::string::npos);
    EXPECT_NE(json.find("\"written\": \"a\\tb\""), std::string::npos);
    EXPECT_NE(TextReport(report).find("画.htm"), std::string::npos);
}

}  // namespace
}  // namespace dorv
