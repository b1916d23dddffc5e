// Tells when media or shares are mounted or unmounted: the desktop's volume
// monitor for sticks and discs, the mount table for everything else (a
// school's share mounted after the window opened). Several changes that come
// together are told once.
#pragma once

#include <gio/gio.h>
#include <gio/gunixmounts.h>

#include <functional>

namespace dorv {

class MountWatch {
public:
    explicit MountWatch(std::function<void()> changed);
    ~MountWatch();
    MountWatch(const MountWatch&) = delete;
    MountWatch& operator=(const MountWatch&) = delete;

private:
    static void OnChange(gpointer self);
    static gboolean Tell(gpointer self);

    std::function<void()> m_changed;
    GVolumeMonitor* m_volumes;
    GUnixMountMonitor* m_mounts;
    guint m_source = 0;
};

}  // namespace dorv
