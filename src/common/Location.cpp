#include "common/Location.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

namespace dorv {
namespace {

// File errors of an open for reading; "%1" stands for the path.
constexpr const char* kFileNotFound = "%1 was not found.";
constexpr const char* kFileBadPath = "%1 contains an invalid path.";
constexpr const char* kFileTooManyOpen = "%1 could not be opened because there are too many open files.";
constexpr const char* kFileAccessDenied = "Access to %1 was denied.";
constexpr const char* kFileUnknownError = "An unknown error occurred while accessing %1.";
constexpr const char* kFileSharingViolation = "A sharing violation occurred while accessing %1.";
constexpr const char* kFileDiskFull = "Disk full while accessing %1.";
constexpr const char* kFileHardIo = "A hardware I/O error was reported while accessing %1.";

bool EndsWithLowered(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && AsciiLowered(text.substr(text.size() - suffix.size())) == suffix;
}

std::string ReplacePlaceholder(std::string text, const std::string& path) {
    size_t at = text.find("%1");
    if (at != std::string::npos) text.replace(at, 2, path);
    return text;
}

// Opens a regular file for reading without ever waiting: O_NONBLOCK keeps a
// FIFO from waiting for a writer, and anything that is not a regular file is
// refused. Returns the descriptor, or -1 with `err` set.
int OpenRegularFile(const std::string& path, int& err) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        err = errno;
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        err = EACCES;
        close(fd);
        return -1;
    }
    err = 0;
    return fd;
}

}  // namespace

std::string AsciiLowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string PercentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::vector<std::string> PathParts(std::string_view path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        std::string_view part =
            path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    return parts;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lowered = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lowered(a[i]) != lowered(b[i])) return false;
    }
    return true;
}

bool IsUrlLocation(const std::string& location) {
    return location.rfind("http://", 0) == 0 || location.rfind("https://", 0) == 0;
}

bool IsPageLocation(const std::string& location) {
    std::string_view name = location;
    size_t query = name.rfind('?');
    if (query != std::string_view::npos) name = name.substr(0, query);
    return EndsWithLowered(name, ".html") || EndsWithLowered(name, ".htm");
}

bool IsXmlLocation(const std::string& location) { return EndsWithLowered(location, ".xml"); }

int CheckReadableFile(const std::string& path) {
    int err = 0;
    int fd = OpenRegularFile(path, err);
    if (fd >= 0) close(fd);
    return err;
}

bool ReadRegularFile(const std::string& path, std::string& bytes, int& err) {
    int fd = OpenRegularFile(path, err);
    if (fd < 0) return false;
    // A regular file never blocks; clear the flag for plain reads.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::string data;
    char chunk[65536];
    for (;;) {
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            err = errno;
            close(fd);
            return false;
        }
        if (got == 0) break;
        data.append(chunk, static_cast<size_t>(got));
    }
    close(fd);
    bytes = std::move(data);
    return true;
}

std::string FileErrorText(int err, const std::string& path) {
    const char* text;
    switch (err) {
        case ENOENT:
            text = kFileNotFound;
            break;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            text = kFileBadPath;
            break;
        case EMFILE:
        case ENFILE:
            text = kFileTooManyOpen;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
        case EEXIST:  // a rename that would replace another file
            text = kFileAccessDenied;
            break;
        case EWOULDBLOCK:  // another copy of the program holds the file
            text = kFileSharingViolation;
            break;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            text = kFileDiskFull;
            break;
        case EIO:
            text = kFileHardIo;
            break;
        default:
            text = kFileUnknownError;
            break;
    }
    return ReplacePlaceholder(text, path);
}

}  // namespace dorv
