#include "app/DorvApp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/IniFile.h"
#include "app/Messages.h"
#include "common/MessageBox.h"
#include "common/Trace.h"

namespace dorv {
namespace {

std::string CurrentDirectory() {
    std::string dir(4096, '\0');
    while (getcwd(dir.data(), dir.size()) == nullptr) {
        if (errno != ERANGE) return {};
        dir.resize(dir.size() * 2);
    }
    dir.resize(std::strlen(dir.c_str()));
    return dir;
}

bool EndsWithLowered(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    std::string_view tail = text.substr(text.size() - suffix.size());
    for (size_t i = 0; i < tail.size(); ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i]) return false;
    }
    return true;
}

std::string ReplacePlaceholder(std::string text, const std::string& path) {
    size_t at = text.find("%1");
    if (at != std::string::npos) text.replace(at, 2, path);
    return text;
}

}  // namespace

CDORVApp::CDORVApp(IMessageBox& messages) : m_messages(messages) {}

bool CDORVApp::InitInstance() {
    std::string cwd = CurrentDirectory();
    std::string iniPath = cwd.empty() ? std::string(kIniFileName)
                                      : cwd + (cwd.back() == '/' ? "" : "/") + kIniFileName;
    Trace("reading %s", iniPath.c_str());
    CIniFile ini = CIniFile::Load(iniPath);

    m_strConfig = ini.GetString("Document", "config");
    Trace("config = \"%s\"", m_strConfig.c_str());
    if (!ValidateLocation(m_strConfig)) return false;
    Trace("course configuration: %s", m_strConfig.c_str());

    m_strMain = ini.GetString("Document", "main");
    Trace("main = \"%s\"", m_strMain.c_str());
    if (!ValidateLocation(m_strMain)) return false;
    Trace("main page: %s", m_strMain.c_str());

    m_strDebug = ini.GetString("Settings", "debug");
    m_strMute = ini.GetString("Settings", "mute");
    Trace("debug = \"%s\", mute = \"%s\"", m_strDebug.c_str(), m_strMute.c_str());
    return true;
}

int CDORVApp::ExitInstance() {
    Trace("exit");
    return 0;
}

bool CDORVApp::IsUrlLocation(const std::string& location) {
    return location.rfind("http://", 0) == 0 || location.rfind("https://", 0) == 0;
}

bool CDORVApp::IsPageLocation(const std::string& location) {
    std::string_view name = location;
    size_t query = name.rfind('?');
    if (query != std::string_view::npos) name = name.substr(0, query);
    return EndsWithLowered(name, ".html") || EndsWithLowered(name, ".htm");
}

bool CDORVApp::IsXmlLocation(const std::string& location) {
    return EndsWithLowered(location, ".xml");
}

bool CDORVApp::ValidateLocation(std::string& location) {
    if (location.empty()) {
        ShowConfigError(msg::kConfigInvalid);
        return false;
    }
    if (location.size() > kMaxLocationBytes) {
        ShowConfigError(msg::kUrlTooLong, msg::kCheckConfig);
        return false;
    }
    bool isUrl = IsUrlLocation(location);
    if (!isUrl && location.front() != '/') {
        std::string cwd = CurrentDirectory();
        if (!cwd.empty()) location.insert(0, cwd.back() == '/' ? cwd : cwd + "/");
    }
    if (!IsPageLocation(location) && !IsXmlLocation(location)) {
        ShowConfigError(msg::kInvalidFileSpec, msg::kCheckConfig);
        return false;
    }
    // A URL is neither changed nor fetched here.
    return isUrl || CheckOpenForReading(location);
}

bool CDORVApp::CheckOpenForReading(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    int err = fd < 0 ? errno : 0;
    if (fd >= 0) {
        struct stat st {};
        // A folder opens for reading on this system, but it is no file.
        if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) err = EACCES;
        close(fd);
    }
    if (err == 0) return true;
    ShowAppMessage(m_messages, FileErrorText(err, path));
    return false;
}

std::string CDORVApp::FileErrorText(int err, const std::string& path) {
    const char* text;
    switch (err) {
        case ENOENT:
            text = msg::kFileNotFound;
            break;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            text = msg::kFileBadPath;
            break;
        case EMFILE:
        case ENFILE:
            text = msg::kFileTooManyOpen;
            break;
        case EACCES:
        case EPERM:
            text = msg::kFileAccessDenied;
            break;
        default:
            text = msg::kFileUnknownError;
            break;
    }
    return ReplacePlaceholder(text, path);
}

void CDORVApp::ShowConfigError(const std::string& first, const std::string& second) {
    std::string text = first + msg::kIdeographicSpace;
    if (!second.empty()) text += "\n\n" + second + msg::kIdeographicSpace;
    ShowAppMessage(m_messages, text);
}

void CDORVApp::OnAppAbout() {
    Trace("about requested");
}

}  // namespace dorv
