// The frame's texts and gate, and the view's first navigation.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "ViewRig.h"
#include "app/DorvApp.h"
#include "app/MainFrame.h"
#include "bridge/DorvView.h"

namespace dorv {
namespace {

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
    EXPECT_EQ(rig.page.navigations, std::vector<std::string>{"dorv://course/course/main%20page.html"});
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
