// Work on threads that nobody waits for, on a real main loop: what it tells
// arrives on the main loop, and once given up nothing more does, however
// long the work takes.
#include "platform/system/DetachedWork.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "RecordsRig.h"
#include "platform/system/MainLoopWait.h"
#include "platform/system/RecordsReading.h"

namespace dorv {
namespace {

constexpr unsigned kDeadlineMs = 5000;

// A gate the work waits at until the test opens it.
class CGate {
public:
    void Open() {
        std::lock_guard<std::mutex> hold(m_lock);
        m_open = true;
        m_changed.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> hold(m_lock);
        m_changed.wait(hold, [this] { return m_open; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_open = false;
};

// Lets the main loop run everything that is due.
void Drain() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

TEST(DetachedWork, ProgressAndTheEndArriveOnTheMainLoop) {
    std::thread::id mainThread = std::this_thread::get_id();
    int progressed = 0;
    int finished = 0;
    bool onMain = true;
    DetachedWork work(
        [](const std::atomic<bool>&, const DetachedWork::Report& report) {
            for (int i = 0; i < 3; ++i) report();
        },
        [&] {
            ++progressed;
            onMain = onMain && std::this_thread::get_id() == mainThread;
        },
        [&] {
            ++finished;
            onMain = onMain && std::this_thread::get_id() == mainThread;
        });
    ASSERT_TRUE(WaitInMainLoop([&] { return work.Finished(); }, kDeadlineMs));
    Drain();
    EXPECT_EQ(finished, 1);
    // Reports that come while one is on its way are told once.
    EXPECT_GE(progressed, 1);
    EXPECT_LE(progressed, 3);
    EXPECT_TRUE(onMain);
    EXPECT_EQ(work.Failure(), "");
}

TEST(DetachedWork, AWorkThatThrowsEndsWithTheFailure) {
    bool finished = false;
    DetachedWork work([](const std::atomic<bool>&, const DetachedWork::Report&) { throw std::runtime_error("broken"); },
                      nullptr, [&] { finished = true; });
    ASSERT_TRUE(WaitInMainLoop([&] { return finished; }, kDeadlineMs));
    EXPECT_EQ(work.Failure(), "broken");
}

// A work caught in a system call that never returns: giving it up takes no
// time, asks it to stop, and nothing it does later reaches the main loop.
TEST(DetachedWork, GivingUpNeverWaitsAndDropsWhatComesAfter) {
    auto gate = std::make_shared<CGate>();
    auto stopAsked = std::make_shared<std::atomic<bool>>(false);
    auto ended = std::make_shared<std::atomic<bool>>(false);
    bool called = false;
    auto work = std::make_unique<DetachedWork>(
        [gate, stopAsked, ended](const std::atomic<bool>& cancel, const DetachedWork::Report& report) {
            gate->Wait();
            *stopAsked = cancel.load();
            report();
            *ended = true;
        },
        [&] { called = true; }, [&] { called = true; });
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_GE(work->QuietMs(), 50);
    EXPECT_FALSE(work->Finished());
    auto start = std::chrono::steady_clock::now();
    work.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));

    gate->Open();
    ASSERT_TRUE(WaitInMainLoop([&] { return ended->load(); }, kDeadlineMs));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Drain();
    EXPECT_TRUE(stopAsked->load());
    EXPECT_FALSE(called);
}

TEST(RecordsReading, ReadsAPlaceAwayFromTheMainLoop) {
    test::CScratchPlace place;
    place.Learner("ENG", "taro", test::Record("1", "1", "2026/04/01", "754"));
    place.Learner("ENG", "hanako", test::Record("1", "1", "2026/04/02", "1:00"));
    size_t found = 0;
    std::shared_ptr<const PlaceRecords> records;
    std::string failure = "not yet";
    std::unique_ptr<RecordsReading> reading;
    reading = std::make_unique<RecordsReading>(
        place.Folder(),
        RecordsReading::Listener{.progress = [&](size_t, size_t learners) { found = learners; },
                                 .silence = nullptr,
                                 .finished =
                                     [&](std::shared_ptr<const PlaceRecords> read, const std::string& why, int64_t ms) {
                                         records = std::move(read);
                                         failure = why;
                                         EXPECT_GE(ms, 0);
                                         // The window lets go of the reading as it is told of its end.
                                         reading.reset();
                                     }});
    ASSERT_TRUE(WaitInMainLoop([&] { return !reading; }, kDeadlineMs));
    Drain();
    EXPECT_EQ(failure, "");
    ASSERT_TRUE(records);
    ASSERT_EQ(records->courses.size(), 1u);
    EXPECT_EQ(records->courses[0].learners.size(), 2u);
    EXPECT_EQ(found, 2u);

    // A place that is not there is read all the same: its records say why.
    bool done = false;
    RecordsReading missing(place.Folder("none"),
                           {.progress = nullptr,
                            .silence = nullptr,
                            .finished = [&](std::shared_ptr<const PlaceRecords> read, const std::string&, int64_t) {
                                records = std::move(read);
                                done = true;
                            }});
    ASSERT_TRUE(WaitInMainLoop([&] { return done; }, kDeadlineMs));
    ASSERT_TRUE(records);
    EXPECT_NE(records->problem.find("No such file"), std::string::npos) << records->problem;
}

}  // namespace
}  // namespace dorv
