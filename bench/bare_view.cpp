// The bare engine: a window with nothing but a web view showing one page.
// The baseline for the shell's idle figures. With --poll it also calls the
// page's GetState every 229 ms straight through the engine, as the shell's
// poll does through its own page calls, and prints the answers with text.
#include <gtk/gtk.h>
#include <webkit/webkit.h>

#include <cstdio>
#include <cstring>

namespace {

bool g_waiting = false;

// Answers with text are printed, so that the benchmark sees them arrive.
void OnAnswer(GObject* source, GAsyncResult* result, gpointer) {
    JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
    if (value && jsc_value_is_string(value)) {
        gchar* text = jsc_value_to_string(value);
        if (text && *text) std::printf("%s\n", text);
        std::fflush(stdout);
        g_free(text);
    }
    if (value) g_object_unref(value);
    g_waiting = false;
}

gboolean Poll(gpointer view) {
    g_waiting = true;
    webkit_web_view_call_async_javascript_function(WEBKIT_WEB_VIEW(view), "return GetState();", -1, nullptr, nullptr,
                                                   nullptr, nullptr, OnAnswer, nullptr);
    while (g_waiting) g_main_context_iteration(nullptr, TRUE);
    return G_SOURCE_CONTINUE;
}

}  // namespace

int main(int argc, char** argv) {
    bool poll = argc == 3 && std::strcmp(argv[1], "--poll") == 0;
    if ((argc != 2 && !poll) || !gtk_init_check()) return 2;
    GtkWindow* window = GTK_WINDOW(gtk_window_new());
    GtkWidget* view = webkit_web_view_new();
    gtk_widget_set_size_request(view, 800, 600);
    gtk_window_set_child(window, view);
    gtk_window_present(window);
    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), argv[argc - 1]);
    if (poll) g_timeout_add(229, Poll, view);
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop);
    return 0;
}
