#include "platform/system/MountWatch.h"

#include "common/Trace.h"

namespace dorv {
namespace {

// A stick's mount comes as several signals; they are told together once
// this long after the first.
constexpr guint kSettleMs = 250;

}  // namespace

MountWatch::MountWatch(std::function<void()> changed)
    : m_changed(std::move(changed)), m_volumes(g_volume_monitor_get()), m_mounts(g_unix_mount_monitor_get()) {
    for (const char* signal : {"mount-added", "mount-removed", "mount-changed"}) {
        g_signal_connect_swapped(m_volumes, signal, G_CALLBACK(OnChange), this);
    }
    g_signal_connect_swapped(m_mounts, "mounts-changed", G_CALLBACK(OnChange), this);
}

MountWatch::~MountWatch() {
    if (m_source) g_source_remove(m_source);
    g_signal_handlers_disconnect_by_data(m_volumes, this);
    g_signal_handlers_disconnect_by_data(m_mounts, this);
    g_object_unref(m_mounts);
    g_object_unref(m_volumes);
}

void MountWatch::OnChange(gpointer self) {
    auto* watch = static_cast<MountWatch*>(self);
    if (!watch->m_source) watch->m_source = g_timeout_add(kSettleMs, Tell, self);
}

gboolean MountWatch::Tell(gpointer self) {
    auto* watch = static_cast<MountWatch*>(self);
    watch->m_source = 0;
    Trace("mounts changed");
    if (watch->m_changed) watch->m_changed();
    return G_SOURCE_REMOVE;
}

}  // namespace dorv
