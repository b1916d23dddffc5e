// The learner data's file system on POSIX. Two copies of the program hold
// each other off with advisory locks (flock): every open file is locked
// exclusively, and an open that meets another copy's lock fails with
// EWOULDBLOCK instead of waiting.
#pragma once

#include "learner/FileStore.h"

namespace dorv {

class PosixFileStore : public IFileStore {
public:
    Kind GetKind(const std::string& path) const override;
    bool CreateFolder(const std::string& path) override;
    std::unique_ptr<IOpenFile> Open(const std::string& path, OpenMode mode, int& err) override;
    bool WriteAtomically(const std::string& path, const std::string& bytes, int& err) override;
    bool Rename(const std::string& from, const std::string& to, int& err) override;
    bool DeleteFile(const std::string& path, int& err) override;
    bool RemoveFolder(const std::string& path, int& err) override;
};

}  // namespace dorv
