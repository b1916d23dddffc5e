// The data files and the history records.
#include "learner/LearnerData.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "common/Location.h"
#include "common/MessageBox.h"
#include "common/TextEncoding.h"
#include "common/Trace.h"
#include "learner/FileStore.h"
#include "learner/LearnerStore.h"
#include "learner/ScriptHost.h"
#include "learner/SharedFiles.h"

namespace dorv {
namespace {

// The page's text as it is stored: up to its first NUL, in code page 932.
std::string ToFileBytes(const std::string& text) { return Utf8ToCp932Lossy(text.substr(0, text.find('\0'))); }

// A file's bytes as the page gets them: decoded, up to the first NUL.
std::string FromFileBytes(const std::string& bytes) {
    std::string text = Cp932ToUtf8Lenient(bytes);
    return text.substr(0, text.find('\0'));
}

// Errors of opening (and holding) a file, which a save reports to no one;
// anything else went wrong while writing and is shown.
bool IsOpenFailure(int err) {
    switch (err) {
        case ENOENT:
        case ENOTDIR:
        case EISDIR:
        case EACCES:
        case EPERM:
        case EROFS:
        case ENAMETOOLONG:
        case ELOOP:
        case EMFILE:
        case ENFILE:
        case EWOULDBLOCK:
            return true;
        default:
            return false;
    }
}

// The leading decimal integer: white space and one sign first, digits up to
// the first other character, 0 without digits; clamped to the int range.
int LeadingInteger(const std::string& text) {
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int>(value);
}

// The length of an existing file, or nothing when it cannot be opened.
std::optional<std::uint64_t> FileLength(IFileStore& files, const std::string& path) {
    int err = 0;
    std::unique_ptr<IOpenFile> file = files.Open(path, IFileStore::OpenMode::ReadExisting, err);
    std::uint64_t length = 0;
    if (!file || !file->GetLength(length, err)) return std::nullopt;
    return length;
}

}  // namespace

bool CLearnerData::IsInterruptedPreferenceSave(const std::string& path) {
    IFileStore& files = m_services.files;
    const std::string copy = path + kPrefSafetyCopySuffix;
    if (files.GetKind(copy) != IFileStore::Kind::File || FileLength(files, copy).value_or(0) == 0) return false;
    return files.GetKind(path) == IFileStore::Kind::None ||
           (files.GetKind(path) == IFileStore::Kind::File && FileLength(files, path) == std::uint64_t{0});
}

bool CLearnerData::RemoveLeftovers(const std::string& folder) {
    IFileStore& files = m_services.files;
    std::vector<std::string> names;
    int err = 0;
    if (!files.ListFolder(folder.empty() ? "." : folder, names, err)) return false;
    const CopyId& self = files.Self();
    bool restored = false;
    for (const std::string& name : names) {
        for (const char* file :
             {kPrefFile, kPositionFile, kScoreFile, CLearnerStore::kHistoryFileName, kLearnerLockName}) {
            std::optional<Leftover> leftover = ParseLeftover(name, file);
            if (!leftover) continue;
            bool running =
                !leftover->unnamed && leftover->owner.OnSameMachine(self) && files.IsRunningHere(leftover->owner.pid);
            std::optional<long long> age = AgeOf(files, folder + name);
            if (!age || !IsLeftoverAbandoned(*leftover, self, running, *age)) break;
            // The old content of a replace that stopped halfway goes back
            // in place when the file is missing.
            if (leftover->oldCopy && files.GetKind(folder + file) == IFileStore::Kind::None) {
                if (files.Rename(folder + name, folder + file, err)) {
                    Trace("%s%s: the old content of an interrupted save, put back", folder.c_str(), name.c_str());
                    restored = true;
                }
            } else if (files.DeleteFile(folder + name, err)) {
                Trace("%s%s: left by an interrupted save, removed", folder.c_str(), name.c_str());
            }
            break;
        }
    }
    return restored;
}

CLearnerData::CLearnerData(Services services, CLearnerStore& store, std::string& learnerFolder)
    : m_services(services), m_store(store), m_strLearnerFolder(learnerFolder), m_claim(services.files) {}

bool CLearnerData::LoadFileToPage(const std::string& path, const std::string& function) {
    int err = 0;
    std::string bytes;
    bool read = ReadWholeFile(m_services.files, path, bytes, err);
    // A missing file may be one whose replace stopped halfway.
    if (!read && err == ENOENT && RemoveLeftovers(path.substr(0, path.rfind('/') + 1))) {
        read = ReadWholeFile(m_services.files, path, bytes, err);
    }
    if (read && !bytes.empty()) {
        // Quoted whole, so that commas and quotes in the content stay in
        // the one argument.
        m_services.page.CallScript(function, "'" + FromFileBytes(bytes) + "'");
        return true;
    }
    // A file that is missing, held by another copy of the program or empty
    // gives the page no argument; a failed read is shown first.
    if (!read && !IsOpenFailure(err)) ShowFileError(m_services.messages, err, path);
    if (!read) Trace("%s not loaded: %s", path.c_str(), std::strerror(err));
    m_services.page.CallScript(function, "");
    return false;
}

bool CLearnerData::SavePageDataToFile(const std::string& function, const std::string& path, int receiveBufferSize) {
    return SavePageText(function, path, receiveBufferSize, {});
}

// A save that fails is shown, whatever the reason: on a share, a file that
// cannot be written is otherwise the learner's work lost unseen.
bool CLearnerData::SavePageText(const std::string& function, const std::string& path, int receiveBufferSize,
                                const std::string& learnerFolder) {
    std::string text;
    if (!m_services.page.CallScriptForText(function, receiveBufferSize, text)) return false;
    int err = 0;
    std::string holder;
    if (m_claim.IsHeldByAnother(learnerFolder, holder)) {
        err = EWOULDBLOCK;
    } else if (m_services.files.WriteAtomically(path, ToFileBytes(text), err)) {
        std::string folder = path.substr(0, path.rfind('/') + 1);
        if (m_cleanedFolders.insert(folder).second) RemoveLeftovers(folder);
        return true;
    }
    Trace("%s not saved: %s", path.c_str(), std::strerror(err));
    ShowAppMessage(m_services.messages, FileErrorText(err, path),
                   holder.empty() ? std::string() : "the learner is in use by " + holder);
    return false;
}

bool CLearnerData::SaveLearnerFile(const char* function, const char* file) {
    if (m_strLearnerFolder.empty()) return false;
    const std::string folder = m_strLearnerFolder;
    return SavePageText(function, folder + file, kDataBufferSize, folder);
}

bool CLearnerData::LoadPosition() {
    if (m_strLearnerFolder.empty()) return false;
    return LoadFileToPage(m_strLearnerFolder + kPositionFile, "SetPosData");
}

bool CLearnerData::LoadScores() {
    if (m_strLearnerFolder.empty()) return false;
    return LoadFileToPage(m_strLearnerFolder + kScoreFile, "SetScoreData");
}

bool CLearnerData::SavePosition() { return SaveLearnerFile("GetPosData", kPositionFile); }

bool CLearnerData::SaveScores() { return SaveLearnerFile("GetScoreData", kScoreFile); }

// PREF.PRF is replaced in one step, so it is never missing or half written
// while a save runs. A safety copy left by an interrupted save of an older
// installation is deleted by a successful save once the new PREF.PRF is in
// place, and put back by a failed one when PREF.PRF is missing or empty.
bool CLearnerData::SavePreferences() {
    // A copy: a message below lets the page's commands choose another drive.
    const std::string folder = m_store.GetCourseDataFolder();
    if (folder.empty()) return false;
    std::string sizeText;
    if (!m_services.page.CallScriptForText("GetPrefSize", kSmallBufferSize, sizeText)) return false;
    const std::string path = folder + kPrefFile;
    const std::string copy = path + kPrefSafetyCopySuffix;
    IFileStore& files = m_services.files;
    int err = 0;
    if (SavePageDataToFile("GetPrefData", path, LeadingInteger(sizeText))) {
        if (files.GetKind(copy) == IFileStore::Kind::File && !files.DeleteFile(copy, err)) {
            ShowFileError(m_services.messages, err, copy);
        }
        return true;
    }
    // An empty PREF.PRF beside its safety copy is what a pulled stick left
    // of an interrupted save: the copy goes back in its place.
    if (IsInterruptedPreferenceSave(path)) {
        if (files.GetKind(path) == IFileStore::Kind::File && !files.DeleteFile(path, err)) {
            ShowFileError(m_services.messages, err, path);
        } else if (!files.Rename(copy, path, err)) {
            ShowFileError(m_services.messages, err, copy);
        }
    }
    return false;
}

bool CLearnerData::SaveHistoryRecord() {
    std::string record;
    if (!m_services.page.CallScriptForText("GetLogData", kSmallBufferSize, record) || record.empty()) return false;
    m_store.AppendHistoryRecord(ToFileBytes(record));
    return true;
}

}  // namespace dorv
