#include "gtk/WebKitPage.h"

#include "common/Trace.h"

namespace dorv {

WebKitPage::WebKitPage() : m_view(WEBKIT_WEB_VIEW(webkit_web_view_new())) {
    g_object_ref_sink(m_view);
    g_signal_connect(m_view, "load-changed", G_CALLBACK(OnLoadChanged), this);
    g_signal_connect(m_view, "load-failed", G_CALLBACK(OnLoadFailed), this);
}

WebKitPage::~WebKitPage() {
    g_signal_handlers_disconnect_by_data(m_view, this);
    g_object_unref(m_view);
}

void WebKitPage::Navigate(const std::string& uri) { webkit_web_view_load_uri(m_view, uri.c_str()); }

void WebKitPage::OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer) {
    if (event == WEBKIT_LOAD_FINISHED) {
        const char* uri = webkit_web_view_get_uri(view);
        Trace("page loaded: %s (page area %dx%d)", uri ? uri : "", gtk_widget_get_width(GTK_WIDGET(view)),
              gtk_widget_get_height(GTK_WIDGET(view)));
    }
}

gboolean WebKitPage::OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer) {
    Trace("page failed to load: %s: %s", uri ? uri : "", error ? error->message : "");
    return FALSE;  // the engine shows its own error page
}

}  // namespace dorv
