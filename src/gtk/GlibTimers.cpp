#include "gtk/GlibTimers.h"

namespace dorv {

GlibTimers::~GlibTimers() {
    for (auto& [id, source] : m_timers) {
        g_source_destroy(source);
        g_source_unref(source);
    }
    while (!m_posted.empty()) g_source_remove(m_posted.begin()->second);
}

void GlibTimers::SetTimer(unsigned id, unsigned periodMs) {
    KillTimer(id);
    GSource* source = g_timeout_source_new(periodMs);
    // A modal message box opened by a tick's work runs a nested loop in
    // which further ticks are delivered, as window timers are.
    g_source_set_can_recurse(source, TRUE);
    g_source_set_callback(source, OnTick, new Tick{this, id}, [](gpointer data) { delete static_cast<Tick*>(data); });
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

gboolean GlibTimers::OnTick(gpointer data) {
    auto* tick = static_cast<Tick*>(data);
    if (tick->owner->m_handler) tick->owner->m_handler(tick->id);
    return G_SOURCE_CONTINUE;
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
