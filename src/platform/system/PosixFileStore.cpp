#include "platform/system/PosixFileStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "common/Trace.h"
#include "platform/system/MountTable.h"
#include "platform/system/PosixOpenFile.h"

namespace dorv {
namespace {

int RangeLock(int fd, struct flock* request) { return fcntl(fd, F_OFD_SETLK, request); }

// The beginning of a small file (a lock file), or "" when it cannot be read.
std::string ReadSmall(const std::string& path) {
    Descriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.Get() < 0) return {};
    char buffer[256];
    ssize_t got = read(fd.Get(), buffer, sizeof buffer);
    return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
}

// Some clients (smbnetfs) refuse to rename over, or to delete, a file that
// another program has open for a moment (EBUSY): that is tried again for
// about a second.
template <typename Call>
bool TryWhileBusy(Call call, int& err) {
    for (int attempt = 0;; ++attempt) {
        if (call() == 0) return true;
        if (errno != EBUSY || attempt == 20) {
            err = errno;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool RenameOver(const std::string& from, const std::string& to, int& err) {
    return TryWhileBusy([&] { return rename(from.c_str(), to.c_str()); }, err);
}

bool Unlink(const std::string& path, int& err) {
    return TryWhileBusy([&] { return unlink(path.c_str()); }, err);
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

}  // namespace

const PosixFileStore::LockCalls PosixFileStore::kSystemLocks = {flock, RangeLock};

PlaceTraits PosixFileStore::MountedTraits(const std::string& path) {
    MountOf mount = FindMount(path);
    return TraitsOfFileSystem(mount.type, mount.below);
}

PosixFileStore::PosixFileStore(LockCalls locks, TraitsLookup traits)
    : m_locks(locks), m_traits(std::move(traits)), m_self(ThisCopy()) {}

bool PosixFileStore::IsLockRefused(int err) {
    return err == EBADF || err == ENOLCK || err == EOPNOTSUPP || err == ENOSYS || err == EINVAL;
}

void PosixFileStore::TraceOnce(const std::string& path, const char* what) {
    std::string folder = FolderOf(path);
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

bool PosixFileStore::GetInfo(const std::string& path, Info& info, int& err) const {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0) {
        err = path.empty() ? ENOENT : errno;
        return false;
    }
    info.kind = S_ISDIR(st.st_mode) ? Kind::Folder : Kind::File;
    info.size = static_cast<std::uint64_t>(st.st_size);
    info.modified = static_cast<long long>(st.st_mtime);
    return true;
}

bool PosixFileStore::ListFolder(const std::string& path, std::vector<std::string>& names, int& err) {
    DIR* dir = opendir(path.empty() ? "." : path.c_str());
    if (!dir) {
        err = errno;
        return false;
    }
    names.clear();
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    return true;
}

bool PosixFileStore::CreateFolder(const std::string& path) { return !path.empty() && mkdir(path.c_str(), 0777) == 0; }

// An existing file opened for reading and writing, with a writer's lock.
// GNOME's mounts refuse to open an existing file for writing: there it is
// opened for reading only, and whether the user may write it is asked of
// the file system separately (access), so that a file the user may not
// write still fails as an open for writing would.
int PosixFileStore::OpenToWrite(const std::string& path, int& err) {
    int fd = OpenLocked(path, O_RDWR, err);
    if (fd >= 0 || (err != EOPNOTSUPP && err != ENOTSUP)) return fd;
    fd = OpenLocked(path, O_RDONLY, err);
    if (fd >= 0 && access(path.c_str(), W_OK) != 0) {
        err = errno;
        close(fd);
        return -1;
    }
    return fd;
}

std::unique_ptr<IOpenFile> PosixFileStore::Open(const std::string& path, OpenMode mode, int& err) {
    bool appending = mode == OpenMode::AppendExisting && TraitsOf(path).appends;
    int fd = -1;
    switch (mode) {
        case OpenMode::ReadExisting:
            fd = OpenLocked(path, O_RDONLY, err);
            break;
        case OpenMode::ReadToWrite:
            fd = OpenToWrite(path, err);
            break;
        case OpenMode::AppendExisting:
            fd = OpenLocked(path, O_WRONLY | (appending ? O_APPEND : 0), err);
            break;
    }
    if (fd < 0) return nullptr;
    return std::make_unique<PosixOpenFile>(fd, appending);
}

bool PosixFileStore::CreateNew(const std::string& path, const std::string& bytes, int& err) {
    Descriptor fd(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
    if (fd.Get() < 0) {
        err = errno;
        return false;
    }
    bool ok = WriteAll(fd.Get(), bytes.data(), bytes.size(), err) && (fsync(fd.Get()) == 0 || (err = errno, false));
    ok = fd.Close(err) && ok;
    if (!ok) unlink(path.c_str());
    return ok;
}

// The new content goes to this copy's own temporary file in the same
// folder, reaches the disk, and is renamed over the file; the folder is
// flushed too, so that the rename itself survives a power cut. The file is
// held (locked) while the temporary one is written and let go before the
// rename, which some clients refuse over an open file. A file the user may
// not write is not replaced (EACCES, as an open for writing fails), and its
// replacement keeps its permission bits and, where the user may set it, its
// group.
bool PosixFileStore::WriteAtomically(const std::string& path, const std::string& bytes, int& err) {
    Descriptor current;
    struct stat kept {};
    if (GetKind(path) != Kind::None) {
        // Opened to write, so that its lock is a writer's where only
        // byte-range locks work.
        current.Reset(OpenToWrite(path, err));
        if (current.Get() < 0) return false;
        if (fstat(current.Get(), &kept) != 0) {
            err = errno;
            return false;
        }
    }
    const std::string temporary = TemporaryName(path, m_self);
    Descriptor fd(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666));
    if (fd.Get() < 0) {
        err = errno;
        return false;
    }
    struct stat fresh {};
    if (current.Get() >= 0 && fstat(fd.Get(), &fresh) == 0) {
        // Only what differs is set: a group the user is no member of cannot
        // be given, and FAT and some network clients keep no bits at all.
        if (fresh.st_gid != kept.st_gid && fchown(fd.Get(), static_cast<uid_t>(-1), kept.st_gid) != 0) errno = 0;
        if ((fresh.st_mode & 07777) != (kept.st_mode & 07777) && fchmod(fd.Get(), kept.st_mode & 07777) != 0) {
            errno = 0;
        }
    }
    bool ok = WriteAll(fd.Get(), bytes.data(), bytes.size(), err);
    ok = ok && (fsync(fd.Get()) == 0 || (err = errno, false));
    ok = fd.Close(err) && ok;
    const bool existed = current.Get() >= 0;
    current.Reset();
    ok = ok && (existed && !TraitsOf(path).replacesAtomically ? ReplaceInTwoSteps(temporary, path, err)
                                                              : RenameOver(temporary, path, err));
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    std::string folder = FolderOf(path);
    Descriptor dir(open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0) fsync(dir.Get());
    return true;
}

// For clients whose rename over a file deletes it first: the old file is
// renamed aside, the new one into its place (neither rename meets a file),
// and the old one deleted. Interrupted, the old content stays whole beside
// the place of the file, where the next load finds it (OldCopyName).
bool PosixFileStore::ReplaceInTwoSteps(const std::string& temporary, const std::string& path, int& err) {
    const std::string old = OldCopyName(path, m_self);
    if (!RenameOver(path, old, err)) return false;
    if (!RenameOver(temporary, path, err)) {
        int ignored = 0;
        RenameOver(old, path, ignored);
        return false;
    }
    int ignored = 0;
    if (!Unlink(old, ignored)) Trace("%s stays: %s", old.c_str(), std::strerror(ignored));
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
    if (link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());
        return true;
    }
    if (errno != EPERM && errno != ENOSYS && errno != EOPNOTSUPP && errno != EMLINK) {
        err = errno;
        return false;
    }
    // Nor links (FAT, SMB and NFS through FUSE): the name is looked at first.
    struct stat existing {};
    if (lstat(to.c_str(), &existing) == 0) {
        err = EEXIST;
        return false;
    }
    return RenameOver(from, to, err);
}

bool PosixFileStore::DeleteFile(const std::string& path, int& err) { return Unlink(path, err); }

bool PosixFileStore::RemoveFolder(const std::string& path, int& err) {
    if (rmdir(path.c_str()) == 0) return true;
    err = errno;
    return false;
}

bool PosixFileStore::TakeLock(const std::string& path, const std::string& owner, unsigned waitMs,
                              const TakeOverRule& mayTakeOver, int& err) {
    using Clock = std::chrono::steady_clock;
    const auto wait = std::chrono::milliseconds(waitMs);
    const Clock::time_point start = Clock::now();
    std::string seen;
    Clock::time_point seenSince = start;
    bool tookOver = false;
    const bool exclusive = TraitsOf(path).createsExclusively;
    for (;;) {
        if (CreateNew(path, owner, err)) {
            // A client that cannot create a file exclusively (smbnetfs) may
            // have let another copy create it at the same moment: the text
            // read back, once more after that copy's write had time to come,
            // says who has it.
            bool mine = ReadSmall(path) == owner;
            if (mine && !exclusive) {
                std::this_thread::sleep_for(std::chrono::milliseconds(kCreateSettleMs));
                mine = ReadSmall(path) == owner;
            }
            if (mine) return true;
        } else if (err != EEXIST) {
            return false;
        }
        std::string held = ReadSmall(path);
        Clock::time_point now = Clock::now();
        if (held != seen) {
            seen = held;
            seenSince = now;
        } else if (now - seenSince >= wait) {
            Info info;
            int ignored = 0;
            long long age = GetInfo(path, info, ignored) ? Now() - info.modified : 0;
            if (tookOver || !mayTakeOver(held, age)) {
                err = EWOULDBLOCK;
                return false;
            }
            Trace("%s: taken over from \"%s\", left %lld s ago", path.c_str(), held.substr(0, held.find('\n')).c_str(),
                  age);
            Unlink(path, err);
            tookOver = true;
            continue;
        }
        // Many copies taking turns: not longer than three waits.
        if (now - start >= 3 * wait) {
            err = EWOULDBLOCK;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void PosixFileStore::ReleaseLock(const std::string& path, const std::string& owner) {
    int err = 0;
    if (ReadSmall(path) == owner && !Unlink(path, err)) Trace("%s stays: %s", path.c_str(), std::strerror(err));
}

bool PosixFileStore::IsShared(const std::string& path) { return TraitsOf(path).shared; }

// The mount table is read once per folder, and again only when the folder
// lies on another file system than before (something was mounted there).
PlaceTraits PosixFileStore::TraitsOf(const std::string& path) {
    const std::string folder = FolderOf(path);
    struct stat st {};
    bool known = stat(folder.empty() ? "." : folder.c_str(), &st) == 0;
    {
        std::lock_guard<std::mutex> hold(m_traitsLock);
        auto it = m_knownTraits.find(folder);
        if (known && it != m_knownTraits.end() && it->second.first == st.st_dev) return it->second.second;
    }
    PlaceTraits traits = m_traits(path);
    std::lock_guard<std::mutex> hold(m_traitsLock);
    if (known) m_knownTraits[folder] = {st.st_dev, traits};
    return traits;
}

bool PosixFileStore::IsRunningHere(long pid) const { return IsProcessRunning(pid); }

long long PosixFileStore::Now() const { return static_cast<long long>(time(nullptr)); }

}  // namespace dorv
