// The learner's data between the page and the disk: the data files
// PREF.PRF, TASK.DAT and SCORE.DAT, the history records, and the drive and
// learner commands of the page. The page's texts are stored unchanged, in
// code page 932, as existing installations wrote them.
#pragma once

#include <set>
#include <string>

#include "learner/LearnerClaim.h"

namespace dorv {

class CLearnerStore;
class IDriveList;
class IFileStore;
class IMessageBox;
class IScriptHost;

class CLearnerData {
public:
    static constexpr const char* kPrefFile = "PREF.PRF";
    static constexpr const char* kPrefSafetyCopySuffix = ".bak";
    static constexpr const char* kPositionFile = "TASK.DAT";
    static constexpr const char* kScoreFile = "SCORE.DAT";
    static constexpr int kDataBufferSize = 128;
    static constexpr int kSmallBufferSize = 32;

    struct Services {
        IScriptHost& page;
        IFileStore& files;
        IDriveList& drives;
        IMessageBox& messages;
    };

    // `learnerFolder` is the view's selected learner folder ("" or a path
    // ending in "/"), which the learner commands set.
    CLearnerData(Services services, CLearnerStore& store, std::string& learnerFolder);
    CLearnerData(const CLearnerData&) = delete;
    CLearnerData& operator=(const CLearnerData&) = delete;

    // Data files.
    bool LoadFileToPage(const std::string& path, const std::string& function);
    bool SavePageDataToFile(const std::string& function, const std::string& path, int receiveBufferSize);
    bool LoadPosition();
    bool LoadScores();
    bool SavePosition();
    bool SaveScores();
    bool SavePreferences();

    // One record from the page's GetLogData, appended to the history file;
    // true when the page gave one.
    bool SaveHistoryRecord();

    // Drive and learner commands.
    bool ListDrives();
    void SelectDrive(const std::string& letter);
    void SelectLearner(const std::string& name);
    void CreateLearnerFolder(const std::string& name);
    void RenameLearner();
    void DeleteLearnerFolder();

    // On shared places: the selected learner's lock file is rewritten now
    // and then while the program runs, and deleted when it closes.
    void RefreshLearnerClaim() { m_claim.Refresh(); }
    void ReleaseLearnerClaim() { m_claim.Release(); }
    bool HoldsLearnerClaim() const { return !m_claim.HeldFolder().empty(); }

private:
    // PREF.PRF at `path` missing or empty beside a non-empty safety copy.
    bool IsInterruptedPreferenceSave(const std::string& path);
    // Saves the page function's text in `path`. `learnerFolder`, when not
    // empty, is the learner folder the file belongs to: the file is not
    // replaced while another copy has that learner.
    bool SavePageText(const std::string& function, const std::string& path, int receiveBufferSize,
                      const std::string& learnerFolder);
    bool SaveLearnerFile(const char* function, const char* file);
    // Removes what interrupted saves of copies that are surely gone left in
    // `folder` (after the first save into a folder, before a learner folder
    // is removed, when a file to load is missing), and puts back the old
    // content of a file whose replace stopped halfway; true when it did.
    bool RemoveLeftovers(const std::string& folder);

    Services m_services;
    CLearnerStore& m_store;
    std::string& m_strLearnerFolder;
    CLearnerClaim m_claim;
    std::set<std::string> m_cleanedFolders;
};

}  // namespace dorv
