// The learner data's file system on POSIX. Two copies of the program on
// one machine hold each other off with advisory locks (flock): every open
// file is locked exclusively, and an open that meets another copy's lock
// fails with EWOULDBLOCK instead of waiting. Where the file system refuses
// that kind of lock (NFS, some network and FUSE file systems), a byte-range
// lock of the kind the open allows stands in, and where it refuses that too
// the file is used without a lock: a lock is never a reason for a load or
// save to fail. Between machines, lock files stand in (SharedFiles.h).
//
// Only operations that every client of the shares schools mount can do are
// used: an existing file is opened for reading or appending only (GNOME's
// mounts open it for nothing else), a file is emptied only by creating it
// (smbnetfs refuses to truncate one open for writing), nothing is renamed
// over a file that is open (smbnetfs refuses it), and where a client cannot
// open for appending (smbnetfs) an append writes at the file's end.
#pragma once

#include <fcntl.h>

#include <sys/types.h>

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "learner/FileStore.h"
#include "learner/FileSystems.h"

namespace dorv {

class PosixFileStore : public IFileStore {
public:
    // The system's lock calls; tests stand in file systems that refuse them.
    struct LockCalls {
        int (*whole)(int fd, int operation);          // flock(2)
        int (*range)(int fd, struct flock* request);  // fcntl(2), F_OFD_SETLK
    };
    static const LockCalls kSystemLocks;
    // What the place of a path can do; by default from the mount table.
    using TraitsLookup = std::function<PlaceTraits(const std::string& path)>;
    static PlaceTraits MountedTraits(const std::string& path);

    explicit PosixFileStore(LockCalls locks = kSystemLocks, TraitsLookup traits = MountedTraits);

    // Errors with which a file system refuses a kind of lock, as opposed to
    // another holder of the file: NFS emulates flock with byte-range locks
    // and refuses an exclusive one on a descriptor opened for reading
    // (EBADF); NFSv3 without a lock manager answers ENOLCK; others
    // EOPNOTSUPP, ENOSYS or EINVAL.
    static bool IsLockRefused(int err);

    // Tests name the copy as another machine's would be named.
    void SetSelf(const CopyId& self) { m_self = self; }

    Kind GetKind(const std::string& path) const override;
    bool GetInfo(const std::string& path, Info& info, int& err) const override;
    bool ListFolder(const std::string& path, std::vector<std::string>& names, int& err) override;
    bool CreateFolder(const std::string& path) override;
    std::unique_ptr<IOpenFile> Open(const std::string& path, OpenMode mode, int& err) override;
    bool CreateNew(const std::string& path, const std::string& bytes, int& err) override;
    bool WriteAtomically(const std::string& path, const std::string& bytes, int& err) override;
    bool Rename(const std::string& from, const std::string& to, int& err) override;
    bool DeleteFile(const std::string& path, int& err) override;
    bool RemoveFolder(const std::string& path, int& err) override;
    bool TakeLock(const std::string& path, const std::string& owner, unsigned waitMs, const TakeOverRule& mayTakeOver,
                  int& err) override;
    void ReleaseLock(const std::string& path, const std::string& owner) override;
    bool IsShared(const std::string& path) override;
    const CopyId& Self() const override { return m_self; }
    bool IsRunningHere(long pid) const override;
    long long Now() const override;

private:
    int OpenLocked(const std::string& path, int flags, int& err);
    int OpenToWrite(const std::string& path, int& err);
    bool ReplaceInTwoSteps(const std::string& temporary, const std::string& path, int& err);
    bool Lock(int fd, int flags, const std::string& path, int& err);
    void TraceOnce(const std::string& path, const char* what);
    PlaceTraits TraitsOf(const std::string& path);

    LockCalls m_locks;
    TraitsLookup m_traits;
    std::mutex m_traitsLock;                                             // calls come from several threads
    std::map<std::string, std::pair<dev_t, PlaceTraits>> m_knownTraits;  // by folder
    CopyId m_self;
    std::mutex m_traceLock;                 // calls come from several threads
    std::set<std::string> m_tracedFolders;  // the places whose lock fallback was traced
};

}  // namespace dorv
