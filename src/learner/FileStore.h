// What the learner data needs of the file system. Paths are UTF-8 and are
// used as they are given (a relative one is taken from the working folder by
// the platform). Every error is an errno; EWOULDBLOCK means that another
// copy of the program has the file open.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "learner/SharedFiles.h"

namespace dorv {

// An open file. It is held against other copies of the program on this
// machine until it is destroyed: they can open it neither for reading nor
// for writing.
class IOpenFile {
public:
    virtual ~IOpenFile() = default;
    virtual bool GetLength(std::uint64_t& length, int& err) = 0;
    // Up to `count` bytes from `offset`; fewer only at the end of the file.
    virtual bool ReadAt(std::uint64_t offset, std::size_t count, std::string& bytes, int& err) = 0;
    // Writes all the bytes at the end of the file, in one write.
    virtual bool Append(const std::string& bytes, int& err) = 0;
};

class IFileStore {
public:
    enum class Kind { None, File, Folder };
    enum class OpenMode {
        ReadExisting,    // an existing file, for reading
        ReadToWrite,     // the same, by one who will write it: fails when the user may not (EACCES, EROFS)
        AppendExisting,  // an existing file, for appending; never created, never truncated
    };
    struct Info {
        Kind kind = Kind::None;
        std::uint64_t size = 0;
        long long modified = 0;  // seconds since 1970, as the place's clock gave them
    };

    virtual ~IFileStore() = default;

    virtual Kind GetKind(const std::string& path) const = 0;
    virtual bool GetInfo(const std::string& path, Info& info, int& err) const = 0;
    // The names in a folder, without "." and "..".
    virtual bool ListFolder(const std::string& path, std::vector<std::string>& names, int& err) = 0;
    // Creates one folder level; false when it cannot (the parent is missing,
    // it exists already, no permission).
    virtual bool CreateFolder(const std::string& path) = 0;
    virtual std::unique_ptr<IOpenFile> Open(const std::string& path, OpenMode mode, int& err) = 0;
    // A new file with the bytes, flushed to the disk; fails (EEXIST) when a
    // file of that name exists.
    virtual bool CreateNew(const std::string& path, const std::string& bytes, int& err) = 0;
    // Replaces the file's content as one step: whatever happens, the file
    // afterwards holds either its old content or all of the new one. The new
    // content goes to this copy's own temporary file (TemporaryName) first.
    // Fails without touching the file while another copy of the program on
    // this machine holds it, and when the user may not write it (EACCES).
    virtual bool WriteAtomically(const std::string& path, const std::string& bytes, int& err) = 0;
    // Renames a file; fails (EEXIST) rather than replace an existing one.
    virtual bool Rename(const std::string& from, const std::string& to, int& err) = 0;
    virtual bool DeleteFile(const std::string& path, int& err) = 0;
    // Removes a folder that is empty.
    virtual bool RemoveFolder(const std::string& path, int& err) = 0;

    // Takes the lock file `path` by creating it with the text `owner`. While
    // another copy holds it, tries again for up to `waitMs`; a lock that
    // stayed the same all that time is taken over when `mayTakeOver` (given
    // its text and its age in seconds) says so. Fails with EWOULDBLOCK
    // otherwise. Released by deleting it (ReleaseLock).
    using TakeOverRule = std::function<bool(const std::string& heldText, long long ageSeconds)>;
    virtual bool TakeLock(const std::string& path, const std::string& owner, unsigned waitMs,
                          const TakeOverRule& mayTakeOver, int& err) = 0;
    // Deletes the lock file if it still holds `owner`.
    virtual void ReleaseLock(const std::string& path, const std::string& owner) = 0;

    // Whether other machines may use the place of `path` with locks that do
    // not reach them, so that lock files must stand in (see SharedFiles.h).
    virtual bool IsShared(const std::string& path) = 0;
    // This copy of the program, as its temporary and lock files name it.
    virtual const CopyId& Self() const = 0;
    // Whether a process of that number runs on this machine.
    virtual bool IsRunningHere(long pid) const = 0;
    // Seconds since 1970 by this machine's clock.
    virtual long long Now() const = 0;
};

// True when a folder of that name exists afterwards: creates one level only
// and reports nothing.
bool EnsureDirectory(IFileStore& files, const std::string& path);

// The largest data file that is read: the page's data is small, and a file
// of gigabytes (a sparse file, a damaged stick) would hold the window.
constexpr std::uint64_t kMaxDataFileBytes = std::uint64_t{16} * 1024 * 1024;

// Reads a whole existing file, held against other copies while it is read.
// A file larger than kMaxDataFileBytes is not read (EOVERFLOW).
bool ReadWholeFile(IFileStore& files, const std::string& path, std::string& bytes, int& err);

// The age of the file in seconds by this machine's clock; nothing when it
// cannot be looked at.
std::optional<long long> AgeOf(IFileStore& files, const std::string& path);

}  // namespace dorv
