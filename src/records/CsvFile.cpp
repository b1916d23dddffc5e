#include "records/CsvFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace dorv {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr size_t kFlushBytes = 1 << 20;

// An optional sign, digits, and optionally a point and more digits.
bool IsPlainNumber(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    size_t point = text.find('.');
    std::string_view whole = text.substr(0, point);
    std::string_view fraction = point == std::string_view::npos ? std::string_view("0") : text.substr(point + 1);
    auto digits = [](std::string_view part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    return digits(whole) && digits(fraction);
}

bool WriteAll(int fd, std::string_view bytes, int& err) {
    while (!bytes.empty()) {
        ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            err = written < 0 ? errno : EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

}  // namespace

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    field += '"';
    return field;
}

std::string SpreadsheetText(std::string_view text) {
    if (text.empty() || std::string_view("=+-@\t\r").find(text.front()) == std::string_view::npos ||
        IsPlainNumber(text)) {
        return std::string(text);
    }
    return "'" + std::string(text);
}

bool CCsvFile::Open(const std::string& path) {
    Abandon();
    m_path = path;
    m_err = 0;
    m_error.clear();
    m_buffer.clear();
    m_rowStarted = false;
    // A hidden name beside the file, one no other writer uses.
    static std::atomic<unsigned> counter{0};
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temporary = folder;
        m_temporary.append(".").append(name).append(".").append(std::to_string(getpid()));
        m_temporary.append(".").append(std::to_string(counter++)).append(".tmp");
        m_fd = open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (m_fd >= 0 || errno != EEXIST) break;
    }
    if (m_fd < 0) {
        m_temporary.clear();
        return Fail(errno);
    }
    m_buffer.append(kByteOrderMark);
    return true;
}

void CCsvFile::Field(std::string_view text) {
    if (m_rowStarted) m_buffer += ',';
    m_rowStarted = true;
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        m_buffer.append(text);
    } else {
        m_buffer.append(CsvField(text));
    }
}

void CCsvFile::EndRow() {
    m_buffer += "\r\n";
    m_rowStarted = false;
    if (m_buffer.size() >= kFlushBytes) Flush();
}

void CCsvFile::Flush() {
    if (m_fd >= 0 && m_err == 0) WriteAll(m_fd, m_buffer, m_err);
    m_buffer.clear();
}

bool CCsvFile::Commit() {
    if (m_fd < 0) return false;
    Flush();
    if (m_err == 0 && fsync(m_fd) != 0) m_err = errno;
    if (close(m_fd) != 0 && m_err == 0) m_err = errno;
    m_fd = -1;
    if (m_err == 0 && rename(m_temporary.c_str(), m_path.c_str()) != 0) m_err = errno;
    if (m_err != 0) {
        int err = m_err;
        Abandon();
        return Fail(err);
    }
    m_temporary.clear();
    // The rename itself is on the disk once the folder is.
    size_t slash = m_path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : m_path.substr(0, slash + 1);
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

void CCsvFile::Abandon() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty()) unlink(m_temporary.c_str());
    m_temporary.clear();
    m_buffer.clear();
}

bool CCsvFile::Fail(int err) {
    m_error = m_path + ": " + std::strerror(err);
    return false;
}

}  // namespace dorv
