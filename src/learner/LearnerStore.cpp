#include "learner/LearnerStore.h"

#include <cerrno>
#include <cstdint>
#include <ctime>

#include "common/MessageBox.h"
#include "common/TextEncoding.h"
#include "common/Trace.h"
#include "learner/DriveList.h"
#include "learner/FileStore.h"

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
    std::string folder;
    switch (place.type) {
        case DriveType::Removable:
        case DriveType::Remote:
            folder = place.root;
            break;
        case DriveType::Fixed:
            if (place.configured || !m_drives.GetDocumentsFolder(folder)) folder = place.root;
            break;
        case DriveType::None:
            break;
    }
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

bool CLearnerStore::PrepareHistoryFile() {
    if (m_strHistoryFilePath.empty() || m_strCourseFolderName.empty()) return false;
    const std::string& path = m_strHistoryFilePath;
    int err = 0;
    std::uint64_t length = 0;
    bool valid = false;
    {
        std::unique_ptr<IOpenFile> file = m_files.Open(path, IFileStore::OpenMode::ReadWriteOrCreate, err);
        if (!file) {
            ShowSystemError(m_messages, err, kOpenFailed);
            ShowAppMessage(m_messages, kNotSaved);
            return false;
        }
        std::string start;
        if (!file->GetLength(length, err) ||
            (length >= kHistoryHeaderSize && !file->ReadAt(0, kHistoryHeaderSize, start, err))) {
            ShowFileError(m_messages, err, path);
            return false;
        }
        valid = start == std::string_view(kHistoryHeader, kHistoryHeaderSize);
    }
    if (valid) return true;
    if (length > 0) {
        ShowError(m_messages, kInvalidContent, kStartingAnew);
        if (!m_files.Rename(path, SetAsideName(path, m_now()), err)) {
            ShowFileError(m_messages, err, path);
            return false;
        }
    }
    return WriteNewHistoryFile();
}

bool CLearnerStore::WriteNewHistoryFile() {
    int err = 0;
    std::unique_ptr<IOpenFile> file = m_files.Open(m_strHistoryFilePath, IFileStore::OpenMode::CreateOrTruncate, err);
    if (!file) return false;
    if (!file->Append(std::string(kHistoryHeader, kHistoryHeaderSize), err)) {
        ShowFileError(m_messages, err, m_strHistoryFilePath);
        return false;
    }
    return true;
}

bool CLearnerStore::AppendHistoryRecord(const std::string& record) {
    if (!PrepareHistoryFile()) return false;
    int err = 0;
    std::unique_ptr<IOpenFile> file = m_files.Open(m_strHistoryFilePath, IFileStore::OpenMode::AppendOrCreate, err);
    if (!file) {
        ShowSystemError(m_messages, err, kWriteFailed);
        return false;
    }
    if (!file->Append(record, err)) {
        ShowFileError(m_messages, err, m_strHistoryFilePath);
        return false;
    }
    return true;
}

}  // namespace dorv
