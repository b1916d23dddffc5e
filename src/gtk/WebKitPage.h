// The course's page in a WebKitGTK web view.
#pragma once

#include <webkit/webkit.h>

#include "bridge/Page.h"

namespace dorv {

class WebKitPage : public IPage {
public:
    WebKitPage();
    ~WebKitPage() override;

    GtkWidget* Widget() const { return GTK_WIDGET(m_view); }

    void Navigate(const std::string& uri) override;

private:
    static void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self);
    static gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer self);

    WebKitWebView* m_view;
};

}  // namespace dorv
