// What the learner data needs of the file system. Paths are UTF-8 and are
// used as they are given (a relative one is taken from the working folder by
// the platform). Every error is an errno; EWOULDBLOCK means that another
// copy of the program has the file open.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace dorv {

// An open file. It is held against other copies of the program until it is
// destroyed: they can open it neither for reading nor for writing.
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
        ReadExisting,       // an existing file, for reading
        ReadWriteOrCreate,  // created empty when missing, never truncated
        AppendOrCreate,     // created empty when missing, never truncated; writes go to the end
        CreateOrTruncate,   // created or emptied, for writing
    };

    virtual ~IFileStore() = default;

    virtual Kind GetKind(const std::string& path) const = 0;
    // Creates one folder level; false when it cannot (the parent is missing,
    // it exists already, no permission).
    virtual bool CreateFolder(const std::string& path) = 0;
    virtual std::unique_ptr<IOpenFile> Open(const std::string& path, OpenMode mode, int& err) = 0;
    // Replaces the file's content as one step: whatever happens, the file
    // afterwards holds either its old content or all of the new one. Fails
    // without touching the file while another copy of the program holds it.
    virtual bool WriteAtomically(const std::string& path, const std::string& bytes, int& err) = 0;
    // Renames a file; fails (EEXIST) rather than replace an existing one.
    virtual bool Rename(const std::string& from, const std::string& to, int& err) = 0;
    virtual bool DeleteFile(const std::string& path, int& err) = 0;
    // Removes a folder that is empty.
    virtual bool RemoveFolder(const std::string& path, int& err) = 0;
    // Removes the temporary file that an interrupted WriteAtomically of
    // `path` left, unless a save of it is under way; true when one was
    // removed.
    virtual bool RemoveLeftTemporary(const std::string& path) = 0;

    // What WriteAtomically appends to the file's name for its temporary file.
    static constexpr const char* kTemporarySuffix = ".new";
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

}  // namespace dorv
