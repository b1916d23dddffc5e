// Watches the Ctrl key after it told the page "SetDebugMode" "3", until its
// release has reached the page or the page has been told "0" otherwise: a
// release that a dialog, a menu or another window took is noticed from the
// keyboard's state.
#pragma once

#include <gtk/gtk.h>

#include <functional>

namespace dorv {

class DebugKeyWatch {
public:
    // `down`: the page still waits for the release. `lifted`: tells the page;
    // false when it cannot be told now (tried again later).
    DebugKeyWatch(std::function<bool()> down, std::function<bool()> lifted);
    ~DebugKeyWatch();
    DebugKeyWatch(const DebugKeyWatch&) = delete;
    DebugKeyWatch& operator=(const DebugKeyWatch&) = delete;

    // Starts watching, if not yet.
    void Start();

private:
    static constexpr guint kPeriodMs = 100;
    static gboolean OnTick(gpointer self);

    std::function<bool()> m_down;
    std::function<bool()> m_lifted;
    guint m_source = 0;
    int m_releasedTicks = 0;
};

}  // namespace dorv
