#include "platform/system/SessionEnd.h"

#include <gio/gunixfdlist.h>
#include <glib-unix.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "common/Trace.h"

namespace dorv {
namespace {

constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kLogindPath = "/org/freedesktop/login1";
constexpr const char* kLogindManager = "org.freedesktop.login1.Manager";
constexpr const char* kSessionManager = "org.gnome.SessionManager";
constexpr const char* kSessionManagerPath = "/org/gnome/SessionManager";
constexpr const char* kClientPrivate = "org.gnome.SessionManager.ClientPrivate";

}  // namespace

SessionEnd::SessionEnd(std::function<void()> close, std::function<bool()> saved)
    : m_close(std::move(close)), m_saved(std::move(saved)), m_cancellable(g_cancellable_new()) {
    g_bus_get(G_BUS_TYPE_SYSTEM, m_cancellable, OnSystemBus, this);
    g_bus_get(G_BUS_TYPE_SESSION, m_cancellable, OnSessionBus, this);
    for (int signum : {SIGTERM, SIGHUP, SIGINT}) {
        m_signalSources.push_back(g_unix_signal_add_full(G_PRIORITY_HIGH, signum, OnSignal, new Caught{this, signum},
                                                         [](gpointer data) { delete static_cast<Caught*>(data); }));
    }
}

SessionEnd::~SessionEnd() {
    for (guint source : m_signalSources) g_source_remove(source);
    g_cancellable_cancel(m_cancellable);
    g_object_unref(m_cancellable);
    if (m_deadline) g_source_remove(m_deadline);
    ReleaseInhibitor();
    if (m_system) {
        if (m_shutdownSignal) g_dbus_connection_signal_unsubscribe(m_system, m_shutdownSignal);
        g_object_unref(m_system);
    }
    if (m_session) {
        if (m_clientSignal) g_dbus_connection_signal_unsubscribe(m_session, m_clientSignal);
        g_object_unref(m_session);
    }
}

// Shut-down and reboot: a delay inhibitor while the course runs, and the
// signal that the shut-down is about to begin.
void SessionEnd::OnSystemBus(GObject*, GAsyncResult* result, gpointer data) {
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_finish(result, &error);
    if (!bus) {
        if (!g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
            Trace("no system bus (%s): a shut-down is not heard of before the signal", error->message);
        }
        g_error_free(error);
        return;
    }
    auto* self = static_cast<SessionEnd*>(data);
    self->m_system = bus;
    self->m_shutdownSignal =
        g_dbus_connection_signal_subscribe(bus, kLogind, kLogindManager, "PrepareForShutdown", kLogindPath, nullptr,
                                           G_DBUS_SIGNAL_FLAGS_NONE, OnPrepareForShutdown, self, nullptr);
    g_dbus_connection_call_with_unix_fd_list(
        bus, kLogind, kLogindPath, kLogindManager, "Inhibit",
        g_variant_new("(ssss)", "shutdown", "DORV", "The learner's position and history are saved first", "delay"),
        G_VARIANT_TYPE("(h)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, self->m_cancellable, OnInhibited, self);
}

void SessionEnd::OnInhibited(GObject* bus, GAsyncResult* result, gpointer data) {
    GError* error = nullptr;
    GUnixFDList* fds = nullptr;
    GVariant* reply = g_dbus_connection_call_with_unix_fd_list_finish(G_DBUS_CONNECTION(bus), &fds, result, &error);
    if (!reply) {
        if (!g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
            Trace("no shut-down inhibitor (%s)", error->message);
        }
        g_error_free(error);
        return;
    }
    auto* self = static_cast<SessionEnd*>(data);
    gint32 index = -1;
    g_variant_get(reply, "(h)", &index);
    g_variant_unref(reply);
    int fd = fds ? g_unix_fd_list_get(fds, index, nullptr) : -1;
    if (fds) g_object_unref(fds);
    if (fd < 0) return;
    // Taken while the course had already saved (a close under way): let go.
    if (self->m_saved()) {
        close(fd);
        return;
    }
    self->m_inhibitor = fd;
    Trace("shut-down inhibitor taken");
}

void SessionEnd::OnPrepareForShutdown(GDBusConnection*, const char*, const char*, const char*, const char*,
                                      GVariant* parameters, gpointer data) {
    gboolean starting = FALSE;
    g_variant_get(parameters, "(b)", &starting);
    if (starting) static_cast<SessionEnd*>(data)->Begin("the system shuts down");
}

// Log-out: the course registers with the session manager, which asks
// whether the session may end and then tells it to end.
void SessionEnd::OnSessionBus(GObject*, GAsyncResult* result, gpointer data) {
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_finish(result, &error);
    if (!bus) {
        if (!g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
            Trace("no session bus (%s): a log-out is not heard of before the signal", error->message);
        }
        g_error_free(error);
        return;
    }
    auto* self = static_cast<SessionEnd*>(data);
    self->m_session = bus;
    const char* startup = g_getenv("DESKTOP_AUTOSTART_ID");
    g_dbus_connection_call(bus, kSessionManager, kSessionManagerPath, kSessionManager, "RegisterClient",
                           g_variant_new("(ss)", "dorv", startup ? startup : ""), G_VARIANT_TYPE("(o)"),
                           G_DBUS_CALL_FLAGS_NO_AUTO_START, -1, self->m_cancellable, OnRegistered, self);
}

void SessionEnd::OnRegistered(GObject* bus, GAsyncResult* result, gpointer data) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, &error);
    if (!reply) {
        if (!g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
            Trace("no session manager (%s)", error->message);
        }
        g_error_free(error);
        return;
    }
    auto* self = static_cast<SessionEnd*>(data);
    const char* path = nullptr;
    g_variant_get(reply, "(&o)", &path);
    self->m_clientPath = path;
    g_variant_unref(reply);
    self->m_clientSignal = g_dbus_connection_signal_subscribe(self->m_session, kSessionManager, kClientPrivate, nullptr,
                                                              self->m_clientPath.c_str(), nullptr,
                                                              G_DBUS_SIGNAL_FLAGS_NONE, OnClientSignal, self, nullptr);
    Trace("registered with the session manager as %s", self->m_clientPath.c_str());
}

void SessionEnd::OnClientSignal(GDBusConnection* bus, const char*, const char*, const char*, const char* signal,
                                GVariant*, gpointer data) {
    auto* self = static_cast<SessionEnd*>(data);
    if (g_strcmp0(signal, "QueryEndSession") == 0) {
        // Nothing holds the session: the data is saved when it ends.
        g_dbus_connection_call(bus, kSessionManager, self->m_clientPath.c_str(), kClientPrivate, "EndSessionResponse",
                               g_variant_new("(bs)", TRUE, ""), nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr,
                               nullptr);
    } else if (g_strcmp0(signal, "EndSession") == 0) {
        self->m_bEndSessionDue = true;
        self->Begin("the session ends");
    } else if (g_strcmp0(signal, "Stop") == 0) {
        self->Begin("the session manager stops the program");
    }
}

gboolean SessionEnd::OnSignal(gpointer data) {
    auto* caught = static_cast<Caught*>(data);
    SessionEnd& self = *caught->owner;
    if (self.m_bSignalled) EndNow(128 + caught->signum);
    Trace("signal %d: closing", caught->signum);
    self.m_bSignalled = true;
    self.Begin("a signal ends the program");
    return G_SOURCE_CONTINUE;
}

void SessionEnd::Begin(const char* why) {
    Trace("%s: closing the course", why);
    if (!m_deadline) {
        m_deadline = g_timeout_add(
            kDeadlineMs,
            [](gpointer data) -> gboolean {
                auto* self = static_cast<SessionEnd*>(data);
                self->m_deadline = 0;
                self->OnDeadline();
                return G_SOURCE_REMOVE;
            },
            this);
    }
    if (m_saved()) return OnSaved();
    m_close();
}

// Whatever holds the close up, the end goes on; after a signal the program
// ends here, saved or not.
void SessionEnd::OnDeadline() {
    OnSaved();
    if (m_bSignalled) EndNow(0);
}

void SessionEnd::EndNow(int status) {
    std::fflush(nullptr);
    _exit(status);
}

void SessionEnd::OnSaved() {
    // After a signal the deadline still ends the program, should the rest of
    // the close sequence hang.
    if (m_deadline && !m_bSignalled) {
        g_source_remove(m_deadline);
        m_deadline = 0;
    }
    ReleaseInhibitor();
    AnswerEndSession();
}

void SessionEnd::ReleaseInhibitor() {
    if (m_inhibitor < 0) return;
    close(m_inhibitor);
    m_inhibitor = -1;
    Trace("shut-down inhibitor released");
}

void SessionEnd::AnswerEndSession() {
    if (!m_bEndSessionDue || !m_session) return;
    m_bEndSessionDue = false;
    g_dbus_connection_call(m_session, kSessionManager, m_clientPath.c_str(), kClientPrivate, "EndSessionResponse",
                           g_variant_new("(bs)", TRUE, ""), nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr,
                           nullptr);
    Trace("session manager told: the course has ended");
}

}  // namespace dorv
