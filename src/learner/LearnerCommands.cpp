// The page's drive and learner commands.
#include <vector>

#include "common/Trace.h"
#include "learner/DriveList.h"
#include "learner/FileStore.h"
#include "learner/LearnerData.h"
#include "learner/LearnerStore.h"
#include "learner/ScriptHost.h"

namespace dorv {
namespace {

// The page names learner folders, and a page may come from a network: a
// name that is no plain folder name would reach files elsewhere. The empty
// name keeps its meaning (the course data folder itself).
bool IsAcceptableLearnerName(const std::string& name) { return name.empty() || IsSafeFolderName(name); }

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
    // PREF.PRF missing beside a safety copy: a save of an older installation
    // was interrupted, and the copy holds the learner list.
    std::string copy = path + kPrefSafetyCopySuffix;
    IFileStore& files = m_services.files;
    if (files.GetKind(path) == IFileStore::Kind::None && files.GetKind(copy) == IFileStore::Kind::File) {
        Trace("%s is missing: loading its safety copy", path.c_str());
        path = copy;
    }
    LoadFileToPage(path, "UpdateUsers");
}

void CLearnerData::SelectLearner(const std::string& name) {
    if (!IsAcceptableLearnerName(name)) {
        Trace("learner name \"%s\" refused: no learner selected", name.c_str());
        m_strLearnerFolder.clear();
        m_store.ClearHistoryLearner();
        return;
    }
    m_strLearnerFolder = m_store.GetCourseDataFolder() + name + "/";
    m_store.SetHistoryLearner(name);
}

void CLearnerData::CreateLearnerFolder(const std::string& name) {
    if (!IsAcceptableLearnerName(name)) {
        Trace("learner name \"%s\" refused: no folder created", name.c_str());
        return;
    }
    if (EnsureDirectory(m_services.files, m_store.GetCourseDataFolder() + name)) SavePreferences();
}

void CLearnerData::RenameLearner() { SavePreferences(); }

void CLearnerData::DeleteLearnerFolder() {
    if (!m_strLearnerFolder.empty()) {
        int ignored = 0;
        for (const char* file : {CLearnerStore::kHistoryFileName, kPositionFile, kScoreFile}) {
            m_services.files.DeleteFile(m_strLearnerFolder + file, ignored);
        }
        m_services.files.RemoveFolder(m_strLearnerFolder, ignored);
    }
    SavePreferences();
}

}  // namespace dorv
