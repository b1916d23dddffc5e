// The end of the desktop session heard before the program's processes are
// signalled: at shut-down and reboot (logind's PrepareForShutdown, held off
// by a delay inhibitor while a course runs) and at log-out (the desktop's
// session manager, GNOME's protocol). Either closes the course as
// "ForceQuit:" does and then lets the end go on. Without the services (no
// system or session bus, no session manager) nothing happens but a trace.
#pragma once

#include <gio/gio.h>

#include <functional>
#include <string>

namespace dorv {

class SessionEnd {
public:
    // `close` starts the forced close; `saved` says whether it has saved.
    SessionEnd(std::function<void()> close, std::function<bool()> saved);
    ~SessionEnd();
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;

    // The close sequence has saved: the session's end may go on.
    void OnSaved();

private:
    static constexpr guint kReleaseDeadlineMs = 2000;

    static void OnSystemBus(GObject*, GAsyncResult* result, gpointer self);
    static void OnInhibited(GObject* bus, GAsyncResult* result, gpointer self);
    static void OnPrepareForShutdown(GDBusConnection*, const char*, const char*, const char*, const char*,
                                     GVariant* parameters, gpointer self);
    static void OnSessionBus(GObject*, GAsyncResult* result, gpointer self);
    static void OnRegistered(GObject* bus, GAsyncResult* result, gpointer self);
    static void OnClientSignal(GDBusConnection*, const char*, const char*, const char*, const char* signal,
                               GVariant* parameters, gpointer self);
    void Begin(const char* why);
    void ReleaseInhibitor();
    void AnswerEndSession();

    std::function<void()> m_close;
    std::function<bool()> m_saved;
    GCancellable* m_cancellable;
    GDBusConnection* m_system = nullptr;
    GDBusConnection* m_session = nullptr;
    guint m_shutdownSignal = 0;
    guint m_clientSignal = 0;
    int m_inhibitor = -1;           // the delay inhibitor's descriptor, while held
    std::string m_clientPath;       // our client object at the session manager
    bool m_bEndSessionDue = false;  // the session manager waits for our answer
    guint m_deadline = 0;
};

}  // namespace dorv
