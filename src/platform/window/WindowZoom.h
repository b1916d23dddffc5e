// Ctrl+plus, Ctrl+minus and Ctrl+0 scale the main window in the zoom steps.
// The page keeps its 800 x 600 layout in page pixels: the engine draws it
// larger (its zoom level) in a page area as much larger, and the window grows
// with it; the menu bar's text and spacing, and the recording mark, grow
// alike. The keys are the window's: neither their presses nor their releases
// reach the page. A Ctrl press or release alone is left alone.
#pragma once

#include <gtk/gtk.h>
#include <webkit/webkit.h>

#include <optional>
#include <utility>
#include <vector>

#include "app/ZoomSteps.h"
#include "platform/system/GObjectPtr.h"

namespace dorv {

class WindowZoom {
public:
    // Takes the keys on `window`, whose page area holds `page` alone, and
    // shows both at `percent` (a zoom step).
    WindowZoom(GtkWindow* window, WebKitWebView* page, int percent);
    ~WindowZoom();
    WindowZoom(const WindowZoom&) = delete;
    WindowZoom& operator=(const WindowZoom&) = delete;

private:
    static gboolean OnEvent(GtkEventControllerLegacy*, GdkEvent* event, gpointer self);
    std::optional<zoom::Command> CommandOf(GdkEvent* press) const;
    bool TakePress(GdkEvent* press);
    bool TakeRelease(GdkEvent* release);
    void Set(int percent);
    static void OnAfterPaint(gpointer self);
    void SizePage();

    GtkWindow* m_window;
    WebKitWebView* m_page;
    GtkEventController* m_controller;  // owned by the window
    GObjectPtr<GtkCssProvider> m_css;
    std::vector<std::pair<guint, zoom::Command>> m_keys;  // key values and what they do
    std::vector<guint> m_down;                            // key codes whose press was taken: their release is taken too
    GObjectPtr<GdkFrameClock> m_clock;                    // while the page area waits for the next frame
    gulong m_afterPaint = 0;
    int m_percent = zoom::kNormal;
};

}  // namespace dorv
