#include "learner/LearnerClaim.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include "common/Trace.h"
#include "learner/FileStore.h"
#include "learner/SharedFiles.h"

namespace dorv {

void CLearnerClaim::Select(const std::string& folder) {
    if (folder != m_folder) Release();
    std::string holder;
    if (IsHeldByAnother(folder, holder)) {
        Trace("%s: the learner is in use by %s", folder.c_str(), holder.c_str());
    }
}

bool CLearnerClaim::IsHeldByAnother(const std::string& folder, std::string& holder) {
    if (folder.empty() || !m_files.IsShared(folder)) return false;
    const std::string lock = folder + kLearnerLockName;
    const CopyId& self = m_files.Self();
    const std::string own = LockText(self);
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::string text;
        int err = 0;
        if (!ReadWholeFile(m_files, lock, text, err)) {
            if (err != ENOENT) {
                Trace("%s cannot be read (%s): the learner is taken as nobody's", lock.c_str(), std::strerror(err));
                return false;
            }
            // Nobody has the learner: this copy takes it, unless another
            // copy took it at the same moment.
            if (m_files.CreateNew(lock, own, err)) {
                m_folder = folder;
                return false;
            }
            if (err == EEXIST) continue;
            return false;  // no learner folder, no right to write: nothing to hold
        }
        std::optional<CopyId> named = ParseLockText(text);
        if (named && *named == self) {
            m_folder = folder;
            return false;
        }
        bool running = named && named->OnSameMachine(self) && m_files.IsRunningHere(named->pid);
        if (IsHolderPresent(named, self, running, AgeOf(m_files, lock).value_or(0))) {
            holder = named ? named->host + " (process " + std::to_string(named->pid) + ")" : "another copy";
            return true;
        }
        // Its holder is gone: this copy takes the learner over.
        if (!m_files.WriteAtomically(lock, own, err)) return false;
        Trace("%s: taken over from a copy that is gone (%s)", lock.c_str(), text.substr(0, text.find('\n')).c_str());
        m_folder = folder;
        return false;
    }
    return false;
}

void CLearnerClaim::Refresh() {
    if (m_folder.empty()) return;
    const std::string lock = m_folder + kLearnerLockName;
    std::string text;
    int err = 0;
    if (ReadWholeFile(m_files, lock, text, err) && text != LockText(m_files.Self())) {
        Trace("%s names another copy now: the learner is no longer held", lock.c_str());
        m_folder.clear();
        return;
    }
    m_files.WriteAtomically(lock, LockText(m_files.Self()), err);
}

void CLearnerClaim::Release() {
    if (m_folder.empty()) return;
    m_files.ReleaseLock(m_folder + kLearnerLockName, LockText(m_files.Self()));
    m_folder.clear();
}

}  // namespace dorv
