// The GLib tick: one handler call per period, also from a nested main loop.
#include "platform/system/GlibTimers.h"

#include <gtest/gtest.h>

#include <vector>

namespace dorv {
namespace {

// Runs the default main context for `ms` milliseconds.
void RunFor(unsigned ms) {
    bool done = false;
    g_timeout_add(
        ms, [](gpointer flag) { return *static_cast<bool*>(flag) = true, G_SOURCE_REMOVE; }, &done);
    while (!done) g_main_context_iteration(nullptr, TRUE);
}

TEST(GlibTimers, ATickComesOncePerPeriodEvenInsideANestedLoop) {
    GlibTimers timers;
    std::vector<gint64> ticks;
    bool nested = false;
    timers.SetHandler([&](unsigned id) {
        EXPECT_EQ(id, 7u);
        ticks.push_back(g_get_monotonic_time());
        // The first tick's work waits in a nested loop for 2.5 periods, as
        // a page call or a message box does.
        if (ticks.size() == 1) {
            nested = true;
            RunFor(125);
            nested = false;
        }
    });
    timers.SetTimer(7, 50);
    RunFor(330);
    timers.KillTimer(7);
    RunFor(120);
    // Due at 50, 100, 150, 200, 250, 300 ms: six ticks, never two close together.
    ASSERT_GE(ticks.size(), 5u);
    ASSERT_LE(ticks.size(), 6u);
    for (size_t i = 1; i < ticks.size(); ++i) EXPECT_GE(ticks[i] - ticks[i - 1], 35000) << "tick " << i;
}

TEST(GlibTimers, PostedWorkRunsInOrderAndDiesWithTheTimers) {
    std::vector<int> order;
    {
        GlibTimers timers;
        timers.Post([&] { order.push_back(1); });
        timers.Post([&] { order.push_back(2); });
        RunFor(20);
        timers.Post([&] { order.push_back(3); });
    }
    RunFor(20);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace dorv
