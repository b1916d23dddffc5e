#include "platform/system/CourseProcesses.h"

#include <memory>

#include "common/Trace.h"

namespace dorv {

struct CourseProcesses::Child {
    CourseProcesses* owner;  // nullptr once the owner has gone
    std::string folder;
    GObjectPtr<GSubprocess> process;
};

namespace {

constexpr const char* kDeletedMark = " (deleted)";

// In the new process, between fork and exec: only async-signal-safe calls.
// The course process unblocks the signal once its handler is in place.
void BlockPresentSignal(gpointer) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, kFrontSignal);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
}

void OnProcessEnded(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<std::shared_ptr<CourseProcesses::Child>> child(
        static_cast<std::shared_ptr<CourseProcesses::Child>*>(data));
    GError* error = nullptr;
    if (!g_subprocess_wait_finish(G_SUBPROCESS(source), result, &error)) {
        // Cancelled: the library has ended and watches no more.
        g_error_free(error);
        return;
    }
    if ((*child)->owner) (*child)->owner->Ended((*child)->folder, G_SUBPROCESS(source));
}

}  // namespace

std::string OwnProgram() {
    gchar* target = g_file_read_link("/proc/self/exe", nullptr);
    if (!target) return {};
    std::string program = target;
    g_free(target);
    // Replaced by an update while the library runs: the new program has the
    // same name.
    if (program.ends_with(kDeletedMark)) program.resize(program.size() - std::char_traits<char>::length(kDeletedMark));
    return g_file_test(program.c_str(), G_FILE_TEST_IS_EXECUTABLE) ? program : std::string();
}

CourseProcesses::CourseProcesses(std::string workingFolder, std::function<void(const std::string&)> changed)
    : m_workingFolder(std::move(workingFolder)), m_changed(std::move(changed)), m_cancel(g_cancellable_new()) {}

CourseProcesses::~CourseProcesses() {
    for (auto& [folder, child] : m_running) child->owner = nullptr;
    g_cancellable_cancel(m_cancel.get());
}

bool CourseProcesses::Start(const std::string& folder, std::string& error) {
    std::string program = OwnProgram();
    if (program.empty()) {
        error = "the program's own file cannot be found";
        return false;
    }
    GSubprocessLauncher* launcher = g_subprocess_launcher_new(G_SUBPROCESS_FLAGS_NONE);
    if (!m_workingFolder.empty()) g_subprocess_launcher_set_cwd(launcher, m_workingFolder.c_str());
    // The library's own start-up notification is used up.
    g_subprocess_launcher_unsetenv(launcher, "DESKTOP_STARTUP_ID");
    g_subprocess_launcher_unsetenv(launcher, "XDG_ACTIVATION_TOKEN");
    g_subprocess_launcher_set_child_setup(launcher, BlockPresentSignal, nullptr, nullptr);
    const gchar* argv[] = {program.c_str(), folder.c_str(), nullptr};
    GError* spawnError = nullptr;
    GSubprocess* process = g_subprocess_launcher_spawnv(launcher, argv, &spawnError);
    g_object_unref(launcher);
    if (!process) {
        error = spawnError->message;
        g_error_free(spawnError);
        return false;
    }
    const char* pid = g_subprocess_get_identifier(process);
    Trace("library: started %s (pid %s)", folder.c_str(), pid ? pid : "?");
    auto child = std::make_shared<Child>(Child{this, folder, GObjectPtr<GSubprocess>(process)});
    m_running[folder] = child;
    g_subprocess_wait_async(process, m_cancel.get(), OnProcessEnded, new std::shared_ptr<Child>(child));
    return true;
}

bool CourseProcesses::IsRunning(const std::string& folder) const { return m_running.count(folder) != 0; }

bool CourseProcesses::Present(const std::string& folder) {
    auto it = m_running.find(folder);
    if (it == m_running.end()) return false;
    g_subprocess_send_signal(it->second->process.get(), kFrontSignal);
    return true;
}

void CourseProcesses::Ended(const std::string& folder, GSubprocess* process) {
    if (g_subprocess_get_if_signaled(process)) {
        Trace("library: %s ended by signal %d", folder.c_str(), g_subprocess_get_term_sig(process));
    } else {
        Trace("library: %s ended (exit status %d)", folder.c_str(), g_subprocess_get_exit_status(process));
    }
    auto it = m_running.find(folder);
    if (it != m_running.end() && it->second->process.get() == process) m_running.erase(it);
    if (m_changed) m_changed(folder);
}

}  // namespace dorv
