// Which copy of the program has a learner, on places where file locks do
// not reach from one machine to another: the copy that selects a learner
// nobody has writes a lock file naming itself into the learner folder
// (kLearnerLockName), rewrites it while it runs and deletes it when it lets
// go. Another copy that finds a lock of a copy still there treats the
// learner's files as the old shell treated a file another copy held: it
// reads them and appends to the history, but neither replaces nor deletes
// them, and the learner is told on each refused save. On other places
// (local disks, sticks) nothing is written: file locks do the work there.
#pragma once

#include <string>

namespace dorv {

class IFileStore;

class CLearnerClaim {
public:
    explicit CLearnerClaim(IFileStore& files) : m_files(files) {}
    ~CLearnerClaim() = default;
    CLearnerClaim(const CLearnerClaim&) = delete;
    CLearnerClaim& operator=(const CLearnerClaim&) = delete;

    // The learner of `folder` (a learner folder ending in "/") is selected:
    // the learner held before is let go, and this one is taken unless
    // another copy that is still there has it.
    void Select(const std::string& folder);
    // Whether another copy that is still there has the learner of `folder`
    // now (`holder` then says which); when nobody has it, this copy takes it.
    bool IsHeldByAnother(const std::string& folder, std::string& holder);
    // Rewrites this copy's lock file, so that other machines see that this
    // copy is still there.
    void Refresh();
    // Lets go of the learner: this copy's lock file is deleted.
    void Release();
    // The folder of the learner this copy has, or "".
    const std::string& HeldFolder() const { return m_folder; }

private:
    IFileStore& m_files;
    std::string m_folder;
};

}  // namespace dorv
