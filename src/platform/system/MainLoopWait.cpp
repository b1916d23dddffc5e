#include "platform/system/MainLoopWait.h"

#include <glib.h>

namespace dorv {
namespace {

constexpr guint kTickMs = 100;

}  // namespace

bool WaitInMainLoop(const std::function<bool()>& done, unsigned deadlineMs, const std::function<bool()>& paused) {
    if (done()) return true;
    guint ticker = deadlineMs ? g_timeout_add(
                                    kTickMs, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr)
                              : 0;
    gint64 budgetUs = gint64{deadlineMs} * 1000;
    gint64 last = g_get_monotonic_time();
    bool finished = false;
    while (!(finished = done())) {
        g_main_context_iteration(nullptr, TRUE);
        if (!deadlineMs) continue;
        gint64 now = g_get_monotonic_time();
        if (!paused || !paused()) budgetUs -= now - last;
        last = now;
        if (budgetUs <= 0) {
            finished = done();
            break;
        }
    }
    if (ticker) g_source_remove(ticker);
    return finished;
}

}  // namespace dorv
