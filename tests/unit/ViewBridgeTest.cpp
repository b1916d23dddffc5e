// Page calls, page start-up and the poll of the view, against a fake page.
#include <gtest/gtest.h>

#include <new>

#include "Fakes.h"
#include "ViewBridgeRig.h"
#include "ViewRig.h"
#include "app/DorvApp.h"
#include "app/MainFrame.h"
#include "bridge/DorvView.h"

namespace dorv {
namespace {

using test::Args;
using test::ViewBridgeTest;
using Call = test::FakePage::Call;

TEST_F(ViewBridgeTest, CallScriptSplitsTheArgumentStringAndReportsFailures) {
    Define("F", "r");
    std::string result = "before";
    EXPECT_TRUE(view.CallScript("F", "a, b,,c", &result));
    EXPECT_EQ(result, "r");
    EXPECT_EQ(page.calls.back(), (Call{"F", {"a", " b", "c"}}));
    page.functions["Throws"] = [](const Args&) { return std::nullopt; };
    result = "kept";
    EXPECT_FALSE(view.CallScript("Throws", "", &result));
    EXPECT_FALSE(view.CallScript("Missing", "'x'", &result));
    EXPECT_EQ(result, "kept");
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(ViewBridgeTest, PagesFromElsewhereAreNeitherPolledNorCalled) {
    view.OnDocumentComplete();
    Answer({"OnLoad:"});
    page.elements.insert("isApp");
    page.uri = "http://elsewhere/page.html";
    Poll();
    EXPECT_FALSE(view.SetElementContent("isApp", "1"));
    EXPECT_TRUE(page.calls.empty());
    EXPECT_TRUE(page.writes.empty());
    page.uri = CCoursePages::FileUri(folder.Path().string() + "/lesson/2.html");
    Poll();
    EXPECT_EQ(page.writes.size(), 1u);
}

TEST_F(ViewBridgeTest, MemoryThatRunsOutIsShownAndThePollGoesOn) {
    view.OnDocumentComplete();
    page.functions["GetState"] = [](const Args&) -> std::optional<std::string> { throw std::bad_alloc(); };
    Poll();
    EXPECT_EQ(box.shown, std::vector<std::string>{"Out of memory."});
    // Nothing is left waiting: the next poll runs and a close still closes.
    Answer({"Quit:"});
    Poll();
    timers.RunPosted();
    EXPECT_EQ(quit.captions.size(), 1u);
}

TEST_F(ViewBridgeTest, CallScriptForTextHasNoArgumentsAndNoSizeLimit) {
    Define("Long", std::string(100000, 'x'));
    std::string text = "old";
    EXPECT_TRUE(view.CallScriptForText("Long", 32, text));
    EXPECT_EQ(text.size(), 100000u);
    EXPECT_EQ(page.calls.back().args, Args{});
    Define("Empty", "");
    EXPECT_TRUE(view.CallScriptForText("Empty", 0, text));
    EXPECT_EQ(text, "");
}

TEST_F(ViewBridgeTest, NegativeBufferSizeIsOutOfMemoryWithoutCallingThePage) {
    Define("F", "r");
    std::string text = "kept";
    EXPECT_FALSE(view.CallScriptForText("F", -1, text));
    EXPECT_EQ(text, "kept");
    EXPECT_TRUE(page.calls.empty());
    EXPECT_EQ(box.shown, std::vector<std::string>{"Out of memory."});
}

TEST_F(ViewBridgeTest, StartUpHandsTheSettingsToThePage) {
    struct Case {
        std::string debug, mute;
        std::vector<Call> calls;
    };
    for (const Case& c : std::vector<Case>{
             {"", "", {}},
             {"", "1", {{"InitSettings", {"mute=1"}}}},
             {"2", "", {{"SetDebugMode", {"2"}}, {"InitSettings", {"debug=2;"}}}},
             {"a,b", "on", {{"SetDebugMode", {"a", "b"}}, {"InitSettings", {"debug=a", "b;mute=on"}}}},
         }) {
        test::FakePage fresh;
        test::FakeTimers freshTimers;
        app.m_strDebug = c.debug;
        app.m_strMute = c.mute;
        CDORVView started(app, frame, {fresh, freshTimers, box, files, drives, quit, nullptr});
        started.OnDocumentComplete();
        EXPECT_EQ(fresh.calls, c.calls) << "debug=" << c.debug << " mute=" << c.mute;
    }
}

TEST_F(ViewBridgeTest, StartUpFillsTheCourseTextsAndStartsThePollOnce) {
    view.OnDocumentComplete();
    EXPECT_EQ(view.m_learnerStore.GetCourseFolderName(), "ENG");
    EXPECT_EQ(frame.GetSoftwareName(), "PLENA DORV");
    EXPECT_EQ(frame.GetCourseVersion(), "Ver 2.1 ");
    EXPECT_EQ(frame.GetCaption(), " 英語");
    EXPECT_EQ(window.titles, std::vector<std::string>{" 英語"});
    EXPECT_EQ(frame.GetCopyright(), " (C) X ");
    EXPECT_EQ(timers.running, (std::map<unsigned, unsigned>{{2000u, 229u}}));

    // Later loads repeat nothing.
    app.m_strDebug = "1";
    timers.running.clear();
    view.OnDocumentComplete();
    EXPECT_TRUE(page.calls.empty());
    EXPECT_TRUE(timers.running.empty());
    EXPECT_EQ(window.titles.size(), 1u);
}

TEST_F(ViewBridgeTest, CoursewareWithoutVersionMarkKeepsTheDefaultVersion) {
    app.m_strConfig =
        folder.Write("c2.xml", "<config file_title=\"T\" courseware=\" Lesson ver 1 \" software=\"Soft ver 2 Ver\"/>");
    view.OnDocumentComplete();
    EXPECT_EQ(frame.GetCaption(), " Lesson ver 1");
    EXPECT_EQ(frame.GetCourseVersion(), "");
    EXPECT_EQ(frame.GetSoftwareName(), "Soft ver 2 Ver");
    EXPECT_EQ(frame.GetCopyright(), "");
}

TEST_F(ViewBridgeTest, WithoutFileTitleThePollNeverStarts) {
    app.m_strConfig = folder.Write("c3.xml", "<config courseware=\"X Ver 1\"/>");
    app.m_strMute = "1";
    view.OnDocumentComplete();
    EXPECT_EQ(page.CalledNames(), std::vector<std::string>{"InitSettings"});
    EXPECT_TRUE(timers.running.empty());
    EXPECT_EQ(frame.GetCaption(), "PLENA DORV");
    Answer({"OnLoad:"});
    Poll();
    EXPECT_TRUE(page.writes.empty());
}

TEST_F(ViewBridgeTest, PollParsesLinesAndDispatchesInOrder) {
    view.OnDocumentComplete();
    page.elements.insert("isApp");
    Answer({"\n\nDisableMouse:\nOnLoad:x\n  OnLoad:\nonload:\n::EnableMouse\nDisableMouse\r\n"});
    Poll();
    // "  OnLoad:" and "onload:" name nothing; "::EnableMouse" is EnableMouse;
    // "DisableMouse\r" without a colon keeps its CR and matches nothing.
    EXPECT_EQ(page.writes, (std::vector<Call>{{"isApp", {"1"}}}));
    EXPECT_TRUE(page.inputEnabled);
}

TEST_F(ViewBridgeTest, MouseCommandsFollowTheLastWord) {
    view.OnDocumentComplete();
    Answer({"DisableMouse:\nDisableMouse:", "EnableMouse:", "DisableMouse:"});
    Poll();
    EXPECT_FALSE(page.inputEnabled);
    Poll();
    EXPECT_TRUE(page.inputEnabled);
    Poll();
    EXPECT_FALSE(page.inputEnabled);
}

TEST_F(ViewBridgeTest, QuitAsksAfterThePollHasFinished) {
    view.OnDocumentComplete();
    page.elements.insert("isApp");
    Answer({"Quit\nOnLoad:"});
    Poll();
    // The rest of the answer is carried out first; the close comes later.
    EXPECT_EQ(page.writes.size(), 1u);
    EXPECT_TRUE(quit.captions.empty());
    EXPECT_EQ(view.m_bForceQuit, 0);
    timers.RunPosted();
    EXPECT_EQ(quit.captions, std::vector<std::string>{" 英語"});
}

TEST_F(ViewBridgeTest, ACloseFromThePollComesBeforeTheNextTick) {
    view.OnDocumentComplete();
    Answer({"Quit:", "Seen:"});
    Poll();
    // The next tick fell due while the rest of the answer was carried out:
    // the close request reaches the gate first, and the poll stays stopped.
    Poll();
    EXPECT_EQ(page.CalledNames(), std::vector<std::string>{"GetState"});
    quit.whileOpen = [&] { EXPECT_EQ(page.CalledNames(), std::vector<std::string>{"GetState"}); };
    timers.RunPosted();
    EXPECT_EQ(quit.captions.size(), 1u);
    EXPECT_EQ(page.CalledNames(), (std::vector<std::string>{"GetState", "GetLogData", "OnClose"}));
}

TEST_F(ViewBridgeTest, NoPollWhileThePrintDialogIsOpen) {
    view.OnDocumentComplete();
    Answer({});
    page.printing = true;
    Poll();
    timers.RunPosted();
    EXPECT_TRUE(page.calls.empty());
    page.printing = false;
    view.OnPrintDialogClosed();
    timers.RunPosted();
    EXPECT_EQ(page.CalledNames(), std::vector<std::string>{"GetState"});  // the held tick, once
}

TEST_F(ViewBridgeTest, AFirstLoadUnderTheQuitDialogStartsNoPoll) {
    Define("GetState");
    // The close came before the first load finished, and the load finishes
    // while the learner is asked.
    quit.answers = {false, true};
    quit.whileOpen = [&] {
        view.OnDocumentComplete();
        EXPECT_EQ(timers.running.count(CDORVView::kPollTimer), 0u);
    };
    view.PostCloseRequest();
    timers.RunPosted();
    EXPECT_EQ(timers.running.count(CDORVView::kPollTimer), 1u) << "Cancel polls";
    EXPECT_EQ(window.titles.back(), " 英語") << "the start-up ran";
}

TEST_F(ViewBridgeTest, AFirstLoadAfterTheConfirmedCloseStartsNothing) {
    Define("SetDebugMode");
    app.m_strDebug = "1";
    view.PostCloseRequest();
    timers.RunPosted();
    page.calls.clear();
    view.OnDocumentComplete();
    EXPECT_TRUE(page.calls.empty());
    EXPECT_EQ(timers.running.count(CDORVView::kPollTimer), 0u);
}

TEST_F(ViewBridgeTest, ForceQuitSetsTheFlagBeforeTheCloseArrives) {
    view.OnDocumentComplete();
    Answer({"ForceQuit:"});
    Poll();
    EXPECT_EQ(view.m_bForceQuit, 1);
    timers.RunPosted();
    EXPECT_TRUE(quit.captions.empty());
    CloseTimerTicks();
    EXPECT_EQ(window.destroyed, 1);
}

TEST_F(ViewBridgeTest, FailingGetStateDispatchesNothing) {
    view.OnDocumentComplete();
    page.functions["GetState"] = [](const Args&) { return std::nullopt; };
    Poll();
    Poll();
    EXPECT_EQ(page.CalledNames(), (std::vector<std::string>{"GetState", "GetState"}));
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(ViewBridgeTest, TickDuringAPageCallIsHeldAndRunsOnceAfterwards) {
    view.OnDocumentComplete();
    int polls = 0;
    page.functions["GetState"] = [&](const Args&) -> std::optional<std::string> {
        ++polls;
        return "";
    };
    // While "Slow" waits for its answer, two ticks fall due.
    page.functions["Slow"] = [&](const Args&) -> std::optional<std::string> {
        Poll();
        Poll();
        return "done";
    };
    std::string text;
    EXPECT_TRUE(view.CallScriptForText("Slow", 32, text));
    EXPECT_EQ(polls, 0);  // no poll inside the wait
    timers.RunPosted();
    EXPECT_EQ(polls, 1);  // one poll once the call has returned
    timers.RunPosted();
    EXPECT_EQ(polls, 1);
}

TEST_F(ViewBridgeTest, DeferredWorkWaitsForTheWholePollAndNeverRunsInsideACall) {
    view.OnDocumentComplete();
    page.elements.insert("isApp");
    std::vector<std::string> events;
    // Each page call's wait runs the main loop's posted work, as the real
    // nested loop does.
    page.whileWaiting = [&] {
        events.push_back("wait");
        timers.RunPosted();
    };
    quit.whileOpen = [&] { events.push_back("asked"); };
    quit.answers = {false, false};
    Answer({"Quit:\nOnLoad:\nOnLoad:"});
    Poll();
    EXPECT_TRUE(quit.captions.empty());
    timers.RunPosted();
    EXPECT_EQ(events, (std::vector<std::string>{"wait", "wait", "wait", "asked"}));

    // A close request from the window while a page call waits: carried out
    // once the call has returned.
    page.whileWaiting = nullptr;
    page.functions["Slow"] = [&](const Args&) -> std::optional<std::string> {
        view.PostCloseRequest();
        timers.RunPosted();
        EXPECT_EQ(quit.captions.size(), 1u);
        return "";
    };
    EXPECT_TRUE(view.CallScript("Slow", ""));
    timers.RunPosted();
    EXPECT_EQ(quit.captions.size(), 2u);
}

TEST_F(ViewBridgeTest, AHeldTickNeverPollsAfterTheCloseSequenceStoppedThePoll) {
    view.OnDocumentComplete();
    int polls = 0;
    page.functions["GetState"] = [&](const Args&) -> std::optional<std::string> {
        if (++polls == 1) {
            // The first poll's answer takes longer than two periods.
            Poll();
            Poll();
            return "Quit:";
        }
        return "";
    };
    quit.whileOpen = [&] { EXPECT_EQ(polls, 1) << "the close comes before the held tick's poll"; };
    quit.answers = {false};
    Poll();
    EXPECT_EQ(polls, 1);
    timers.RunPosted();
    EXPECT_EQ(quit.captions.size(), 1u);
    EXPECT_EQ(polls, 1);                                         // the held tick went with the stopped poll
    EXPECT_EQ(timers.running.count(CDORVView::kPollTimer), 1u);  // cancelled: polling again
}

TEST_F(ViewBridgeTest, EndOfThePageProcessIsToldAndThePageReloaded) {
    view.OnPageProcessEnded("crashed");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(page.reloads, 1);
}

}  // namespace
}  // namespace dorv
