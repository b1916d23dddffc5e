// File work on a worker thread with a deadline, against a file store whose
// calls the test holds back.
#include "platform/system/TimedFileStore.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>

#include "Fakes.h"

namespace dorv {
namespace {

// Writes wait until the test lets them go.
class HeldFiles : public test::NoFiles {
public:
    bool WriteAtomically(const std::string& path, const std::string&, int&) override {
        std::unique_lock<std::mutex> hold(m_lock);
        m_released.wait(hold, [&] { return m_open; });
        ++writes;
        return path.find("fails") == std::string::npos;
    }
    void Release() {
        std::lock_guard<std::mutex> hold(m_lock);
        m_open = true;
        m_released.notify_all();
    }
    std::atomic<int> writes{0};

private:
    std::mutex m_lock;
    std::condition_variable m_released;
    bool m_open = false;
};

// Files that count how many of them are open.
class CountedFiles : public test::NoFiles {
public:
    class File : public IOpenFile {
    public:
        explicit File(std::atomic<int>& open) : m_open(open) { ++m_open; }
        ~File() override { --m_open; }
        File(const File&) = delete;
        File& operator=(const File&) = delete;
        bool GetLength(std::uint64_t& length, int&) override { return (length = 0), true; }
        bool ReadAt(std::uint64_t, std::size_t, std::string&, int&) override { return true; }
        bool Append(const std::string&, int&) override { return true; }

    private:
        std::atomic<int>& m_open;
    };
    std::unique_ptr<IOpenFile> Open(const std::string&, OpenMode, int&) override {
        return std::make_unique<File>(open);
    }
    std::atomic<int> open{0};
};

TEST(TimedFileStore, AClosedFileIsClosedBeforeTheCloseReturns) {
    auto shared = std::make_shared<CountedFiles>();
    CountedFiles& inner = *shared;
    TimedFileStore files(shared);
    // Each worker's copy of the file must be gone by then, or the next open
    // of the same file finds its lock still held.
    for (int round = 0; round < 200; ++round) {
        int err = 0;
        auto file = files.Open("/place/HISTORY.DAT", IFileStore::OpenMode::AppendExisting, err);
        ASSERT_TRUE(file);
        std::uint64_t length = 0;
        ASSERT_TRUE(file->GetLength(length, err));
        ASSERT_TRUE(file->Append("record", err));
        file.reset();
        ASSERT_EQ(inner.open.load(), 0) << "round " << round;
    }
}

TEST(TimedFileStore, AHungPlaceGivesUpInTimeAndFailsAtOnceUntilItAnswers) {
    auto shared = std::make_shared<HeldFiles>();
    HeldFiles& inner = *shared;
    TimedFileStore files(shared, 200);
    int waits = 0;
    files.SetWaitHooks([&] { ++waits; }, [&] { --waits; });
    int err = 0;
    gint64 start = g_get_monotonic_time();
    EXPECT_FALSE(files.WriteAtomically("/share/a/TASK.DAT", "x", err));
    EXPECT_EQ(err, ETIMEDOUT);
    EXPECT_GE(g_get_monotonic_time() - start, 200 * 1000);
    EXPECT_EQ(waits, 0);  // the hooks came in pairs
    // The same place again: at once, without a second wait.
    start = g_get_monotonic_time();
    EXPECT_FALSE(files.WriteAtomically("/share/a/SCORE.DAT", "x", err));
    EXPECT_EQ(err, ETIMEDOUT);
    EXPECT_LT(g_get_monotonic_time() - start, 100 * 1000);
    // Once the late call is through, the place counts again.
    inner.Release();
    for (int i = 0; i < 100 && inner.writes == 0; ++i) g_usleep(10 * 1000);
    g_usleep(20 * 1000);
    EXPECT_TRUE(files.WriteAtomically("/share/a/SCORE.DAT", "x", err));
    EXPECT_FALSE(files.WriteAtomically("/share/a/fails", "x", err));
    EXPECT_NE(err, ETIMEDOUT);
}

}  // namespace
}  // namespace dorv
