// Work on a thread of its own that nobody ever waits for: reading files on
// a share that may stop answering in the middle of a system call. The thread
// reports progress and its end to the main loop (the default main context);
// whoever started it may give it up at any moment, and then hears nothing
// more from it. A thread that is given up is left to end on its own, with
// everything it uses kept alive by itself.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace dorv {

class DetachedWork {
public:
    // What the work is handed: the flag that asks it to stop, and the call
    // that tells of progress (from any thread, as often as it likes; the
    // main loop hears of it once for each time it looks).
    using Report = std::function<void()>;
    using Work = std::function<void(const std::atomic<bool>& cancel, const Report& report)>;

    // Starts `work` on a new thread. `progressed` and `finished` are called on
    // the main loop, never after the work was given up or this object is
    // gone. A work that throws finishes with Failure() set.
    DetachedWork(Work work, std::function<void()> progressed, std::function<void()> finished);
    // Gives the work up: it never waits for the thread.
    ~DetachedWork();
    DetachedWork(const DetachedWork&) = delete;
    DetachedWork& operator=(const DetachedWork&) = delete;

    // Asks the work to stop and drops what it would still tell.
    void GiveUp();

    bool Finished() const;
    // Why the work failed ("" when it did not), once Finished().
    std::string Failure() const;
    // Milliseconds since the work started or last reported progress.
    int64_t QuietMs() const;

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
};

}  // namespace dorv
