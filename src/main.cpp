// Entry point: command line, start-up checks, then the window and the page.
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/DorvApp.h"
#include "app/MainFrame.h"
#include "bridge/DorvView.h"
#include "check/CourseCheck.h"
#include "common/DialogTexts.h"
#include "common/Trace.h"
#include "library/CourseLibrary.h"
#include "library/LibraryTexts.h"
#include "platform/engine/CourseEngine.h"
#include "platform/engine/CourseWindows.h"
#include "platform/engine/PageDialogs.h"
#include "platform/engine/PagePermissions.h"
#include "platform/engine/WebKitPage.h"
#include "platform/system/CourseFonts.h"
#include "platform/system/CourseProcesses.h"
#include "platform/system/GioDriveList.h"
#include "platform/system/GlibTimers.h"
#include "platform/system/LibraryWork.h"
#include "platform/system/MountWatch.h"
#include "platform/system/PosixFileStore.h"
#include "platform/system/SessionEnd.h"
#include "platform/system/SoupUrlFetcher.h"
#include "platform/system/TimedFileStore.h"
#include "platform/system/UserLanguages.h"
#include "platform/window/DebugKeyWatch.h"
#include "platform/window/GtkDialogs.h"
#include "platform/window/GtkInputFilter.h"
#include "platform/window/GtkMainWindow.h"
#include "platform/window/GtkMessageBox.h"
#include "platform/window/GtkModalDialog.h"
#include "platform/window/LibraryWindow.h"
#include "platform/window/RecordsWindow.h"
#include "platform/window/WindowZoom.h"
#include "records/RecordsCommand.h"

extern "C" void dorv_register_resource();

namespace {

constexpr const char* kLogDomain = "dorv";

void TraceToGLib(const std::string& line) { g_log(kLogDomain, G_LOG_LEVEL_DEBUG, "%s", line.c_str()); }

// Traces go through GLib's logging; G_MESSAGES_DEBUG=dorv shows them.
void InstallTrace() {
    if (!g_log_writer_default_would_drop(G_LOG_LEVEL_DEBUG, kLogDomain)) dorv::SetTraceSink(TraceToGLib);
}

// The course's window while it exists: the course library asks for it to
// come to the front with a signal (kFrontSignal).
dorv::GtkMainWindow* g_frontWindow = nullptr;

gboolean OnFrontSignal(gpointer) {
    if (g_frontWindow) {
        g_frontWindow->Present();
        dorv::Trace("front signal: window brought to the front");
    } else {
        dorv::Trace("front signal before the window: it comes to the front when it is shown");
    }
    return G_SOURCE_CONTINUE;
}

// The course library starts a course with the front signal blocked, so that
// a request that comes early waits instead of ending the course: it is
// handled from here on.
void HandleFrontSignal() {
    g_unix_signal_add(dorv::kFrontSignal, OnFrontSignal, nullptr);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, dorv::kFrontSignal);
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

// The view and the frame need each other: the view tells the frame the
// course's texts and brings it close requests, and the frame's close gate
// runs the view's close sequence. The view only keeps the frame's address
// while both are built.
struct Shell {
    Shell(const dorv::CDORVApp& app, dorv::GtkMainWindow& window, dorv::CDORVView::Services services)
        : view(app, frame, services), frame(window, view) {}
    dorv::CDORVView view;
    dorv::CMainFrame frame;
};

// Drive letters and network paths of DORV.ini: the drive letters of the
// learner data (built when first asked for), and the shares mounted.
class LocationPlaces : public dorv::ILocationPlaces {
public:
    explicit LocationPlaces(const dorv::CDORVApp& app) : m_app(app) {}
    std::string DriveRoot(char letter) override {
        if (!m_drives) m_drives.emplace(m_app.m_configuredDrives);
        dorv::DrivePlace place = m_drives->Find(letter);
        return place.type == dorv::DriveType::None ? std::string() : place.root;
    }
    std::string ShareRoot(const std::string& server, const std::string& share) override {
        return dorv::FindMountedShare(server, share);
    }

private:
    const dorv::CDORVApp& m_app;
    std::optional<dorv::GioDriveList> m_drives;
};

// dorv --check: the courses read as the program reads them, with the same
// places for drive letters and network paths, reported on standard output.
// No display is opened and nothing is written.
int RunCheck(const dorv::CommandLine& line) {
    dorv::SoupUrlFetcher fetcher;
    dorv::CheckServices services{
        .places = [](const dorv::CDORVApp& app) -> std::unique_ptr<dorv::ILocationPlaces> {
            return std::make_unique<LocationPlaces>(app);
        },
        .fetcher = &fetcher,
    };
    return dorv::RunCourseCheck(line.folders, line.json, services, stdout);
}

// The application icon, built into the program in fixed sizes, joins the
// icon theme before the first window: every window carries it from its
// first frame.
void InstallIcon() {
    gtk_icon_theme_add_resource_path(gtk_icon_theme_get_for_display(gdk_display_get_default()), "/org/dorv/Dorv/icons");
    gtk_window_set_default_icon_name("dorv");
}

int RunCourse() {
    // The name the desktop knows the program by, however it was started.
    g_set_prgname("dorv");
    // A file-size limit makes a write fail (and the learner is told), rather
    // than end the program with the data of this run.
    std::signal(SIGXFSZ, SIG_IGN);
    InstallTrace();
    dorv::Trace("DORV starting");
    dorv_register_resource();
    // Before GTK and the engine read the font configuration.
    std::string fontsFolder = dorv::InstallCourseFonts();
    if (!gtk_init_check()) {
        const char* display = g_getenv("DISPLAY");
        std::fprintf(stderr, "dorv: cannot open the display%s%s\n", display ? " " : "", display ? display : "");
        return 1;
    }

    InstallIcon();
    dorv::GtkMessageBox messages;
    dorv::CDORVApp app(messages);
    LocationPlaces places(app);
    app.SetLocationPlaces(&places);
    if (!app.InitInstance()) {
        app.ExitInstance();
        return 1;
    }

    // The page's engine starts first: its web process launches while the
    // window is built and drawn.
    dorv::CCoursePages coursePages(app.m_strMain, app.m_strCourseFolder);
    std::string courseLocation = coursePages.IsOnDisk() ? app.m_strCourseFolder : app.m_strMain;
    dorv::CourseEngine engine(coursePages, {.storageName = dorv::CourseEngine::StorageNameFor(courseLocation),
                                            .legacyScript = app.m_bLegacyScript,
                                            .sandboxReadable = fontsFolder,
                                            .pollFunction = dorv::CDORVView::kPollFunction});
    dorv::PagePermissions permissions(coursePages);
    dorv::WebKitPage page(engine.CreateView());
    permissions.Watch(page.View());
    page.SetCallDeadline(dorv::CDORVView::kPageCallDeadlineMs);
    dorv::CNavigationPolicy navigation(coursePages);
    page.SetNavigationPolicy(&navigation);
    page.SetArrivalListener([&](const std::string& uri) { coursePages.AcceptMainPageArrival(uri); });
    dorv::GlibTimers timers;
    dorv::SoupUrlFetcher fetcher;
    dorv::TimedFileStore files(std::make_shared<dorv::PosixFileStore>());
    dorv::GioDriveList drives(app.m_configuredDrives);
    dorv::GtkMainWindow window(page.Widget());
    dorv::WindowZoom zoom(window.Window(), page.View(), app.m_nZoomPercent);
    dorv::GtkQuitDialog quit(window.Window());
    dorv::GtkAboutBox about(window.Window());
    Shell shell(app, window, {page, timers, messages, files, drives, quit, &fetcher, &coursePages});
    dorv::CDORVView& view = shell.view;
    files.SetWaitHooks([&] { view.BeginFileWait(); }, [&] { view.EndFileWait(); });
    permissions.SetRecordingListener([&](bool recording) { window.ShowRecording(recording); });
    // The page's alert, confirm and prompt carry the caption the window has.
    dorv::PageDialogs pageDialogs([&] { return shell.frame.GetCaption(); });
    pageDialogs.Watch(page.View());
    dorv::CourseWindows courseWindows(engine, window.Window(),
                                      {.keepOut = [&](const char* uri) { return page.KeepOut(uri); },
                                       .adopt =
                                           [&](WebKitWebView* child) {
                                               permissions.Watch(child);
                                               pageDialogs.Watch(child);
                                           }});
    courseWindows.Watch(page.View());
    // The main page's window.close() is a close request like "Quit:".
    engine.SetMessageHandler([&](const std::string& message) {
        if (message == "close") view.PostCloseRequest();
    });
    g_signal_connect(page.View(), "close", G_CALLBACK(+[](WebKitWebView*, gpointer data) {
                         static_cast<dorv::CDORVView*>(data)->PostCloseRequest();
                     }),
                     &view);
    timers.SetHandler([&](unsigned id) { view.OnTimer(id); });
    page.SetListener(&view);
    view.OnInitialUpdate();

    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    window.Connect({
        .close = [&] { view.PostCloseRequest(); },
        .about = [&] { app.OnAppAbout(shell.frame, about); },
        .destroyed = [&] { g_main_loop_quit(loop); },
    });
    dorv::DebugKeyWatch debugKey([&] { return view.IsDebugKeyDown(); }, [&] { return view.OnDebugKeyLifted(); });
    dorv::GtkInputFilter filter(
        window.Window(), page.Widget(),
        [&](const dorv::PageInput& input) {
            bool consumed = view.PreTranslateInput(input);
            if (view.IsDebugKeyDown()) debugKey.Start();
            return consumed;
        },
        [&] { return view.CanExamineInput(); });
    filter.SetComposing([&] { return page.IsComposing(); });
    messages.SetParent(window.Window());
    dorv::SessionEnd sessionEnd(
        [&] {
            dorv::DismissModalDialogs();
            view.EndSession();
        },
        [&] { return view.HasSaved(); });
    view.SetSavedListener([&] { sessionEnd.OnSaved(); });
    window.Present();
    g_frontWindow = &window;
    dorv::Trace("window shown");
    g_main_loop_run(loop);
    g_frontWindow = nullptr;
    g_main_loop_unref(loop);
    courseWindows.CloseAll();
    view.SetSavedListener(nullptr);
    files.SetWaitHooks(nullptr, nullptr);
    engine.SetMessageHandler(nullptr);
    page.SetListener(nullptr);
    timers.SetHandler(nullptr);
    messages.SetParent(nullptr);
    return app.ExitInstance();
}

// The start of the program's own windows: tracing, the built-in files, GTK
// on the display, the icon; false (said on standard error) without a display.
bool StartWindows(const char* what) {
    g_set_prgname("dorv");
    InstallTrace();
    dorv::Trace("%s starting", what);
    dorv_register_resource();
    if (!gtk_init_check()) {
        const char* display = g_getenv("DISPLAY");
        std::fprintf(stderr, "dorv: cannot open the display%s%s\n", display ? " " : "", display ? display : "");
        return false;
    }
    InstallIcon();
    return true;
}

// dorv --library: the courses of this computer, of the school's folders and
// of the media inserted, each checked as --check checks it, started in a
// process of its own.
int RunLibrary() {
    if (!StartWindows("library")) return 1;
    gchar* current = g_get_current_dir();
    std::string workingFolder = current;
    g_free(current);
    dorv::LibraryEnvironment env = dorv::LibraryEnvironment::FromProcess();
    dorv::LibrarySettings settings = dorv::ReadLibrarySettings(dorv::FindLibrarySettings(env));
    const bool records = settings.recordsEnabled;
    const std::string recordsPlace = settings.recordsPlace;

    dorv::GioDriveList drives({});
    dorv::LibraryWork work(env.home);
    dorv::CCourseLibrary* library = nullptr;
    dorv::CourseProcesses processes(workingFolder, [&](const std::string& folder) {
        if (library) library->OnRunningChanged(folder);
    });
    dorv::CCourseLibrary courses(env, std::move(settings), drives, work, processes);
    library = &courses;
    work.SetLibrary(&courses);

    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    dorv::LibraryWindow::Handlers handlers{.records = nullptr, .destroyed = [&] { g_main_loop_quit(loop); }};
    if (records) {
        handlers.records = [&](const std::string& folder) {
            dorv::Trace("library: class records asked for (course %s, place %s)",
                        folder.empty() ? "none" : folder.c_str(), recordsPlace.empty() ? "none" : recordsPlace.c_str());
            const dorv::CourseEntry* entry = courses.Find(folder);
            dorv::OpenRecordsWindow(nullptr, recordsPlace, nullptr, entry ? entry->fileTitle : std::string());
        };
    }
    dorv::LibraryWindow window(courses, dorv::CLibraryTexts(dorv::PrefersJapanese(dorv::UserLanguages())), handlers);
    courses.SetView(&window);
    dorv::MountWatch mounts([&] { courses.Rebuild(true); });
    courses.Rebuild(false);
    window.Present();
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
    courses.SetView(nullptr);
    work.SetLibrary(nullptr);
    library = nullptr;
    return 0;
}

// The place whose records are read: the one given, else the one the
// machine-wide configuration names, else the user's documents folder (C:).
std::string RecordsPlaceOf(const dorv::CommandLine& line) {
    if (!line.folder.empty()) return line.folder;
    dorv::LibraryEnvironment env = dorv::LibraryEnvironment::FromProcess();
    std::string configured = dorv::ReadLibrarySettings(dorv::FindLibrarySettings(env)).recordsPlace;
    return configured.empty() ? "C:" : configured;
}

// dorv --records PLACE --export FOLDER: the class records of a place as CSV
// files, with no window and no display: GTK is never started here.
int RunRecordsExport(const dorv::CommandLine& line) {
    InstallTrace();
    dorv::GioDriveList drives({});
    return dorv::ExportPlaceRecords(RecordsPlaceOf(line), line.exportFolder,
                                    dorv::PrefersJapanese(dorv::UserLanguages()), stdout, stderr, &drives);
}

// dorv --records [PLACE]: the class records window.
int RunRecords(const dorv::CommandLine& line) {
    if (!line.exportFolder.empty()) return RunRecordsExport(line);
    if (!StartWindows("records")) return 1;
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    dorv::OpenRecordsWindow(nullptr, RecordsPlaceOf(line), [loop] { g_main_loop_quit(loop); });
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string program = "dorv";
    if (argc > 0) {
        gchar* base = g_path_get_basename(argv[0]);
        program = base;
        g_free(base);
    }
    dorv::CommandLine line = dorv::ParseCommandLine(args);
    switch (line.action) {
        case dorv::CommandLine::Action::Help:
            std::fputs(dorv::UsageText(program).c_str(), stdout);
            return 0;
        case dorv::CommandLine::Action::Version:
            std::fputs(dorv::VersionText().c_str(), stdout);
            return 0;
        case dorv::CommandLine::Action::UsageError:
            std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", program.c_str(), line.error.c_str(),
                         program.c_str());
            return 2;
        case dorv::CommandLine::Action::Check:
            return RunCheck(line);
        case dorv::CommandLine::Action::Library:
            return RunLibrary();
        case dorv::CommandLine::Action::Records:
            return RunRecords(line);
        case dorv::CommandLine::Action::Run:
            break;
    }
    HandleFrontSignal();
    if (!line.folder.empty()) {
        std::string error;
        if (!dorv::EnterCourseFolder(line.folder, error)) {
            std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", program.c_str(), error.c_str(),
                         program.c_str());
            return 2;
        }
    }
    return RunCourse();
}
