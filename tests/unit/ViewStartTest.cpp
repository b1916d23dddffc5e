// The frame's texts and gate, and the view's first navigation.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "ViewRig.h"
#include "app/DorvApp.h"
#include "app/MainFrame.h"
#include "bridge/DorvView.h"
#include "bridge/PageLocation.h"

namespace dorv {
namespace {

TEST(PageLocation, FilePathsBecomeEscapedFileUris) {
    EXPECT_EQ(LocationToUri("/srv/course/main.html"), "file:///srv/course/main.html");
    EXPECT_EQ(LocationToUri("/a b/#1?%.html"), "file:///a%20b/%231%3F%25.html");
    EXPECT_EQ(LocationToUri("/講座/main.html"), "file:///%E8%AC%9B%E5%BA%A7/main.html");
}

TEST(PageLocation, UrlsStayAsTheyAre) {
    EXPECT_EQ(LocationToUri("http://h/c/main.html?x=1&y=2"), "http://h/c/main.html?x=1&y=2");
    EXPECT_EQ(LocationToUri("https://h/main.htm"), "https://h/main.htm");
}

TEST(PageLocation, CoursePagesAreThoseOfTheMainPagesOriginOrFolder) {
    struct Case {
        const char* main;
        const char* uri;
        bool course;
    };
    for (const Case& c : std::vector<Case>{
             {"/srv/c/main.html", "file:///srv/c/main.html", true},
             {"/srv/c/main.html", "file:///srv/c/unit%201/p.html?x#y", true},
             {"/srv/c/main.html", "file:///srv/other/p.html", false},
             {"/srv/c/main.html", "file:///srv/c/../other/p.html", false},
             {"/srv/c/main.html", "file:///srv/cc/p.html", false},
             {"/srv/c/main.html", "http://srv/c/main.html", false},
             {"/srv/c/main.html", "about:blank", false},
             {"http://h/c/main.html", "http://H:80/other/p.html", true},
             {"http://h/c/main.html", "https://h/c/main.html", false},
             {"http://h/c/main.html", "http://h:8080/c/main.html", false},
             {"http://h/c/main.html", "http://h.evil/c/main.html", false},
             {"http://h/c/main.html", "http://h@evil/c/main.html", false},
             {"https://h/c/main.html", "https://h:443/x", true},
         }) {
        EXPECT_EQ(IsCoursePage(c.main, c.uri), c.course) << c.main << " " << c.uri;
    }
}

TEST(MainFrame, CaptionReachesTheWindowOtherTextsDoNot) {
    test::FakeFrameWindow window;
    test::OpenGate gate;
    CMainFrame frame(window, gate);
    EXPECT_EQ(frame.GetCaption(), "PLENA DORV");
    EXPECT_EQ(frame.GetSoftwareName(), "PLENA DORV");
    EXPECT_EQ(frame.GetCourseVersion(), "");
    EXPECT_EQ(frame.GetCopyright(), "");
    frame.SetCourseVersion("Ver 1.0");
    frame.SetSoftwareName("Soft");
    frame.SetCopyright("(C)");
    EXPECT_TRUE(window.titles.empty());
    frame.SetCaption(" 英語コース");
    EXPECT_EQ(window.titles, std::vector<std::string>{" 英語コース"});
    EXPECT_EQ(frame.GetCaption(), " 英語コース");
    EXPECT_EQ(frame.GetCourseVersion(), "Ver 1.0");
    EXPECT_EQ(frame.GetSoftwareName(), "Soft");
    EXPECT_EQ(frame.GetCopyright(), "(C)");
}

TEST(MainFrame, CloseGateClosesTheWindowOnceTheSequenceHasFinished) {
    test::FakeFrameWindow window;
    test::OpenGate gate;
    CMainFrame frame(window, gate);
    frame.OnClose();
    EXPECT_EQ(window.destroyed, 1);
}

using test::ViewRig;

TEST(View, FirstUpdateOpensTheMainPage) {
    ViewRig rig;
    rig.app.m_strMain = "/course/main page.html";
    rig.view.OnInitialUpdate();
    EXPECT_EQ(rig.page.navigations, std::vector<std::string>{"file:///course/main%20page.html"});
    EXPECT_FALSE(rig.page.developerTools);
    rig.timers.RunPosted();
    EXPECT_EQ(rig.window.destroyed, 0);
}

TEST(View, DebugSettingOpensTheDeveloperTools) {
    ViewRig rig;
    rig.app.m_strMain = "/c/main.html";
    rig.app.m_strDebug = "1";
    rig.view.OnInitialUpdate();
    EXPECT_TRUE(rig.page.developerTools);
}

TEST(View, WithoutAMainPageTheFrameIsClosedAfterwards) {
    ViewRig rig;
    rig.view.OnInitialUpdate();
    EXPECT_TRUE(rig.page.navigations.empty());
    EXPECT_EQ(rig.window.destroyed, 0);
    rig.timers.RunPosted();
    EXPECT_EQ(rig.quit.captions, std::vector<std::string>{"PLENA DORV"});
    rig.CloseTimerTicks();
    EXPECT_EQ(rig.window.destroyed, 1);
}

}  // namespace
}  // namespace dorv
