// Timers and posted work on the GLib main loop.
#pragma once

#include <glib.h>

#include <functional>
#include <map>

#include "common/Timers.h"

namespace dorv {

class GlibTimers : public ITimers {
public:
    using Handler = std::function<void(unsigned id)>;

    GlibTimers() = default;
    ~GlibTimers() override;
    GlibTimers(const GlibTimers&) = delete;
    GlibTimers& operator=(const GlibTimers&) = delete;

    void SetHandler(Handler handler) { m_handler = std::move(handler); }

    void SetTimer(unsigned id, unsigned periodMs) override;
    void KillTimer(unsigned id) override;
    void Post(std::function<void()> task) override;

private:
    struct Posted {
        GlibTimers* owner;
        std::function<void()> task;
    };
    static gboolean DispatchTick(GSource* source, GSourceFunc, gpointer);
    static gboolean OnPosted(gpointer data);
    static void ForgetPosted(gpointer data);

    Handler m_handler;
    std::map<unsigned, GSource*> m_timers;
    std::map<Posted*, guint> m_posted;  // pending posted work and its source
};

}  // namespace dorv
