#include "platform/system/GlibTimers.h"

namespace dorv {
namespace {

// A repeating tick driven by its ready time alone. The next tick is set
// before the handler runs, so a nested main loop inside the handler (a modal
// message box) sees a tick again only when a whole period has passed, never
// the same tick twice; and the ticks keep their cadence instead of drifting
// by the time each handler takes.
struct TickSource {
    GSource source;
    GlibTimers* owner;
    unsigned id;
    gint64 periodUs;
    gint64 dueUs;
};

}  // namespace

GlibTimers::~GlibTimers() {
    for (auto& [id, source] : m_timers) {
        g_source_destroy(source);
        g_source_unref(source);
    }
    while (!m_posted.empty()) g_source_remove(m_posted.begin()->second);
}

gboolean GlibTimers::DispatchTick(GSource* source, GSourceFunc, gpointer) {
    auto* tick = reinterpret_cast<TickSource*>(source);
    gint64 now = g_get_monotonic_time();
    tick->dueUs += tick->periodUs;
    // Late by a period or more (a long page call): the next tick is one
    // period from now, and the ticks missed meanwhile are not made up.
    if (tick->dueUs <= now) tick->dueUs = now + tick->periodUs;
    g_source_set_ready_time(source, tick->dueUs);
    if (tick->owner->m_handler) tick->owner->m_handler(tick->id);
    return G_SOURCE_CONTINUE;
}

void GlibTimers::SetTimer(unsigned id, unsigned periodMs) {
    static GSourceFuncs funcs = {nullptr, nullptr, DispatchTick, nullptr, nullptr, nullptr};
    KillTimer(id);
    GSource* source = g_source_new(&funcs, sizeof(TickSource));
    auto* tick = reinterpret_cast<TickSource*>(source);
    tick->owner = this;
    tick->id = id;
    tick->periodUs = gint64{periodMs} * 1000;
    tick->dueUs = g_get_monotonic_time() + tick->periodUs;
    g_source_set_ready_time(source, tick->dueUs);
    g_source_set_name(source, "dorv tick");
    // A modal message box opened by a tick's work runs a nested loop in
    // which later ticks are delivered, as window timers are.
    g_source_set_can_recurse(source, TRUE);
    g_source_attach(source, nullptr);
    m_timers[id] = source;
}

void GlibTimers::KillTimer(unsigned id) {
    auto it = m_timers.find(id);
    if (it == m_timers.end()) return;
    g_source_destroy(it->second);
    g_source_unref(it->second);
    m_timers.erase(it);
}

void GlibTimers::Post(std::function<void()> task) {
    auto* posted = new Posted{this, std::move(task)};
    m_posted[posted] = g_idle_add_full(G_PRIORITY_DEFAULT, OnPosted, posted, ForgetPosted);
}

gboolean GlibTimers::OnPosted(gpointer data) {
    static_cast<Posted*>(data)->task();
    return G_SOURCE_REMOVE;
}

void GlibTimers::ForgetPosted(gpointer data) {
    auto* posted = static_cast<Posted*>(data);
    posted->owner->m_posted.erase(posted);
    delete posted;
}

}  // namespace dorv
