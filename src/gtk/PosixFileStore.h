// The learner data's file system on POSIX. Two copies of the program hold
// each other off with advisory locks (flock): every open file is locked
// exclusively, and an open that meets another copy's lock fails with
// EWOULDBLOCK instead of waiting. Where the file system refuses that kind of
// lock (NFS, some network and FUSE file systems), a byte-range lock of the
// kind the open allows stands in, and where it refuses that too the file is
// used without a lock: a lock is never a reason for a load or save to fail.
#pragma once

#include <fcntl.h>

#include <mutex>
#include <set>
#include <string>

#include "learner/FileStore.h"

namespace dorv {

class PosixFileStore : public IFileStore {
public:
    // The system's lock calls; tests stand in file systems that refuse them.
    struct LockCalls {
        int (*whole)(int fd, int operation);          // flock(2)
        int (*range)(int fd, struct flock* request);  // fcntl(2), F_OFD_SETLK
    };
    static const LockCalls kSystemLocks;

    explicit PosixFileStore(LockCalls locks = kSystemLocks) : m_locks(locks) {}

    // Errors with which a file system refuses a kind of lock, as opposed to
    // another holder of the file: NFS emulates flock with byte-range locks
    // and refuses an exclusive one on a descriptor opened for reading
    // (EBADF); NFSv3 without a lock manager answers ENOLCK; others
    // EOPNOTSUPP, ENOSYS or EINVAL.
    static bool IsLockRefused(int err);

    Kind GetKind(const std::string& path) const override;
    bool CreateFolder(const std::string& path) override;
    std::unique_ptr<IOpenFile> Open(const std::string& path, OpenMode mode, int& err) override;
    bool WriteAtomically(const std::string& path, const std::string& bytes, int& err) override;
    bool Rename(const std::string& from, const std::string& to, int& err) override;
    bool DeleteFile(const std::string& path, int& err) override;
    bool RemoveFolder(const std::string& path, int& err) override;
    bool RemoveLeftTemporary(const std::string& path) override;

private:
    int OpenLocked(const std::string& path, int flags, int& err);
    bool Lock(int fd, int flags, const std::string& path, int& err);
    void TraceOnce(const std::string& path, const char* what);

    LockCalls m_locks;
    std::mutex m_traceLock;                 // calls come from several threads
    std::set<std::string> m_tracedFolders;  // the places whose lock fallback was traced
};

}  // namespace dorv
