#include "records/HistoryReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "learner/LearnerStore.h"

namespace dorv {

const std::array<const char*, kHistoryColumns> kHistoryColumnNames = {
    "CD",         "lecture",    "unit",     "step",     "part",      "section",
    "start date", "start time", "end date", "end time", "total time"};

namespace {

constexpr std::string_view kHeader(CLearnerStore::kHistoryHeader, CLearnerStore::kHistoryHeaderSize);

// Closes the descriptor when the read is over.
class CDescriptor {
public:
    explicit CDescriptor(int fd) : m_fd(fd) {}
    ~CDescriptor() {
        if (m_fd >= 0) close(m_fd);
    }
    CDescriptor(const CDescriptor&) = delete;
    CDescriptor& operator=(const CDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Cuts the bytes after the header into lines and hands them on. A line that
// a chunk's end cuts in two is put together in `m_pending`.
class CLineCutter {
public:
    explicit CLineCutter(const std::function<void(const HistoryLine&)>& onLine) : m_onLine(onLine) {
        m_line.number = 1;
    }

    void Add(std::string_view data) {
        while (!data.empty()) {
            const void* found = std::memchr(data.data(), '\n', data.size());
            if (!found) {
                Keep(data);
                return;
            }
            size_t end = static_cast<const char*>(found) - data.data();
            if (m_pending.empty() && !m_cut) {
                Emit(data.substr(0, end), false);
            } else {
                Keep(data.substr(0, end));
                Emit(m_pending, m_cut);
                m_pending.clear();
                m_cut = false;
            }
            data.remove_prefix(end + 1);
        }
    }

    // The end of the file: a last line without its line end is a line too.
    void Finish() {
        if (!m_pending.empty() || m_cut) Emit(m_pending, m_cut);
        m_pending.clear();
        m_cut = false;
    }

private:
    void Keep(std::string_view part) {
        size_t room = kMaxHistoryLineBytes - m_pending.size();
        if (part.size() > room) {
            part = part.substr(0, room);
            m_cut = true;
        }
        m_pending.append(part);
    }

    void Emit(std::string_view text, bool cut) {
        ++m_line.number;
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (text.empty() && !cut) return;
        m_line.text = text;
        m_line.cut = cut;
        m_line.record = !cut && Split(text);
        m_onLine(m_line);
    }

    // Splits at every comma; true for exactly eleven columns. The columns
    // are short: a plain loop finds their ends faster than a search each.
    bool Split(std::string_view text) {
        size_t column = 0;
        size_t start = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != ',') continue;
            if (column == kHistoryColumns - 1) return false;
            m_line.columns[column++] = text.substr(start, i - start);
            start = i + 1;
        }
        if (column != kHistoryColumns - 1) return false;
        m_line.columns[column] = text.substr(start);
        return true;
    }

    const std::function<void(const HistoryLine&)>& m_onLine;
    HistoryLine m_line;
    std::string m_pending;
    bool m_cut = false;
};

HistoryReadResult Failed(int err) {
    HistoryReadResult result;
    result.state = HistoryState::Unreadable;
    result.error = std::strerror(err);
    return result;
}

}  // namespace

HistoryReadResult ReadHistory(const std::string& path, const std::function<void(const HistoryLine&)>& onLine,
                              const std::atomic<bool>* cancel) {
    // O_NONBLOCK: a FIFO in the file's place does not wait for a writer.
    CDescriptor fd(open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0) {
        if (errno == ENOENT) return {};
        return Failed(errno);
    }
    struct stat info {};
    if (fstat(fd.Get(), &info) != 0) return Failed(errno);
    if (!S_ISREG(info.st_mode)) {
        HistoryReadResult result;
        result.state = HistoryState::Unreadable;
        result.error = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file";
        return result;
    }
    // A regular file is read in the ordinary way.
    fcntl(fd.Get(), F_SETFL, fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
    posix_fadvise(fd.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    std::unique_ptr<char[]> buffer(new char[kHistoryChunkBytes]);
    std::string header;
    CLineCutter cutter(onLine);
    HistoryReadResult result;
    result.state = HistoryState::Ok;
    for (;;) {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            result.cancelled = true;
            return result;
        }
        ssize_t got = read(fd.Get(), buffer.get(), kHistoryChunkBytes);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Failed(errno);
        if (got == 0) break;
        std::string_view data(buffer.get(), static_cast<size_t>(got));
        if (header.size() < kHeader.size()) {
            size_t take = std::min(kHeader.size() - header.size(), data.size());
            header.append(data.substr(0, take));
            data.remove_prefix(take);
            if (header.size() < kHeader.size()) continue;
            if (header != kHeader) {
                result.state = HistoryState::WrongHeader;
                return result;
            }
        }
        cutter.Add(data);
    }
    if (header.empty()) {
        result.state = HistoryState::Empty;
    } else if (header.size() < kHeader.size()) {
        result.state = HistoryState::WrongHeader;
    } else {
        cutter.Finish();
    }
    return result;
}

std::string HistoryStateText(HistoryState state, bool japanese) {
    switch (state) {
        case HistoryState::Ok:
            return "OK";
        case HistoryState::Missing:
            return japanese ? "学習履歴なし" : "no history";
        case HistoryState::Empty:
            return japanese ? "学習履歴が空" : "empty history";
        case HistoryState::WrongHeader:
            return japanese ? "学習履歴の見出しが不正" : "wrong history header";
        case HistoryState::Unreadable:
            return japanese ? "学習履歴を読めない" : "history cannot be read";
    }
    return {};
}

}  // namespace dorv
