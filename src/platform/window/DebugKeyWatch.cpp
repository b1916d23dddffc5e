#include "platform/window/DebugKeyWatch.h"

namespace dorv {
namespace {

bool IsControlHeld() {
    GdkDisplay* display = gdk_display_get_default();
    GdkSeat* seat = display ? gdk_display_get_default_seat(display) : nullptr;
    GdkDevice* keyboard = seat ? gdk_seat_get_keyboard(seat) : nullptr;
    return !keyboard || (gdk_device_get_modifier_state(keyboard) & GDK_CONTROL_MASK) != 0;
}

}  // namespace

DebugKeyWatch::DebugKeyWatch(std::function<bool()> down, std::function<bool()> lifted)
    : m_down(std::move(down)), m_lifted(std::move(lifted)) {}

DebugKeyWatch::~DebugKeyWatch() {
    if (m_source) g_source_remove(m_source);
}

void DebugKeyWatch::Start() {
    if (m_source) return;
    m_releasedTicks = 0;
    m_source = g_timeout_add(kPeriodMs, OnTick, this);
}

gboolean DebugKeyWatch::OnTick(gpointer self) {
    auto* watch = static_cast<DebugKeyWatch*>(self);
    if (!watch->m_down()) {
        watch->m_source = 0;
        return G_SOURCE_REMOVE;
    }
    // Released for two ticks: a release on its way to the page gets there
    // first and is told as usual.
    watch->m_releasedTicks = IsControlHeld() ? 0 : watch->m_releasedTicks + 1;
    if (watch->m_releasedTicks < 2 || !watch->m_lifted()) return G_SOURCE_CONTINUE;
    watch->m_source = 0;
    return G_SOURCE_REMOVE;
}

}  // namespace dorv
