// The check of several courses: the start-up checks one course after another
// (they work in the course's folder), the files of several courses at once.
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "check/CourseCheck.h"

namespace dorv {
namespace {

constexpr unsigned kMaxReaders = 8;

// Courses whose files wait to be read, and which are done.
class FileQueue {
public:
    explicit FileQueue(size_t courses) : m_done(courses, false) {}

    void Add(size_t course) {
        std::lock_guard<std::mutex> hold(m_lock);
        m_waiting.push_back(course);
        m_changed.notify_all();
    }
    void Close() {
        std::lock_guard<std::mutex> hold(m_lock);
        m_closed = true;
        m_changed.notify_all();
    }
    // The next course to read; false once the queue is closed and empty.
    bool Take(size_t& course) {
        std::unique_lock<std::mutex> hold(m_lock);
        m_changed.wait(hold, [&] { return !m_waiting.empty() || m_closed; });
        if (m_waiting.empty()) return false;
        course = m_waiting.front();
        m_waiting.pop_front();
        return true;
    }
    void Done(size_t course) {
        std::lock_guard<std::mutex> hold(m_lock);
        m_done[course] = true;
        m_changed.notify_all();
    }
    bool IsDone(size_t course) {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_done[course];
    }
    void WaitDone(size_t course) {
        std::unique_lock<std::mutex> hold(m_lock);
        m_changed.wait(hold, [&] { return static_cast<bool>(m_done[course]); });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<size_t> m_waiting;
    std::vector<bool> m_done;
    bool m_closed = false;
};

}  // namespace

int RunCourseCheck(const std::vector<std::string>& folders, bool json, const CheckServices& services, std::FILE* out) {
    std::vector<CourseCheckReport> reports(folders.size());
    FileQueue queue(folders.size());
    unsigned readers = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxReaders);
    readers = std::min<unsigned>(readers, static_cast<unsigned>(std::max<size_t>(folders.size(), 1)));
    std::vector<std::thread> threads;
    for (unsigned k = 0; k < readers; ++k) {
        threads.emplace_back([&] {
            size_t course = 0;
            while (queue.Take(course)) {
                CheckCourseFiles(reports[course]);
                queue.Done(course);
            }
        });
    }
    size_t written = 0;
    auto write = [&](bool wait) {
        while (written < reports.size() && (wait || queue.IsDone(written))) {
            queue.WaitDone(written);
            if (!json) {
                std::string text = (written == 0 ? "" : "\n") + TextReport(reports[written]);
                std::fputs(text.c_str(), out);
                std::fflush(out);
            }
            ++written;
        }
    };
    for (size_t course = 0; course < folders.size(); ++course) {
        reports[course] = CheckCourseStartUp(folders[course], services);
        queue.Add(course);
        write(false);
    }
    queue.Close();
    write(true);
    for (std::thread& thread : threads) thread.join();
    if (json) std::fputs(JsonReport(reports).c_str(), out);
    if (std::fflush(out) != 0 || std::ferror(out)) {
        // A report that did not arrive whole is no all-clear.
        std::fprintf(stderr, "dorv: the report could not be written: %s\n", std::strerror(errno));
        return 1;
    }
    bool allWell =
        std::none_of(reports.begin(), reports.end(), [](const CourseCheckReport& r) { return r.HasProblems(); });
    return allWell ? 0 : 1;
}

}  // namespace dorv
