#include "platform/system/DetachedWork.h"

#include <glib.h>

#include <exception>
#include <system_error>
#include <thread>

namespace dorv {

// Shared by the thread and the main loop. The callbacks, `givenUp` and
// `finished` belong to the main loop alone; the thread writes `failure`
// before it asks the main loop to finish, which reads it after.
struct DetachedWork::Shared {
    std::atomic<bool> cancel{false};
    std::atomic<bool> progressQueued{false};
    std::atomic<int64_t> lastSignUs{0};
    std::function<void()> progressed;
    std::function<void()> finished;
    bool givenUp = false;
    bool done = false;
    std::string failure;
};

namespace {

using SharedPtr = std::shared_ptr<DetachedWork::Shared>;

// Hands `shared` to the main loop, which calls `run` with it once.
void OnMainLoop(const SharedPtr& shared, GSourceFunc run) {
    g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, run, new SharedPtr(shared),
                    [](gpointer data) { delete static_cast<SharedPtr*>(data); });
}

gboolean ProgressOnMainLoop(gpointer data) {
    DetachedWork::Shared& shared = **static_cast<SharedPtr*>(data);
    shared.progressQueued = false;
    if (!shared.givenUp && !shared.done && shared.progressed) shared.progressed();
    return G_SOURCE_REMOVE;
}

gboolean FinishOnMainLoop(gpointer data) {
    DetachedWork::Shared& shared = **static_cast<SharedPtr*>(data);
    if (shared.givenUp) return G_SOURCE_REMOVE;
    shared.done = true;
    // The callback may give the work up, which drops the callbacks.
    std::function<void()> finished = std::move(shared.finished);
    shared.progressed = nullptr;
    if (finished) finished();
    return G_SOURCE_REMOVE;
}

}  // namespace

DetachedWork::DetachedWork(Work work, std::function<void()> progressed, std::function<void()> finished)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->progressed = std::move(progressed);
    m_shared->finished = std::move(finished);
    m_shared->lastSignUs = g_get_monotonic_time();
    auto run = [shared = m_shared, work = std::move(work)] {
        Report report = [&shared] {
            shared->lastSignUs = g_get_monotonic_time();
            if (!shared->progressQueued.exchange(true)) OnMainLoop(shared, ProgressOnMainLoop);
        };
        try {
            work(shared->cancel, report);
        } catch (const std::exception& error) {
            shared->failure = error.what();
        } catch (...) {
            shared->failure = "unknown error";
        }
        OnMainLoop(shared, FinishOnMainLoop);
    };
    try {
        std::thread(std::move(run)).detach();
    } catch (const std::system_error& error) {
        // No thread to be had: the work ends at once, unable to start.
        m_shared->failure = std::string("no thread could be started: ") + error.what();
        OnMainLoop(m_shared, FinishOnMainLoop);
    }
}

DetachedWork::~DetachedWork() { GiveUp(); }

void DetachedWork::GiveUp() {
    m_shared->cancel = true;
    m_shared->givenUp = true;
    m_shared->progressed = nullptr;
    m_shared->finished = nullptr;
}

bool DetachedWork::Finished() const { return m_shared->done; }

std::string DetachedWork::Failure() const { return m_shared->done ? m_shared->failure : std::string(); }

int64_t DetachedWork::QuietMs() const { return (g_get_monotonic_time() - m_shared->lastSignUs) / 1000; }

}  // namespace dorv
