// The bare engine's start-up, the baseline for the shell's: a program that
// starts loading one page, builds and shows a window around the web view,
// and on the first finished load calls the page's InitSettings with one
// argument, as the shell's page start-up does. Prints the wall-clock time
// (microseconds since the epoch) at which that call returned, then ends.
#include <gtk/gtk.h>
#include <webkit/webkit.h>

#include <cstdio>

namespace {

void OnAnswer(GObject* source, GAsyncResult* result, gpointer loop) {
    JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
    // Only an answered call counts.
    if (value) {
        std::printf("first-call %lld\n", static_cast<long long>(g_get_real_time()));
        g_object_unref(value);
    }
    std::fflush(stdout);
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
}

void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer loop) {
    if (event != WEBKIT_LOAD_FINISHED) return;
    GVariantBuilder named;
    g_variant_builder_init(&named, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&named, "{sv}", "v", g_variant_new_string("mute=1"));
    webkit_web_view_call_async_javascript_function(view, "return InitSettings(v);", -1, g_variant_builder_end(&named),
                                                   nullptr, nullptr, nullptr, OnAnswer, loop);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || !gtk_init_check()) return 2;
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    GtkWidget* view = webkit_web_view_new();
    g_signal_connect(view, "load-changed", G_CALLBACK(OnLoadChanged), loop);
    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), argv[1]);
    GtkWindow* window = GTK_WINDOW(gtk_window_new());
    gtk_widget_set_size_request(view, 800, 600);
    gtk_window_set_child(window, view);
    gtk_window_present(window);
    g_main_loop_run(loop);
    return 0;
}
