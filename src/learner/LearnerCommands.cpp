// The page's drive and learner commands.
#include <cerrno>
#include <optional>
#include <vector>

#include "common/Location.h"
#include "common/MessageBox.h"
#include "common/Trace.h"
#include "learner/DriveList.h"
#include "learner/FileStore.h"
#include "learner/LearnerData.h"
#include "learner/LearnerStore.h"
#include "learner/ScriptHost.h"

namespace dorv {
namespace {

// The folder that the page's learner name names: the name as host text
// (code page 932). The page may come from a network: a name that is no plain
// folder name would reach files elsewhere, and one the code page cannot hold
// names no folder; both give nothing. The empty name keeps its meaning (the
// course data folder itself).
std::optional<std::string> LearnerFolderName(const std::string& name) {
    std::optional<std::string> host = AsHostText(name);
    if (!host || !(host->empty() || IsSafeFolderName(*host))) return std::nullopt;
    return host;
}

bool IsListed(const DrivePlace& place) {
    if (!place.writable) return false;  // read-only media are no place for learner data
    switch (place.type) {
        case DriveType::Removable:
        case DriveType::Remote:
            return true;
        case DriveType::Fixed:
            return place.system;
        case DriveType::None:
            return false;
    }
    return false;
}

}  // namespace

bool CLearnerData::ListDrives() {
    std::string list;
    for (const DrivePlace& place : m_services.drives.BuildList()) {
        if (!IsListed(place)) continue;
        list += std::string(1, place.letter) + ": (" + m_services.drives.TypeName(place.type) + ")\n";
    }
    // Not quoted: a type name with a comma reaches the page as two arguments.
    m_services.page.CallScript("UpdateDrives", list);
    return true;
}

void CLearnerData::SelectDrive(const std::string& letter) {
    m_store.SetDrive(letter + ":");
    const std::string& folder = m_store.GetCourseDataFolder();
    if (folder.empty()) return;
    std::string path = folder + kPrefFile;
    // PREF.PRF missing or empty beside a safety copy: a save of an older
    // installation was interrupted, and the copy holds the learner list.
    if (IsInterruptedPreferenceSave(path)) {
        Trace("%s is missing or empty: loading its safety copy", path.c_str());
        path += kPrefSafetyCopySuffix;
    }
    LoadFileToPage(path, "UpdateUsers");
}

void CLearnerData::SelectLearner(const std::string& name) {
    std::optional<std::string> folder = LearnerFolderName(name);
    if (!folder) {
        Trace("learner name \"%s\" refused: no learner selected", name.c_str());
        m_strLearnerFolder.clear();
        m_store.ClearHistoryLearner();
        m_claim.Release();
        return;
    }
    m_strLearnerFolder = m_store.GetCourseDataFolder() + *folder + "/";
    m_store.SetHistoryLearner(*folder);
    m_claim.Select(m_strLearnerFolder);
}

void CLearnerData::CreateLearnerFolder(const std::string& name) {
    std::optional<std::string> folder = LearnerFolderName(name);
    if (!folder) {
        Trace("learner name \"%s\" refused: no folder created", name.c_str());
        return;
    }
    if (EnsureDirectory(m_services.files, m_store.GetCourseDataFolder() + *folder)) SavePreferences();
}

void CLearnerData::RenameLearner() { SavePreferences(); }

// The files of a learner another copy has are not deleted under it: the
// learner is told, as for a save that another copy keeps from the file.
void CLearnerData::DeleteLearnerFolder() {
    const std::string folder = m_strLearnerFolder;
    std::string holder;
    if (!folder.empty() && m_claim.IsHeldByAnother(folder, holder)) {
        const std::string history = folder + CLearnerStore::kHistoryFileName;
        Trace("%s not deleted: the learner is in use by %s", folder.c_str(), holder.c_str());
        ShowAppMessage(m_services.messages, FileErrorText(EWOULDBLOCK, history), "the learner is in use by " + holder);
    } else if (!folder.empty()) {
        int ignored = 0;
        for (const char* file : {CLearnerStore::kHistoryFileName, kPositionFile, kScoreFile}) {
            m_services.files.DeleteFile(folder + file, ignored);
        }
        // What interrupted saves left, and this copy's lock file, would keep
        // the folder.
        RemoveLeftovers(folder);
        if (m_claim.HeldFolder() == folder) m_claim.Release();
        m_services.files.RemoveFolder(folder, ignored);
    }
    SavePreferences();
}

}  // namespace dorv
