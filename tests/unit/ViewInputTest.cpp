// The view's input filter: what reaches the page while it waits or shows a
// dialog, the Ctrl key's debug mode, Space, and full-screen mode.
#include <gtest/gtest.h>

#include "ViewBridgeRig.h"
#include "bridge/DorvView.h"

namespace dorv {
namespace {

using test::Args;
using test::ViewBridgeTest;
using Call = test::FakePage::Call;

TEST_F(ViewBridgeTest, FilterAsksNothingOfAWaitingOrDialogShowingPage) {
    using K = PageInput::Kind;
    using Key = PageInput::Key;
    Define("FullScr", "1");
    Define("IsFullScr", "1");
    Define("SetDebugMode");
    page.functions["Slow"] = [&](const Args&) -> std::optional<std::string> {
        EXPECT_FALSE(view.CanExamineInput());  // the filter holds input until the call returns
        EXPECT_FALSE(view.PreTranslateInput({K::KeyDown, Key::Space}));
        EXPECT_FALSE(view.PreTranslateInput({K::LeftButtonDown}));
        page.showingDialog = true;
        EXPECT_TRUE(view.CanExamineInput());  // ... unless the page shows a dialog
        page.showingDialog = false;
        return "";
    };
    EXPECT_TRUE(view.CallScript("Slow", ""));
    EXPECT_TRUE(view.CanExamineInput());
    page.showingDialog = true;
    EXPECT_FALSE(view.PreTranslateInput({K::KeyDown, Key::Escape}));
    EXPECT_FALSE(view.PreTranslateInput({K::KeyDown, Key::Control}));
    EXPECT_EQ(page.CalledNames(), std::vector<std::string>{"Slow"});
    page.showingDialog = false;
    EXPECT_TRUE(view.PreTranslateInput({K::KeyDown, Key::Space}));
}

TEST_F(ViewBridgeTest, CtrlSwitchesDebugModeOnlyWithoutADebugSetting) {
    using K = PageInput::Kind;
    using Key = PageInput::Key;
    Define("SetDebugMode");
    EXPECT_FALSE(view.PreTranslateInput({K::KeyDown, Key::Control}));
    EXPECT_FALSE(view.PreTranslateInput({K::KeyDown, Key::Control}));
    EXPECT_FALSE(view.PreTranslateInput({K::KeyUp, Key::Control}));
    EXPECT_EQ(page.calls,
              (std::vector<Call>{{"SetDebugMode", {"3"}}, {"SetDebugMode", {"3"}}, {"SetDebugMode", {"0"}}}));

    page.calls.clear();
    app.m_strDebug = "1";
    EXPECT_FALSE(view.PreTranslateInput({K::KeyDown, Key::Control}));
    EXPECT_FALSE(view.PreTranslateInput({K::KeyUp, Key::Control}));
    EXPECT_TRUE(page.calls.empty());
}

TEST_F(ViewBridgeTest, ACtrlReleaseThatMissedThePageIsToldOnce) {
    using K = PageInput::Kind;
    using Key = PageInput::Key;
    Define("SetDebugMode");
    EXPECT_TRUE(view.OnDebugKeyLifted()) << "nothing to tell";
    view.PreTranslateInput({K::KeyDown, Key::Control});
    EXPECT_TRUE(view.IsDebugKeyDown());
    // A page that cannot answer now is told later.
    page.showingDialog = true;
    EXPECT_FALSE(view.OnDebugKeyLifted());
    page.showingDialog = false;
    EXPECT_TRUE(view.OnDebugKeyLifted());
    EXPECT_FALSE(view.IsDebugKeyDown());
    // The release itself arriving after that tells nothing more; the next
    // press and release are told as usual.
    view.PreTranslateInput({K::KeyUp, Key::Control});
    view.PreTranslateInput({K::KeyDown, Key::Control});
    view.PreTranslateInput({K::KeyUp, Key::Control});
    EXPECT_EQ(page.calls,
              (std::vector<Call>{
                  {"SetDebugMode", {"3"}}, {"SetDebugMode", {"0"}}, {"SetDebugMode", {"3"}}, {"SetDebugMode", {"0"}}}));
}

TEST_F(ViewBridgeTest, SpaceIsConsumedOnlyWhenThePageActs) {
    using K = PageInput::Kind;
    using Key = PageInput::Key;
    Define("FullScr", "0");
    EXPECT_FALSE(view.PreTranslateInput({K::KeyDown, Key::Space}));
    Define("FullScr", "1");
    EXPECT_TRUE(view.PreTranslateInput({K::KeyDown, Key::Space}));
    EXPECT_FALSE(view.PreTranslateInput({K::KeyUp, Key::Space}));
    EXPECT_FALSE(view.PreTranslateInput({K::KeyDown, Key::Other}));
    EXPECT_EQ(page.CalledNames(), (std::vector<std::string>{"FullScr", "FullScr"}));
}

TEST_F(ViewBridgeTest, EscapeAndClickLeaveFullScreenMode) {
    using K = PageInput::Kind;
    using Key = PageInput::Key;
    Define("FullScr", "1");
    Define("IsFullScr", "true");  // not "1": not in full-screen mode
    EXPECT_FALSE(view.PreTranslateInput({K::KeyDown, Key::Escape}));
    EXPECT_FALSE(view.PreTranslateInput({K::LeftButtonDown}));
    EXPECT_EQ(page.CalledNames(), (std::vector<std::string>{"IsFullScr", "IsFullScr"}));

    page.calls.clear();
    Define("IsFullScr", "1");
    EXPECT_TRUE(view.PreTranslateInput({K::LeftButtonDown}));
    EXPECT_TRUE(view.PreTranslateInput({K::KeyDown, Key::Escape}));
    EXPECT_EQ(page.calls, (std::vector<Call>{
                              {"IsFullScr", {}}, {"FullScr", {"false"}}, {"IsFullScr", {}}, {"FullScr", {"false"}}}));
}

TEST_F(ViewBridgeTest, AnInsensitivePageFiltersNothing) {
    Define("FullScr", "1");
    page.inputEnabled = false;
    EXPECT_FALSE(view.PreTranslateInput({PageInput::Kind::KeyDown, PageInput::Key::Space}));
    EXPECT_TRUE(page.calls.empty());
}

TEST_F(ViewBridgeTest, FullScreenCommandState) {
    bool enabled = true;
    view.OnUpdateFullScreen(enabled);  // no FullScrOK: untouched
    EXPECT_TRUE(enabled);
    Define("FullScrOK", "0");
    view.OnUpdateFullScreen(enabled);
    EXPECT_FALSE(enabled);
    Define("FullScrOK", "1");
    view.OnUpdateFullScreen(enabled);
    EXPECT_TRUE(enabled);
    Define("FullScr", "1");
    view.OnFullScreen();
    EXPECT_EQ(page.calls.back().name, "FullScr");
}

}  // namespace
}  // namespace dorv
