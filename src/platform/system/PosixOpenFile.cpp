#include "platform/system/PosixOpenFile.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace dorv {

bool WriteAll(int fd, const char* data, size_t size, int& err) {
    while (size > 0) {
        ssize_t done = write(fd, data, size);
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) {
            err = errno;
            return false;
        }
        data += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

bool WriteAllAt(int fd, const char* data, size_t size, off_t offset, int& err) {
    while (size > 0) {
        ssize_t done = pwrite(fd, data, size, offset);
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) {
            err = errno;
            return false;
        }
        data += done;
        offset += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

// The length the file has now, asked of the server where the client keeps
// lengths for a while (a FUSE client's attribute cache would give the length
// from before another machine's append).
bool PosixOpenFile::GetLength(std::uint64_t& length, int& err) {
    struct statx st {};
    if (statx(m_fd.Get(), "", AT_EMPTY_PATH | AT_STATX_FORCE_SYNC, STATX_SIZE, &st) != 0) {
        err = errno;
        return false;
    }
    length = static_cast<std::uint64_t>(st.stx_size);
    return true;
}

bool PosixOpenFile::ReadAt(std::uint64_t offset, std::size_t count, std::string& bytes, int& err) {
    std::string data(count, '\0');
    size_t got = 0;
    while (got < count) {
        ssize_t n = pread(m_fd.Get(), data.data() + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            err = errno;
            return false;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    data.resize(got);
    bytes = std::move(data);
    return true;
}

// Opened for appending, each write goes to the end as the server knows it;
// a client that cannot open for appending (smbnetfs) writes at the length
// just asked of the server.
bool PosixOpenFile::Append(const std::string& bytes, int& err) {
    if (m_appending) return WriteAll(m_fd.Get(), bytes.data(), bytes.size(), err);
    std::uint64_t end = 0;
    return GetLength(end, err) && WriteAllAt(m_fd.Get(), bytes.data(), bytes.size(), static_cast<off_t>(end), err);
}

}  // namespace dorv
