#include "learner/LearnerStore.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>

#include "common/MessageBox.h"
#include "common/TextEncoding.h"
#include "common/Trace.h"
#include "learner/DriveList.h"
#include "learner/DrivePlaces.h"
#include "learner/FileStore.h"
#include "learner/SharedFiles.h"

namespace dorv {
namespace {

constexpr const char* kPlenaFolder = "PLENA";
constexpr const char* kOpenFailed = "ログファイルを開けませんでした。";
constexpr const char* kNotSaved = "学習履歴は保存されません。";
constexpr const char* kInvalidContent = "ログファイルの内容が不正です。";
constexpr const char* kStartingAnew = "新規に学習履歴を作ります。";
constexpr const char* kWriteFailed = "ログファイルの書き込みに失敗しました。";

long long SystemSeconds() { return static_cast<long long>(std::time(nullptr)); }

}  // namespace

bool EnsureDirectory(IFileStore& files, const std::string& path) {
    if (files.GetKind(path) == IFileStore::Kind::Folder) return true;
    return files.CreateFolder(path);
}

std::optional<long long> AgeOf(IFileStore& files, const std::string& path) {
    IFileStore::Info info;
    int err = 0;
    if (!files.GetInfo(path, info, err)) return std::nullopt;
    return files.Now() - info.modified;
}

bool ReadWholeFile(IFileStore& files, const std::string& path, std::string& bytes, int& err) {
    std::unique_ptr<IOpenFile> file = files.Open(path, IFileStore::OpenMode::ReadExisting, err);
    std::uint64_t length = 0;
    if (!file || !file->GetLength(length, err)) return false;
    if (length > kMaxDataFileBytes) {
        err = EOVERFLOW;
        return false;
    }
    return file->ReadAt(0, static_cast<std::size_t>(length), bytes, err);
}

bool IsSafeFolderName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name) {
        if (c == '/' || c == '\\' || c < 0x20 || c == 0x7F) return false;
    }
    return true;
}

std::optional<std::string> AsHostText(const std::string& name) {
    std::optional<std::string> bytes = Utf8ToCp932(name);
    if (!bytes) return std::nullopt;
    return Cp932ToUtf8Lenient(*bytes);
}

std::string SetAsideName(const std::string& historyPath, long long seconds) {
    auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds)));
    return historyPath + "-" + std::to_string(low);
}

CLearnerStore::CLearnerStore(IFileStore& files, IDriveList& drives, IMessageBox& messages)
    : m_files(files), m_drives(drives), m_messages(messages), m_now(SystemSeconds) {}

void CLearnerStore::SetDrive(const std::string& drive) {
    m_strDrive = drive;
    UpdateCourseDataFolder();
}

bool CLearnerStore::UpdateCourseDataFolder() {
    m_strCourseDataFolder.clear();
    if (m_strCourseFolderName.empty()) return false;
    // A course folder name that is no plain name would put the data outside
    // PLENA/ (or nowhere), and one the code page cannot hold names no
    // folder: no course data folder then.
    std::optional<std::string> hostName = AsHostText(m_strCourseFolderName);
    if (!hostName || !IsSafeFolderName(*hostName)) {
        Trace("the course folder name \"%s\" is no folder name: no course data folder", m_strCourseFolderName.c_str());
        return false;
    }
    // One letter and a colon, in either case.
    char letter = m_strDrive.size() == 2 && m_strDrive[1] == ':' ? m_strDrive[0] : 0;
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    DrivePlace place = letter >= 'A' && letter <= 'Z' ? m_drives.Find(letter) : DrivePlace{};
    std::string folder = DataRootOf(place, m_drives);
    if (folder.empty()) {
        Trace("drive \"%s\" stands for no place: no course data folder", m_strDrive.c_str());
        return false;
    }
    if (folder.back() != '/') folder += '/';
    folder += kPlenaFolder;
    EnsureDirectory(m_files, folder);
    folder += "/" + *hostName;
    EnsureDirectory(m_files, folder);
    m_strCourseDataFolder = folder + "/";
    Trace("course data folder %s", m_strCourseDataFolder.c_str());
    return true;
}

void CLearnerStore::SetHistoryLearner(const std::string& name) {
    m_strHistoryFilePath = m_strCourseDataFolder + name + "/" + kHistoryFileName;
}

// The history's lock file on a shared place, held while the file is looked
// at, made valid and appended to; nothing elsewhere. A lock that cannot be
// had (another copy's append hangs on its server) is traced, and the record
// is written all the same rather than lost.
class CLearnerStore::HistoryLock {
public:
    HistoryLock(IFileStore& files, const std::string& historyPath)
        : m_files(files),
          m_path(historyPath.substr(0, historyPath.rfind('/') + 1) + kHistoryLockName),
          m_owner(LockText(files.Self())),
          m_shared(files.IsShared(historyPath.substr(0, historyPath.rfind('/') + 1))) {}
    ~HistoryLock() { Release(); }
    HistoryLock(const HistoryLock&) = delete;
    HistoryLock& operator=(const HistoryLock&) = delete;

    void Take() {
        if (!m_shared || m_held) return;
        IFileStore& files = m_files;
        auto mayTakeOver = [&files](const std::string& text, long long age) {
            std::optional<CopyId> holder = ParseLockText(text);
            bool running = holder && holder->OnSameMachine(files.Self()) && files.IsRunningHere(holder->pid);
            return MayTakeOverHistoryLock(holder, files.Self(), running, age);
        };
        int err = 0;
        m_held = m_files.TakeLock(m_path, m_owner, kHistoryLockWaitMs, mayTakeOver, err);
        if (!m_held) Trace("%s: not taken (%s): the history is written without it", m_path.c_str(), std::strerror(err));
    }
    void Release() {
        if (m_held) m_files.ReleaseLock(m_path, m_owner);
        m_held = false;
    }

private:
    IFileStore& m_files;
    std::string m_path;
    std::string m_owner;
    bool m_shared;
    bool m_held = false;
};

namespace {

enum class HistoryState { Missing, Empty, Valid, Invalid, Unopened, Unread };

// What the history file is now; `err` tells why it was not opened or read.
HistoryState InspectHistory(IFileStore& files, const std::string& path, int& err) {
    std::unique_ptr<IOpenFile> file = files.Open(path, IFileStore::OpenMode::ReadToWrite, err);
    if (!file) return err == ENOENT ? HistoryState::Missing : HistoryState::Unopened;
    std::uint64_t length = 0;
    std::string start;
    if (!file->GetLength(length, err) || (length >= CLearnerStore::kHistoryHeaderSize &&
                                          !file->ReadAt(0, CLearnerStore::kHistoryHeaderSize, start, err))) {
        return HistoryState::Unread;
    }
    if (length == 0) return HistoryState::Empty;
    return start == std::string_view(CLearnerStore::kHistoryHeader, CLearnerStore::kHistoryHeaderSize)
               ? HistoryState::Valid
               : HistoryState::Invalid;
}

}  // namespace

bool CLearnerStore::PrepareHistoryFile(const std::string& path, HistoryLock& lock) {
    const std::string header(kHistoryHeader, kHistoryHeaderSize);
    bool told = false;  // the learner was told that the file is invalid
    // Another copy may change the file between two looks (set it aside,
    // create it): it is looked at again, a few times at most.
    for (int round = 0; round < 4; ++round) {
        lock.Take();
        int err = 0;
        switch (InspectHistory(m_files, path, err)) {
            case HistoryState::Valid:
                return true;
            case HistoryState::Unopened:
                lock.Release();
                ShowSystemError(m_messages, err, kOpenFailed);
                ShowAppMessage(m_messages, kNotSaved);
                return false;
            case HistoryState::Unread:
                lock.Release();
                ShowFileError(m_messages, err, path);
                return false;
            case HistoryState::Invalid:
                if (!told) {
                    // Nothing is held while the learner reads this: the
                    // file is looked at again afterwards.
                    lock.Release();
                    ShowError(m_messages, kInvalidContent, kStartingAnew);
                    told = true;
                    continue;
                }
                if (!m_files.Rename(path, SetAsideName(path, m_now()), err)) {
                    lock.Release();
                    ShowFileError(m_messages, err, path);
                    return false;
                }
                [[fallthrough]];
            case HistoryState::Missing:
                // Created whole with its header, or not at all: a file of
                // the same name that came meanwhile is looked at again.
                if (m_files.CreateNew(path, header, err)) return true;
                if (err == EEXIST) continue;
                lock.Release();
                if (told) {
                    ShowFileError(m_messages, err, path);
                } else {
                    ShowSystemError(m_messages, err, kOpenFailed);
                    ShowAppMessage(m_messages, kNotSaved);
                }
                return false;
            case HistoryState::Empty:
                if (m_files.WriteAtomically(path, header, err)) return true;
                lock.Release();
                ShowFileError(m_messages, err, path);
                return false;
        }
    }
    lock.Release();
    ShowSystemError(m_messages, EWOULDBLOCK, kOpenFailed);
    ShowAppMessage(m_messages, kNotSaved);
    return false;
}

bool CLearnerStore::AppendHistoryRecord(const std::string& record) {
    if (m_strHistoryFilePath.empty() || m_strCourseFolderName.empty()) return false;
    // Bound now: a message below lets the page's commands choose another
    // learner meanwhile, and this record is this learner's.
    const std::string path = m_strHistoryFilePath;
    HistoryLock lock(m_files, path);
    for (int round = 0; round < 2; ++round) {
        if (!PrepareHistoryFile(path, lock)) return false;
        int err = 0;
        std::unique_ptr<IOpenFile> file = m_files.Open(path, IFileStore::OpenMode::AppendExisting, err);
        // Set aside by another copy since it was looked at: again.
        if (!file && err == ENOENT && round == 0) continue;
        if (!file) {
            lock.Release();
            ShowSystemError(m_messages, err, kWriteFailed);
            return false;
        }
        bool written = file->Append(record, err);
        file.reset();
        lock.Release();
        if (!written) ShowFileError(m_messages, err, path);
        return written;
    }
    return false;
}

}  // namespace dorv
