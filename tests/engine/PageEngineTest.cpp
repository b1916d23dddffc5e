// Page calls in the real engine: WebKitGTK shows a page in a window of its
// own, and the view's calls go through it. Runs under an X server.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "app/DorvApp.h"
#include "app/MainFrame.h"
#include "bridge/DorvView.h"
#include "platform/engine/CourseEngine.h"
#include "platform/engine/WebKitPage.h"

extern "C" void dorv_register_resource();

namespace dorv {
namespace {

constexpr const char* kTestPage = R"HTML(<!DOCTYPE html><html><head><meta charset="utf-8"><script>
var received = [];
function Echo() { received = Array.from(arguments); return String(received.length); }
function Nth(i) { return received[Number(i)]; }
function Throws() { throw new Error('boom'); }
function Number1() { return 1; }
function True() { return true; }
function Nothing() {}
function Null() { return null; }
function Lone() { return 'a\uD800b\uDC00c'; }
function Big(n) { return 'x'.repeat(Number(n)); }
function WithZero() { return 'a\u0000b'; }
var notAFunction = 5;
var states = [], pollCaller = '';
var Symbol = 'a name that pages written for the old browser may use';
function GetState() {
  pollCaller = /(^|\n)poll@/.test(new Error().stack) ? 'poll' : 'call';
  const next = states.shift();
  if (next === 'throw') throw new Error('boom');
  return next;
}
</script></head><body>
<p id="isApp">0</p><div><span id="isApp">0</span></div><p id="ISAPP">0</p><p id="other">0</p>
</body></html>)HTML";

class PageEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(gtk_init_check()) << "no display";
        dorv_register_resource();
    }

    explicit PageEngineTest(bool pollScript = false) {
        if (pollScript) AddPollScript();
        window = GTK_WINDOW(gtk_window_new());
        gtk_window_set_child(window, page.Widget());
        gtk_window_set_default_size(window, 800, 600);
        gtk_window_present(window);
        page.SetListener(&loads);
        app.m_strMain = "/dorv-test/main.html";  // the test page is one of the course's
        Load();
    }

    void Load() {
        int before = loads.count;
        webkit_web_view_load_html(page.View(), kTestPage, "dorv://course/dorv-test/");
        gint64 deadline = g_get_monotonic_time() + 30 * G_USEC_PER_SEC;
        while (loads.count == before && g_get_monotonic_time() < deadline) g_main_context_iteration(nullptr, TRUE);
    }

    // The program's poll script, as course pages get it.
    void AddPollScript() {
        std::string source = CourseEngine::PollScript("GetState");
        ASSERT_FALSE(source.empty());
        WebKitUserScript* script =
            webkit_user_script_new(source.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                   WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
        webkit_user_content_manager_add_script(webkit_web_view_get_user_content_manager(page.View()), script);
        webkit_user_script_unref(script);
    }

    // Each answer of GetState to the states given, or "failed"; `caller`
    // says how GetState was reached every time ("poll" or "call").
    std::vector<std::string> Polled(const std::string& states, const std::string& caller) {
        std::string given;
        EXPECT_TRUE(view.CallScript("eval", "'states = [" + states + "]; states.length'", &given));
        std::vector<std::string> answers;
        std::string ignored;
        // As many polls as states given, even if something else answers them.
        for (std::string left = given; left != "0" && answers.size() < std::stoul(given);) {
            std::string answer;
            answers.push_back(view.CallPollFunction(answer) ? answer : "failed");
            EXPECT_TRUE(view.CallScript("eval", "'pollCaller'", &ignored));
            EXPECT_EQ(ignored, caller);
            EXPECT_TRUE(view.CallScript("eval", "'states.length'", &left));
        }
        return answers;
    }
    ~PageEngineTest() override {
        page.SetListener(nullptr);
        gtk_window_destroy(window);
    }

    // Calls Echo with the argument string and reads back what arrived.
    std::vector<std::string> Arrived(const std::string& argumentString) {
        std::string count;
        EXPECT_TRUE(view.CallScript("Echo", argumentString, &count));
        std::vector<std::string> args;
        for (int i = 0; i < std::stoi(count); ++i) {
            std::string arg;
            EXPECT_TRUE(view.CallScript("Nth", std::to_string(i), &arg));
            args.push_back(arg);
        }
        return args;
    }

    struct LoadCounter : IPageEvents {
        void OnDocumentComplete() override { ++count; }
        void OnPageProcessEnded(const std::string&) override {}
        void OnPageNotResponding() override {}
        void OnPrintDialogClosed() override {}
        int count = 0;
    } loads;
    WebKitPage page;
    GtkWindow* window;
    test::FakeMessageBox box;
    test::FakeFrameWindow frameWindow;
    test::FakeTimers timers;
    test::NoFiles files;
    test::FakeDriveList drives;
    test::FakeQuitDialog quit;
    CDORVApp app{box};
    CDORVView view{app, frame, {page, timers, box, files, drives, quit, nullptr}};
    CMainFrame frame{frameWindow, view};
};

using Args = std::vector<std::string>;

TEST_F(PageEngineTest, ArgumentsArriveUnchanged) {
    ASSERT_EQ(loads.count, 1);
    EXPECT_EQ(Arrived(""), Args{});
    EXPECT_EQ(Arrived("a, b,,c"), (Args{"a", " b", "c"}));
    EXPECT_EQ(Arrived("'one, \"two\", 'three''"), Args{"one, \"two\", 'three'"});
    EXPECT_EQ(Arrived("\"line 1\r\nline 2\nline 3\""), Args{"line 1\r\nline 2\nline 3"});
    EXPECT_EQ(Arrived("学習者,履歴①～"), (Args{"学習者", "履歴①～"}));
    EXPECT_EQ(Arrived("'); alert(1); ('"), Args{"); alert(1); ("});
    EXPECT_EQ(Arrived("\\u0041,${x},`"), (Args{"\\u0041", "${x}", "`"}));
}

TEST_F(PageEngineTest, AMegabyteArgumentArrivesWhole) {
    std::string big;
    for (int i = 0; big.size() < 1024 * 1024; ++i) big += "行" + std::to_string(i) + ",\"'\n";
    EXPECT_EQ(Arrived("'" + big + "'"), Args{big});
}

TEST_F(PageEngineTest, FailuresAreFalseAndShowNothing) {
    std::string result = "kept";
    EXPECT_FALSE(view.CallScript("Missing", "", &result));
    EXPECT_FALSE(view.CallScript("notAFunction", "", &result));
    EXPECT_FALSE(view.CallScript("Throws", "", &result));
    EXPECT_FALSE(view.CallScript("", "", &result));
    EXPECT_EQ(result, "kept");
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(PageEngineTest, ReturnValuesAsText) {
    std::string text;
    ASSERT_TRUE(view.CallScriptForText("Number1", 32, text));
    EXPECT_EQ(text, "1");
    ASSERT_TRUE(view.CallScriptForText("True", 32, text));
    EXPECT_EQ(text, "true");
    ASSERT_TRUE(view.CallScriptForText("Nothing", 32, text));
    EXPECT_EQ(text, "");
    text = "x";
    ASSERT_TRUE(view.CallScriptForText("Null", 32, text));
    EXPECT_EQ(text, "");
    ASSERT_TRUE(view.CallScriptForText("Lone", 32, text));
    EXPECT_EQ(text, "a\uFFFDb\uFFFDc");
    ASSERT_TRUE(view.CallScriptForText("WithZero", 32, text));
    EXPECT_EQ(text, std::string("a\0b", 3));
    std::string big;
    ASSERT_TRUE(view.CallScript("Big", "3000000", &big));
    EXPECT_EQ(big, std::string(3000000, 'x'));
}

// The poll goes through the page's poll function where the program's script
// gave it one, else through the usual call; the answers are the same.
const char* const kStates = R"("Log:a\nQuit:", 1, undefined, null, "a\uD800b", document.body, "throw", "Drive:")";
const Args kAnswers{"Log:a\nQuit:", "1", "", "", "a\uFFFDb", "[object HTMLBodyElement]", "failed", "Drive:"};

TEST_F(PageEngineTest, ThePollAnswersAsEveryOtherCall) { EXPECT_EQ(Polled(kStates, "call"), kAnswers); }

class PageWithPollScriptTest : public PageEngineTest {
protected:
    PageWithPollScriptTest() : PageEngineTest(true) {}
};

TEST_F(PageWithPollScriptTest, ThePollGoesThroughThePagesPollFunction) {
    EXPECT_EQ(Polled(kStates, "poll"), kAnswers);
    // The page cannot put anything else in its place: the poll still
    // reaches the page's own GetState through the program's function.
    std::string text;
    ASSERT_TRUE(view.CallScript("eval", "'window[\"dorv:poll\"] = () => \"Forged:\"; 0'", &text));
    EXPECT_EQ(Polled(R"("Drive:")", "poll"), Args{"Drive:"});
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(PageEngineTest, SetElementContentWritesEveryExactMatch) {
    EXPECT_TRUE(view.SetElementContent("isApp", "1"));
    std::string count;
    ASSERT_TRUE(view.CallScript(
        "eval", "'Array.from(document.querySelectorAll(\"[id=isApp]\")).map(e => e.innerHTML).join()'", &count));
    EXPECT_EQ(count, "1,1");
    ASSERT_TRUE(view.CallScript("eval", "'document.getElementById(\"ISAPP\").innerHTML'", &count));
    EXPECT_EQ(count, "0");
    EXPECT_FALSE(view.SetElementContent("missing", "1"));
    EXPECT_FALSE(view.SetElementContent("", "1"));
    // Content that carries the id again is not written into a second time.
    EXPECT_TRUE(view.SetElementContent("other", "<b id=\"other\">x</b>"));
    ASSERT_TRUE(view.CallScript("eval", "'document.querySelectorAll(\"[id=other]\").length'", &count));
    EXPECT_EQ(count, "2");
}

}  // namespace
}  // namespace dorv
