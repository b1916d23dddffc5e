// Hands every key press and release and every left-button press meant for
// the page to a filter before the page sees it; what the filter consumes
// never reaches the page.
//
// The filter asks the page, which takes a nested main loop. That loop is not
// run inside GTK's event dispatch, where further input would be dispatched
// to the page ahead of the event still being decided. Instead an examined
// event is held back and decided just after; input that arrives meanwhile is
// held behind it, and whatever the filter lets through is put back into the
// event queue in its original order.
#pragma once

#include <gtk/gtk.h>

#include <deque>
#include <functional>

#include "bridge/PageInput.h"

namespace dorv {

class GtkInputFilter {
public:
    using Filter = std::function<bool(const PageInput&)>;
    using Ready = std::function<bool()>;

    // A controller in the capture phase on `window`, for input aimed at
    // `page`. `ready` says whether the filter can be asked now; until it
    // can, examined input and all input behind it stay held.
    GtkInputFilter(GtkWindow* window, GtkWidget* page, Filter filter, Ready ready);
    ~GtkInputFilter();
    // Says whether an input method is composing (a pre-edit shows): the
    // Space and Escape keys then belong to it and are not examined.
    void SetComposing(std::function<bool()> composing) { m_composing = std::move(composing); }
    GtkInputFilter(const GtkInputFilter&) = delete;
    GtkInputFilter& operator=(const GtkInputFilter&) = delete;

private:
    static gboolean OnEvent(GtkEventControllerLegacy*, GdkEvent* event, gpointer self);
    static gboolean OnDecide(gpointer self);
    bool IsForPage(GdkEvent* event) const;
    bool WasDecided(GdkEvent* event) const;
    void Remember(GdkEvent* event);
    void Decide();
    bool IsForInputMethod(GdkEvent* event) const;

    GtkWindow* m_window;
    GtkWidget* m_page;
    Filter m_filter;
    Ready m_ready;
    std::function<bool()> m_composing;
    std::deque<GdkEvent*> m_forInputMethod;  // held keys that are not examined
    GtkEventController* m_controller;        // owned by the window
    std::deque<GdkEvent*> m_held;            // waiting for a decision, in order
    std::deque<GdkEvent*> m_decided;         // recently decided, to let through when seen again
    guint m_decideSource = 0;
    bool m_deciding = false;
};

}  // namespace dorv
