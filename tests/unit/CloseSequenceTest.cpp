// The close sequence: the frame's gate, the quit confirmation, the saves,
// the page's OnClose and the close timer; and the about box's text.
#include <gtest/gtest.h>

#include "ViewRig.h"
#include "app/AboutDlg.h"

namespace dorv {
namespace {

using Args = std::vector<std::string>;

class CloseSequenceTest : public ::testing::Test, protected test::ViewRig {
protected:
    CloseSequenceTest() {
        app.m_strConfig = folder.Write("course.xml", "<config file_title=\"T\" courseware=\"Course Ver 2\"/>");
        for (const char* name : {"GetLogData", "GetPosData", "OnClose", "GetState"}) {
            page.functions[name] = [](const Args&) { return std::optional<std::string>(""); };
        }
        view.OnDocumentComplete();
    }
    void Close() {
        view.PostCloseRequest();
        timers.RunPosted();
    }
    bool Polling() const { return timers.running.count(CDORVView::kPollTimer) == 1; }
    bool CloseTimerRunning() const {
        auto it = timers.running.find(CDORVView::kCloseTimer);
        return it != timers.running.end() && it->second == 1500;
    }
    test::ScratchFolder folder;
};

TEST_F(CloseSequenceTest, ConfirmedCloseSavesTellsThePageAndClosesLater) {
    quit.whileOpen = [&] { EXPECT_FALSE(Polling()) << "the poll stops while the learner is asked"; };
    Close();
    EXPECT_EQ(quit.captions, std::vector<std::string>{" Course"});
    EXPECT_EQ(quit.texts, std::vector<std::string>{"学習を終了しますか？"});
    EXPECT_EQ(page.CalledNames(), (std::vector<std::string>{"GetLogData", "OnClose"}));  // no learner: no GetPosData
    EXPECT_FALSE(page.inputEnabled);
    EXPECT_FALSE(Polling());
    EXPECT_TRUE(CloseTimerRunning());
    EXPECT_EQ(window.destroyed, 0);
    CloseTimerTicks();
    EXPECT_TRUE(view.IsClosing());
    EXPECT_EQ(window.destroyed, 1);
    EXPECT_EQ(timers.running.count(CDORVView::kCloseTimer), 0u);
}

TEST_F(CloseSequenceTest, CancelSavesNothingAndPollsAgain) {
    timers.running.clear();  // also when the start-up never started the poll
    quit.answers = {false};
    Close();
    EXPECT_TRUE(page.calls.empty());
    EXPECT_TRUE(page.inputEnabled);
    EXPECT_EQ(timers.running, (std::map<unsigned, unsigned>{{2000u, 229u}}));
}

TEST_F(CloseSequenceTest, ForceQuitSkipsTheQuestion) {
    page.functions["GetState"] = [](const Args&) { return std::optional<std::string>("ForceQuit:"); };
    view.OnTimer(CDORVView::kPollTimer);
    timers.RunPosted();
    EXPECT_TRUE(quit.captions.empty());
    EXPECT_TRUE(CloseTimerRunning());
}

TEST_F(CloseSequenceTest, QuitThenLogSavesTheRecordBeforeAsking) {
    std::vector<std::string> order;
    page.functions["GetLogData"] = [&](const Args&) {
        order.push_back("record");
        return std::optional<std::string>("");
    };
    quit.whileOpen = [&] { order.push_back("asked"); };
    page.functions["GetState"] = [](const Args&) { return std::optional<std::string>("Quit:\nLog:"); };
    view.OnTimer(CDORVView::kPollTimer);
    timers.RunPosted();
    EXPECT_EQ(order, (std::vector<std::string>{"record", "asked", "record"}));
}

TEST_F(CloseSequenceTest, ARequestDuringTheWaitRunsTheSequenceAgain) {
    Close();
    page.calls.clear();
    Close();  // OK again: saved again, told again, the full 1500 ms again
    EXPECT_EQ(quit.captions.size(), 2u);
    EXPECT_EQ(page.CalledNames(), (std::vector<std::string>{"GetLogData", "OnClose"}));
    EXPECT_TRUE(CloseTimerRunning());
    // Cancel the third time: polling again, but the close timer still closes.
    quit.answers = {false};
    Close();
    EXPECT_TRUE(Polling());
    CloseTimerTicks();
    EXPECT_EQ(window.destroyed, 1);
}

TEST_F(CloseSequenceTest, TheWindowNeverClosesUnderAnOpenQuitDialog) {
    Close();
    // The repeated dialog is open when the close timer falls due, and a
    // close request from the window comes too.
    quit.whileOpen = [&] {
        CloseTimerTicks();
        view.PostCloseRequest();
        timers.RunPosted();
        EXPECT_EQ(window.destroyed, 0);
    };
    quit.answers = {false};
    Close();
    EXPECT_EQ(window.destroyed, 1);  // once answered
    EXPECT_EQ(quit.captions.size(), 2u);
}

TEST(AboutBox, VersionFieldsAndTheFramesTexts) {
    test::FakeFrameWindow window;
    test::OpenGate gate;
    CMainFrame frame(window, gate);
    EXPECT_EQ(CAboutDlg::BuildText(frame, "3.0.1.76"), "PLENA DORV  Ver 3.01\nPLENA DORV  \n");
    auto firstLine = [&](const std::string& version) {
        std::string text = CAboutDlg::BuildText(frame, version);
        return text.substr(0, text.find('\n'));
    };
    EXPECT_EQ(firstLine("10.2.3.4"), "PLENA DORV  Ver 10.23");
    EXPECT_EQ(firstLine("3.0"), "PLENA DORV  Ver 3.0");
    EXPECT_EQ(CAboutDlg(frame).GetText(), "PLENA DORV  Ver 3.01\nPLENA DORV  \n");
    frame.SetSoftwareName("Soft & Co");
    frame.SetCaption(" 英語");
    frame.SetCourseVersion("Ver 2.1");
    frame.SetCopyright("(C) A & B");
    EXPECT_EQ(CAboutDlg(frame).GetText(), "Soft & Co  Ver 3.01\n 英語  Ver 2.1\n(C) A & B");
}

}  // namespace
}  // namespace dorv
