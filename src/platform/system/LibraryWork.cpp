#include "platform/system/LibraryWork.h"

#include <glib.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "library/CheckPlaces.h"
#include "library/CourseFinder.h"
#include "platform/system/GioDriveList.h"
#include "platform/system/SoupUrlFetcher.h"

namespace dorv {

// What the threads share with the main thread. `library` is only touched on
// the main thread; everything else under `lock`.
struct LibraryWork::Shared {
    CCourseLibrary* library = nullptr;
    std::string home;

    std::mutex lock;
    std::condition_variable changed;
    bool stopping = false;
    int threads = 0;  // threads that have not ended
    std::optional<std::vector<CoursePlace>> search;
    unsigned searchNumber = 0;  // of the newest search asked for
    std::deque<std::string> startUps;
    std::deque<CourseCheckReport> files;
    std::vector<DrivePlace> drives;
};

namespace {

using Shared = LibraryWork::Shared;

// The threads that read the courses' files at once.
constexpr unsigned kMaxFileReaders = 4;
// How long the end of the library waits for threads that are still busy.
constexpr auto kEndWait = std::chrono::seconds(1);

// Runs `work` with the library on the main thread, unless the library's
// work has ended by then.
void OnMainThread(const std::shared_ptr<Shared>& shared, std::function<void(CCourseLibrary&)> work) {
    struct Call {
        std::shared_ptr<Shared> shared;
        std::function<void(CCourseLibrary&)> work;
    };
    g_idle_add_full(
        G_PRIORITY_DEFAULT,
        [](gpointer data) -> gboolean {
            auto* call = static_cast<Call*>(data);
            if (call->shared->library) call->work(*call->shared->library);
            return G_SOURCE_REMOVE;
        },
        new Call{shared, std::move(work)}, [](gpointer data) { delete static_cast<Call*>(data); });
}

// The folder where a share is mounted, looked up on the main thread (the
// desktop's volume monitor is only for the main thread); "" once the
// library's work ends.
std::string ShareRootOnMainThread(const std::shared_ptr<Shared>& shared, const std::string& server,
                                  const std::string& share) {
    struct Answer {
        bool done = false;
        std::string root;
    };
    auto answer = std::make_shared<Answer>();
    OnMainThread(shared, [shared, answer, server, share](CCourseLibrary&) {
        std::string root = FindMountedShare(server, share);
        std::lock_guard<std::mutex> hold(shared->lock);
        answer->root = root;
        answer->done = true;
        shared->changed.notify_all();
    });
    std::unique_lock<std::mutex> hold(shared->lock);
    shared->changed.wait(hold, [&] { return answer->done || shared->stopping; });
    return answer->root;
}

void EndThread(const std::shared_ptr<Shared>& shared) {
    std::lock_guard<std::mutex> hold(shared->lock);
    --shared->threads;
    shared->changed.notify_all();
}

void SearchCourses(const std::shared_ptr<Shared>& shared) {
    for (;;) {
        std::vector<CoursePlace> places;
        unsigned number = 0;
        {
            std::unique_lock<std::mutex> hold(shared->lock);
            shared->changed.wait(hold, [&] { return shared->search || shared->stopping; });
            if (shared->stopping) break;
            places = std::move(*shared->search);
            shared->search.reset();
            number = shared->searchNumber;
        }
        std::vector<FoundCourse> found = FindCourses(places);
        OnMainThread(shared, [shared, number, found = std::move(found)](CCourseLibrary& library) {
            bool newest = false;
            {
                std::lock_guard<std::mutex> hold(shared->lock);
                newest = number == shared->searchNumber;
            }
            if (newest) library.OnFound(found);
        });
    }
    EndThread(shared);
}

void CheckStartUps(const std::shared_ptr<Shared>& shared) {
    // Made on this thread, which alone uses it.
    SoupUrlFetcher fetcher;
    for (;;) {
        std::string folder;
        std::vector<DrivePlace> drives;
        {
            std::unique_lock<std::mutex> hold(shared->lock);
            shared->changed.wait(hold, [&] { return !shared->startUps.empty() || shared->stopping; });
            if (shared->stopping) break;
            folder = std::move(shared->startUps.front());
            shared->startUps.pop_front();
            drives = shared->drives;
        }
        CheckServices services{
            .places = [&](const CDORVApp& app) -> std::unique_ptr<ILocationPlaces> {
                return std::make_unique<CCheckPlaces>(app, shared->home, drives,
                                                      [&](const std::string& server, const std::string& share) {
                                                          return ShareRootOnMainThread(shared, server, share);
                                                      });
            },
            .fetcher = &fetcher,
        };
        CourseCheckReport report = CheckCourseStartUp(folder, services);
        OnMainThread(shared, [report](CCourseLibrary& library) { library.OnStartUpChecked(report); });
        std::lock_guard<std::mutex> hold(shared->lock);
        shared->files.push_back(std::move(report));
        shared->changed.notify_all();
    }
    EndThread(shared);
}

void CheckFiles(const std::shared_ptr<Shared>& shared) {
    for (;;) {
        CourseCheckReport report;
        {
            std::unique_lock<std::mutex> hold(shared->lock);
            shared->changed.wait(hold, [&] { return !shared->files.empty() || shared->stopping; });
            if (shared->stopping) break;
            report = std::move(shared->files.front());
            shared->files.pop_front();
        }
        CheckCourseFiles(report);
        OnMainThread(shared, [report = std::move(report)](CCourseLibrary& library) { library.OnFilesChecked(report); });
    }
    EndThread(shared);
}

}  // namespace

LibraryWork::LibraryWork(std::string home) : m_shared(std::make_shared<Shared>()) {
    m_shared->home = std::move(home);
    unsigned readers = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxFileReaders);
    std::vector<std::function<void(const std::shared_ptr<Shared>&)>> bodies = {SearchCourses, CheckStartUps};
    bodies.insert(bodies.end(), readers, CheckFiles);
    m_shared->threads = static_cast<int>(bodies.size());
    for (auto& body : bodies) {
        // Each thread keeps the shared state alive for as long as it runs.
        std::thread([body, shared = m_shared] { body(shared); }).detach();
    }
}

LibraryWork::~LibraryWork() {
    m_shared->library = nullptr;
    std::unique_lock<std::mutex> hold(m_shared->lock);
    m_shared->stopping = true;
    m_shared->changed.notify_all();
    m_shared->changed.wait_for(hold, kEndWait, [&] { return m_shared->threads == 0; });
}

void LibraryWork::SetLibrary(CCourseLibrary* library) { m_shared->library = library; }

void LibraryWork::Find(const std::vector<CoursePlace>& places) {
    std::lock_guard<std::mutex> hold(m_shared->lock);
    m_shared->search = places;
    ++m_shared->searchNumber;
    m_shared->changed.notify_all();
}

void LibraryWork::Check(const std::vector<std::string>& folders) {
    std::lock_guard<std::mutex> hold(m_shared->lock);
    m_shared->startUps.insert(m_shared->startUps.end(), folders.begin(), folders.end());
    m_shared->changed.notify_all();
}

void LibraryWork::SetDrives(const std::vector<DrivePlace>& found) {
    std::lock_guard<std::mutex> hold(m_shared->lock);
    m_shared->drives = found;
}

}  // namespace dorv
