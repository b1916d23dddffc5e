// Where the learners' data of this course is kept: the course data folder
// "<base>/PLENA/<course folder name>/" on the chosen drive, and the current
// learner's history file, which this record also keeps valid and appends to.
#pragma once

#include <optional>
#include <string>

namespace dorv {

class IDriveList;
class IFileStore;
class IMessageBox;

class CLearnerStore {
public:
    static constexpr const char* kHistoryFileName = "HISTORY.DAT";
    // The first line of every history file, 85 bytes.
    static constexpr const char kHistoryHeader[] =
        "CD,lecture,unit,step,part,section,start date,start time,end date,end time,total time\n";
    static constexpr size_t kHistoryHeaderSize = sizeof(kHistoryHeader) - 1;

    CLearnerStore(IFileStore& files, IDriveList& drives, IMessageBox& messages);
    CLearnerStore(const CLearnerStore&) = delete;
    CLearnerStore& operator=(const CLearnerStore&) = delete;

    // Stores the name; the course data folder is not recomputed.
    void SetCourseFolderName(const std::string& name) { m_strCourseFolderName = name; }
    const std::string& GetCourseFolderName() const { return m_strCourseFolderName; }

    // Stores the drive ("F:") and recomputes the course data folder.
    void SetDrive(const std::string& drive);
    const std::string& GetDrive() const { return m_strDrive; }
    // True when a course data folder was set; its folders are created when
    // missing, one level at a time.
    bool UpdateCourseDataFolder();
    const std::string& GetCourseDataFolder() const { return m_strCourseDataFolder; }

    // The history file becomes <course data folder><name>/HISTORY.DAT; no
    // file is touched. ClearHistoryLearner leaves no history file at all.
    void SetHistoryLearner(const std::string& name);
    void ClearHistoryLearner() { m_strHistoryFilePath.clear(); }
    const std::string& GetHistoryFilePath() const { return m_strHistoryFilePath; }

    // Appends the record's bytes (code page 932) to the current learner's
    // history file, which is made valid first: created with its header when
    // missing or empty, set aside as HISTORY.DAT-<seconds> and started anew
    // when it does not start with the header. The file is the one of the
    // learner chosen when the append began, whatever a command does while a
    // message of it is shown. On shared places the history's lock file
    // keeps other machines' appends apart.
    bool AppendHistoryRecord(const std::string& record);

    // The clock of the set-aside names, seconds since 1970 (tests set it).
    void SetClock(long long (*now)()) { m_now = now; }

private:
    class HistoryLock;
    // Makes sure that a valid history file exists at `path`: one that starts
    // with the header. Takes the history's lock (on shared places) and lets
    // it go while a message is shown.
    bool PrepareHistoryFile(const std::string& path, HistoryLock& lock);

    IFileStore& m_files;
    IDriveList& m_drives;
    IMessageBox& m_messages;
    long long (*m_now)();
    std::string m_strCourseFolderName;
    std::string m_strDrive;
    std::string m_strCourseDataFolder;
    std::string m_strHistoryFilePath;
};

// A name that can be one folder inside another: not empty, not "." or "..",
// no "/" or "\", no control character. Anything else would reach outside.
bool IsSafeFolderName(const std::string& name);

// A name from the page as the folder it names: host text, so through code
// page 932 and back, as the old shell's names went. Characters the code page
// folds (U+301C and U+FF5E, U+2212 and U+FF0D …) name one folder, the one an
// existing installation made. Nothing when the code page lacks a character
// of the name: no folder can be named by it.
std::optional<std::string> AsHostText(const std::string& name);

// The name of an invalid history file set aside at `seconds` (the low 32
// bits, as a signed number).
std::string SetAsideName(const std::string& historyPath, long long seconds);

}  // namespace dorv
