#include "gtk/PosixFileStore.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/Trace.h"

namespace dorv {
namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { Reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }
    int Release() {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void Reset(int fd = -1) {
        if (m_fd >= 0) close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

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

class PosixOpenFile : public IOpenFile {
public:
    explicit PosixOpenFile(int fd) : m_fd(fd) {}

    bool GetLength(std::uint64_t& length, int& err) override {
        struct stat st {};
        if (fstat(m_fd.Get(), &st) != 0) {
            err = errno;
            return false;
        }
        length = static_cast<std::uint64_t>(st.st_size);
        return true;
    }

    bool ReadAt(std::uint64_t offset, std::size_t count, std::string& bytes, int& err) override {
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

    bool Append(const std::string& bytes, int& err) override {
        if (lseek(m_fd.Get(), 0, SEEK_END) < 0) {
            err = errno;
            return false;
        }
        return WriteAll(m_fd.Get(), bytes.data(), bytes.size(), err);
    }

private:
    Descriptor m_fd;
};

int RangeLock(int fd, struct flock* request) { return fcntl(fd, F_OFD_SETLK, request); }

}  // namespace

const PosixFileStore::LockCalls PosixFileStore::kSystemLocks = {flock, RangeLock};

bool PosixFileStore::IsLockRefused(int err) {
    return err == EBADF || err == ENOLCK || err == EOPNOTSUPP || err == ENOSYS || err == EINVAL;
}

void PosixFileStore::TraceOnce(const std::string& path, const char* what) {
    std::string folder = path.substr(0, path.rfind('/') + 1);
    std::lock_guard<std::mutex> hold(m_traceLock);
    if (m_tracedFolders.insert(folder).second) Trace("%s refuses file locks: %s", folder.c_str(), what);
}

// The lock on an open descriptor: exclusive over the whole file; where the
// file system refuses that, a byte-range lock of the kind the open allows
// (shared for reading, exclusive for writing), else none.
bool PosixFileStore::Lock(int fd, int flags, const std::string& path, int& err) {
    if (m_locks.whole(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EWOULDBLOCK || !IsLockRefused(errno)) {
        err = errno;
        return false;
    }
    struct flock range {};
    range.l_type = (flags & O_ACCMODE) == O_RDONLY ? F_RDLCK : F_WRLCK;
    range.l_whence = SEEK_SET;
    if (m_locks.range(fd, &range) == 0) {
        TraceOnce(path, "byte-range locks stand in");
        return true;
    }
    if (errno == EAGAIN || errno == EACCES) {
        err = EWOULDBLOCK;  // another copy holds the file
        return false;
    }
    TraceOnce(path, "files are used without a lock");
    return true;
}

// Opens `path` and takes the lock. A file replaced by another copy's atomic
// write between the open and the lock is opened again, so that the lock is
// always held on the file that the path names.
int PosixFileStore::OpenLocked(const std::string& path, int flags, int& err) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        Descriptor fd(open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666));
        if (fd.Get() < 0) {
            err = errno;
            return -1;
        }
        struct stat opened {};
        if (fstat(fd.Get(), &opened) != 0) {
            err = errno;
            return -1;
        }
        if (!S_ISREG(opened.st_mode)) {
            err = S_ISDIR(opened.st_mode) ? EISDIR : EACCES;
            return -1;
        }
        if (!Lock(fd.Get(), flags, path, err)) return -1;
        struct stat named {};
        if (stat(path.c_str(), &named) == 0 && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
            fcntl(fd.Get(), F_SETFL, fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
            return fd.Release();
        }
    }
    err = EWOULDBLOCK;
    return -1;
}

IFileStore::Kind PosixFileStore::GetKind(const std::string& path) const {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0) return Kind::None;
    return S_ISDIR(st.st_mode) ? Kind::Folder : Kind::File;
}

bool PosixFileStore::CreateFolder(const std::string& path) { return !path.empty() && mkdir(path.c_str(), 0777) == 0; }

std::unique_ptr<IOpenFile> PosixFileStore::Open(const std::string& path, OpenMode mode, int& err) {
    int flags = 0;
    switch (mode) {
        case OpenMode::ReadExisting:
            flags = O_RDONLY;
            break;
        case OpenMode::ReadWriteOrCreate:
            flags = O_RDWR | O_CREAT;
            break;
        case OpenMode::AppendOrCreate:
        case OpenMode::CreateOrTruncate:  // emptied once the lock is held
            flags = O_WRONLY | O_CREAT;
            break;
    }
    int fd = OpenLocked(path, flags, err);
    if (fd < 0) return nullptr;
    if (mode == OpenMode::CreateOrTruncate && ftruncate(fd, 0) != 0) {
        err = errno;
        close(fd);
        return nullptr;
    }
    return std::make_unique<PosixOpenFile>(fd);
}

// The new content goes to "<path>.new" in the same folder, reaches the disk,
// and is renamed over the file; the folder is flushed too, so that the
// rename itself survives a power cut. Both the file and the temporary one
// are locked while this runs. The file is opened for writing first: one
// that the user may not write is not replaced (EACCES, as an open for
// writing fails), and its replacement keeps its permission bits and, where
// the user may set it, its group.
bool PosixFileStore::WriteAtomically(const std::string& path, const std::string& bytes, int& err) {
    Descriptor current;
    struct stat kept {};
    if (GetKind(path) != Kind::None) {
        current.Reset(OpenLocked(path, O_RDWR, err));
        if (current.Get() < 0 || fstat(current.Get(), &kept) != 0) {
            if (current.Get() >= 0) err = errno;
            return false;
        }
    }
    const std::string temporary = path + kTemporarySuffix;
    Descriptor fd(OpenLocked(temporary, O_WRONLY | O_CREAT, err));
    if (fd.Get() < 0) return false;
    bool ok = ftruncate(fd.Get(), 0) == 0 || (err = errno, false);
    if (ok && current.Get() >= 0) {
        // A group the user is no member of cannot be given, and FAT has no
        // bits at all: what the file system keeps is kept.
        if (fchown(fd.Get(), static_cast<uid_t>(-1), kept.st_gid) != 0) errno = 0;
        if (fchmod(fd.Get(), kept.st_mode & 07777) != 0) errno = 0;
    }
    ok = ok && WriteAll(fd.Get(), bytes.data(), bytes.size(), err);
    ok = ok && (fsync(fd.Get()) == 0 || (err = errno, false));
    ok = ok && (rename(temporary.c_str(), path.c_str()) == 0 || (err = errno, false));
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    std::string folder = path.substr(0, path.rfind('/') + 1);
    Descriptor dir(open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0) fsync(dir.Get());
    return true;
}

bool PosixFileStore::RemoveLeftTemporary(const std::string& path) {
    const std::string temporary = path + kTemporarySuffix;
    if (GetKind(temporary) != Kind::File) return false;
    // One that another copy is writing now is still in use.
    int err = 0;
    Descriptor held(OpenLocked(temporary, O_WRONLY, err));
    if (held.Get() < 0) return false;
    if (unlink(temporary.c_str()) != 0) return false;
    Trace("%s: left by an interrupted save, removed", temporary.c_str());
    return true;
}

bool PosixFileStore::Rename(const std::string& from, const std::string& to, int& err) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) {
        err = errno;
        return false;
    }
    // A file system without the no-replace rename: a hard link fails the
    // same way on an existing name.
    if (link(from.c_str(), to.c_str()) != 0) {
        err = errno;
        return false;
    }
    unlink(from.c_str());
    return true;
}

bool PosixFileStore::DeleteFile(const std::string& path, int& err) {
    if (unlink(path.c_str()) == 0) return true;
    err = errno;
    return false;
}

bool PosixFileStore::RemoveFolder(const std::string& path, int& err) {
    if (rmdir(path.c_str()) == 0) return true;
    err = errno;
    return false;
}

}  // namespace dorv
