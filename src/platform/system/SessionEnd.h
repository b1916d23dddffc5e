// The end of the session, one path with one deadline: at shut-down and
// reboot (logind's PrepareForShutdown, held off by a delay inhibitor while a
// course runs), at log-out (the desktop's session manager, GNOME's
// protocol), and at the signals that end a program (SIGTERM when the session
// ends, SIGHUP when the terminal goes, SIGINT for Ctrl+C; handled from the
// main loop, never inside a signal handler). Each closes the course as
// "ForceQuit:" does and then lets the end go on; whatever holds the close up,
// the end goes on after the deadline, and after a signal the program is gone
// by then; a second signal ends it at once. Without the services (no system
// or session bus, no session manager) only the signals are heard.
#pragma once

#include <gio/gio.h>

#include <functional>
#include <string>
#include <vector>

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
    // Within 2 s of the first word of the end: the rest of the close
    // sequence has 1.5 s after the data is saved.
    static constexpr guint kDeadlineMs = 1900;
    struct Caught {
        SessionEnd* owner;
        int signum;
    };

    static void OnSystemBus(GObject*, GAsyncResult* result, gpointer self);
    static void OnInhibited(GObject* bus, GAsyncResult* result, gpointer self);
    static void OnPrepareForShutdown(GDBusConnection*, const char*, const char*, const char*, const char*,
                                     GVariant* parameters, gpointer self);
    static void OnSessionBus(GObject*, GAsyncResult* result, gpointer self);
    static void OnRegistered(GObject* bus, GAsyncResult* result, gpointer self);
    static void OnClientSignal(GDBusConnection*, const char*, const char*, const char*, const char* signal,
                               GVariant* parameters, gpointer self);
    static gboolean OnSignal(gpointer caught);
    void Begin(const char* why);
    void OnDeadline();
    [[noreturn]] static void EndNow(int status);
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
    std::vector<guint> m_signalSources;
    bool m_bSignalled = false;  // a signal came: the program ends at the deadline
};

}  // namespace dorv
