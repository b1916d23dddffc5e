// Hands every key press and release and every left-button press meant for
// the page to a filter before the page sees it; what the filter consumes
// never reaches the page.
#pragma once

#include <gtk/gtk.h>

#include <functional>

#include "bridge/DorvView.h"

namespace dorv {

class GtkInputFilter {
public:
    using Filter = std::function<bool(const PageInput&)>;

    // Controllers in the capture phase on `window`, for input aimed at `page`.
    GtkInputFilter(GtkWindow* window, GtkWidget* page, Filter filter);

private:
    static gboolean OnKeyPressed(GtkEventControllerKey*, guint keyval, guint keycode, GdkModifierType, gpointer self);
    static void OnKeyReleased(GtkEventControllerKey*, guint keyval, guint keycode, GdkModifierType, gpointer self);
    static void OnPressed(GtkGestureClick* gesture, int presses, double x, double y, gpointer self);
    bool PageHasFocus() const;
    bool IsRepeatOfSeenEvent(GtkEventController* controller);

    GtkWindow* m_window;
    GtkWidget* m_page;
    Filter m_filter;
    // The key event last filtered: the engine hands keys that the page did
    // not use back to the window, where they would be seen a second time.
    guint32 m_lastTime = 0;
    guint m_lastKeycode = 0;
    GdkEventType m_lastType = GDK_KEY_PRESS;
};

}  // namespace dorv
