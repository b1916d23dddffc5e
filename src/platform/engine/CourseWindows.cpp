#include "platform/engine/CourseWindows.h"

#include <algorithm>
#include <cstring>

#include "common/PageArea.h"
#include "common/Trace.h"
#include "platform/engine/CourseEngine.h"
#include "platform/engine/WebKitPage.h"

namespace dorv {
namespace {

bool IsEmptyPage(const char* uri) { return !uri || !*uri || std::strcmp(uri, "about:blank") == 0; }

}  // namespace

CourseWindows::CourseWindows(const CourseEngine& engine, GtkWindow* main, Hooks hooks)
    : m_engine(engine), m_main(main), m_hooks(std::move(hooks)) {}

CourseWindows::~CourseWindows() { CloseAll(); }

void CourseWindows::Watch(WebKitWebView* view) { g_signal_connect(view, "create", G_CALLBACK(OnCreate), this); }

void CourseWindows::CloseAll() {
    std::vector<GtkWindow*> windows = m_windows;
    for (GtkWindow* window : windows) gtk_window_destroy(window);
    m_windows.clear();
}

GtkWidget* CourseWindows::OnCreate(WebKitWebView* view, WebKitNavigationAction* action, gpointer self) {
    auto* windows = static_cast<CourseWindows*>(self);
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    if (!IsEmptyPage(uri) && windows->m_hooks.keepOut(uri)) return nullptr;
    Trace("the page opens a window: %s", uri ? uri : "");
    WebKitWebView* child = windows->m_engine.CreateRelatedView(view);
    g_signal_connect(child, "ready-to-show", G_CALLBACK(OnReadyToShow), self);
    g_signal_connect(child, "close", G_CALLBACK(OnClose), self);
    g_signal_connect(child, "load-changed", G_CALLBACK(OnLoadChanged), self);
    g_signal_connect(child, "decide-policy", G_CALLBACK(OnDecidePolicy), self);
    windows->Watch(child);
    if (windows->m_hooks.adopt) windows->m_hooks.adopt(child);
    return GTK_WIDGET(child);
}

void CourseWindows::OnReadyToShow(WebKitWebView* view, gpointer self) {
    auto* windows = static_cast<CourseWindows*>(self);
    GtkWindow* window = GTK_WINDOW(gtk_window_new());
    gtk_window_set_title(window, gtk_window_get_title(windows->m_main));
    gtk_window_set_transient_for(window, windows->m_main);
    gtk_window_set_destroy_with_parent(window, TRUE);
    GdkRectangle geometry{};
    webkit_window_properties_get_geometry(webkit_web_view_get_window_properties(view), &geometry);
    gtk_window_set_default_size(window, geometry.width > 0 ? geometry.width : kPageWidth,
                                geometry.height > 0 ? geometry.height : kPageHeight);
    gtk_window_set_resizable(window,
                             webkit_window_properties_get_resizable(webkit_web_view_get_window_properties(view)));
    gtk_window_set_child(window, GTK_WIDGET(view));
    windows->m_windows.push_back(window);
    g_signal_connect(window, "destroy", G_CALLBACK(+[](GtkWidget* gone, gpointer data) {
                         auto& list = static_cast<CourseWindows*>(data)->m_windows;
                         list.erase(std::remove(list.begin(), list.end(), GTK_WINDOW(gone)), list.end());
                     }),
                     self);
    gtk_window_present(window);
    gtk_widget_grab_focus(GTK_WIDGET(view));
}

void CourseWindows::OnClose(WebKitWebView* view, gpointer) {
    Trace("a window of the course closes");
    GtkRoot* root = gtk_widget_get_root(GTK_WIDGET(view));
    if (root && GTK_IS_WINDOW(root)) {
        gtk_window_destroy(GTK_WINDOW(root));
    } else if (g_object_is_floating(view)) {
        // Closed before it was ever shown.
        g_object_ref_sink(view);
        g_object_unref(view);
    }
}

// A window of the course never shows a page from elsewhere: that opens in
// the web browser and the window closes.
void CourseWindows::OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self) {
    if (event != WEBKIT_LOAD_COMMITTED) return;
    const char* uri = webkit_web_view_get_uri(view);
    if (IsEmptyPage(uri) || !static_cast<CourseWindows*>(self)->m_hooks.keepOut(uri)) return;
    webkit_web_view_stop_loading(view);
    OnClose(view, self);
}

gboolean CourseWindows::OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                       gpointer self) {
    const char* uri = WebKitPage::GuardedNavigation(decision, type);
    if (!uri || IsEmptyPage(uri) || !static_cast<CourseWindows*>(self)->m_hooks.keepOut(uri)) return FALSE;
    webkit_policy_decision_ignore(decision);
    return TRUE;
}

}  // namespace dorv
