// Page-call benchmarks: the shell's calls against the same work done
// directly on the engine, in one run. Prints figures; run under an X server:
//   tests/e2e/with-x.sh build/bench/bridge_bench
#include <gtk/gtk.h>
#include <webkit/webkit.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/CloseGate.h"
#include "app/DorvApp.h"
#include "app/FrameWindow.h"
#include "app/MainFrame.h"
#include "bridge/DorvView.h"
#include "common/MessageBox.h"
#include "common/Timers.h"
#include "platform/engine/WebKitPage.h"
#include "platform/system/GioDriveList.h"
#include "platform/system/PosixFileStore.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kPage = R"HTML(<!DOCTYPE html><html><body><script>
function Trivial() { return '1'; }
function Sink(s) { return String(s.length); }
var big = null;
function Big() { if (!big) big = 'y'.repeat(10 * 1024 * 1024); return big; }
</script></body></html>)HTML";

struct NoBox : dorv::IMessageBox {
    void Show(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
};
struct NeverQuit : dorv::IQuitDialog {
    bool Confirm(const std::string&, const std::string&) override { return false; }
};
struct NoWindow : dorv::IFrameWindow {
    void SetTitle(const std::string&) override {}
    void Destroy() override {}
};
struct NoTimers : dorv::ITimers {
    void SetTimer(unsigned, unsigned) override {}
    void KillTimer(unsigned) override {}
    void Post(std::function<void()>) override {}
};
struct Loads : dorv::IPageEvents {
    void OnDocumentComplete() override { ++count; }
    void OnPageProcessEnded(const std::string&) override {}
    void OnPageNotResponding() override {}
    void OnPrintDialogClosed() override {}
    int count = 0;
};

// The engine's own asynchronous call, waited for the same way.
bool DirectCall(WebKitWebView* view, const char* body, GVariant* args, std::string* out) {
    struct State {
        bool done = false;
        std::string* out;
    } state{false, out};
    webkit_web_view_call_async_javascript_function(
        view, body, -1, args, nullptr, nullptr, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* s = static_cast<State*>(data);
            JSCValue* value =
                webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
            if (value) {
                if (s->out) {
                    GBytes* bytes = jsc_value_to_string_as_bytes(value);
                    gsize size = 0;
                    const char* data8 = static_cast<const char*>(g_bytes_get_data(bytes, &size));
                    s->out->assign(data8, size);
                    g_bytes_unref(bytes);
                }
                g_object_unref(value);
            }
            s->done = true;
        },
        &state);
    while (!state.done) g_main_context_iteration(nullptr, TRUE);
    return true;
}

struct Stats {
    double median, p99;
};

Stats Summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 99 / 100)]};
}

// Times `count` rounds of both operations, alternating, so that drift of
// the machine or the engine's heap falls on both alike.
template <typename Shell, typename Direct>
std::pair<Stats, Stats> Measure(int count, Shell shell, Direct direct) {
    std::vector<double> a, b;
    auto time = [](auto&& call) {
        auto start = Clock::now();
        call();
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    for (int i = 0; i < count; ++i) {
        a.push_back(time(shell));
        b.push_back(time(direct));
    }
    return {Summarise(a), Summarise(b)};
}

void Report(const char* what, std::pair<Stats, Stats> figures) {
    auto [shell, direct] = figures;
    std::printf("%-34s shell median %8.3f ms p99 %8.3f ms | engine median %8.3f ms p99 %8.3f ms | ratio %.2f\n", what,
                shell.median, shell.p99, direct.median, direct.p99, shell.median / direct.median);
}

// A figure from calls that failed would be worse than none.
[[noreturn]] void Fail(const char* what, const std::string& got) {
    std::fprintf(stderr, "FAILED: %s (got %zu bytes: %.40s)\n", what, got.size(), got.c_str());
    std::exit(1);
}

}  // namespace

int main() {
    if (!gtk_init_check()) {
        std::fprintf(stderr, "bridge_bench: no display\n");
        return 1;
    }
    dorv::WebKitPage page;
    Loads loads;
    page.SetListener(&loads);
    GtkWindow* window = GTK_WINDOW(gtk_window_new());
    gtk_window_set_child(window, page.Widget());
    gtk_window_set_default_size(window, 800, 600);
    gtk_window_present(window);
    // Shown as a page of the course, which the view calls.
    webkit_web_view_load_html(page.View(), kPage, "dorv://course/bench/");
    while (loads.count == 0) g_main_context_iteration(nullptr, TRUE);

    NoBox box;
    NoWindow frameWindow;
    NoTimers timers;
    dorv::CDORVApp app(box);
    app.m_strMain = "/bench/main.html";
    app.m_strCourseFolder = "/bench";
    dorv::PosixFileStore files;
    dorv::GioDriveList drives({});
    NeverQuit quit;
    struct Shell {
        dorv::CDORVView view;
        dorv::CMainFrame frame;
    } shell{{app, shell.frame, {page, timers, box, files, drives, quit, nullptr}}, {frameWindow, shell.view}};
    dorv::CDORVView& view = shell.view;

    const int calls = 3000;
    std::string text;
    auto shellTrivial = [&] {
        text.clear();
        if (!view.CallScriptForText("Trivial", 32, text) || text != "1") Fail("the shell's call of Trivial", text);
    };
    auto engineTrivial = [&] {
        text.clear();
        if (!DirectCall(page.View(), "return Trivial();", nullptr, &text) || text != "1") {
            Fail("the engine's call of Trivial", text);
        }
    };
    for (int i = 0; i < 200; ++i) shellTrivial();  // warm up both paths
    for (int i = 0; i < 200; ++i) engineTrivial();
    Report("round trip, trivial function", Measure(calls, shellTrivial, engineTrivial));

    const std::string big(10 * 1024 * 1024, 'x');
    const std::string quoted = "'" + big + "'";
    const int transfers = 15;
    const std::string bigSize = std::to_string(big.size());
    Report("10 MB string to the page",
           Measure(
               transfers,
               [&] {
                   text.clear();
                   if (!view.CallScript("Sink", quoted, &text) || text != bigSize) Fail("10 MB to the page", text);
               },
               [&] {
                   GVariantBuilder b;
                   g_variant_builder_init(&b, G_VARIANT_TYPE_VARDICT);
                   g_variant_builder_add(&b, "{sv}", "s", g_variant_new_string(big.c_str()));
                   text.clear();
                   DirectCall(page.View(), "return Sink(s);", g_variant_builder_end(&b), &text);
                   if (text != bigSize) Fail("10 MB to the page by the engine", text);
               }));
    std::string fromShell, fromEngine;
    Report("10 MB string from the page",
           Measure(
               transfers,
               [&] {
                   fromShell.clear();
                   if (!view.CallScriptForText("Big", 32, fromShell) || fromShell.size() != big.size()) {
                       Fail("10 MB from the page", fromShell);
                   }
               },
               [&] {
                   fromEngine.clear();
                   DirectCall(page.View(), "return Big();", nullptr, &fromEngine);
                   if (fromEngine.size() != big.size()) Fail("10 MB from the page by the engine", fromEngine);
               }));
    std::printf("(every call answered; sizes received: shell %zu, engine %zu bytes)\n", fromShell.size(),
                fromEngine.size());

    page.SetListener(nullptr);
    gtk_window_destroy(window);
    return 0;
}
