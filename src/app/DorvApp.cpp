#include "app/DorvApp.h"

#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "app/AboutDlg.h"
#include "app/IniFile.h"
#include "app/Messages.h"
#include "app/ZoomSteps.h"
#include "common/Location.h"
#include "common/MessageBox.h"
#include "common/Trace.h"
#include "course/CourseNames.h"

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

}  // namespace

CDORVApp::CDORVApp(IMessageBox& messages) : m_messages(messages) {}

bool CDORVApp::InitInstance() {
    std::string cwd = CurrentDirectory();
    m_strCourseFolder = cwd;
    std::string iniPath = cwd.empty() ? std::string(kIniFileName) : cwd + (cwd.back() == '/' ? "" : "/") + kIniFileName;
    m_strIniPath = iniPath;
    Trace("reading %s", iniPath.c_str());
    CIniFile ini = CIniFile::Load(iniPath);

    // The drive letters come first: a location may name one.
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        std::string value = ini.GetString("Drives", std::string(1, letter));
        if (!value.empty()) m_configuredDrives.emplace_back(letter, value);
    }

    m_strConfig = ini.GetString("Document", "config");
    Trace("config = \"%s\"", m_strConfig.c_str());
    if (!ValidateLocation(m_strConfig, "config")) return false;
    Trace("course configuration: %s", m_strConfig.c_str());

    m_strMain = ini.GetString("Document", "main");
    Trace("main = \"%s\"", m_strMain.c_str());
    if (!ValidateLocation(m_strMain, "main")) return false;
    Trace("main page: %s", m_strMain.c_str());

    m_strDebug = ini.GetString("Settings", "debug");
    m_strMute = ini.GetString("Settings", "mute");
    Trace("debug = \"%s\", mute = \"%s\"", m_strDebug.c_str(), m_strMute.c_str());
    std::string compat = ini.GetString("Settings", "compat");
    for (const char* off : {"0", "off", "no", "false"}) {
        if (strcasecmp(compat.c_str(), off) == 0) m_bLegacyScript = false;
    }
    std::string zoomValue = ini.GetString("Settings", "zoom");
    std::string zoomNote;
    m_nZoomPercent = zoom::FromSetting(zoomValue, zoomNote);
    if (!zoomValue.empty()) {
        Trace("zoom = \"%s\"%s%s", zoomValue.c_str(), zoomNote.empty() ? "" : ": ", zoomNote.c_str());
    }
    return true;
}

int CDORVApp::ExitInstance() {
    Trace("exit");
    return 0;
}

bool CDORVApp::ValidateLocation(std::string& location, const char* key) {
    if (location.empty()) {
        int err = CheckReadableFile(m_strIniPath);
        std::string note = err ? "the settings file " + m_strIniPath + " cannot be read: " + std::strerror(err)
                               : "the settings file " + m_strIniPath + " gives no " + key + " in [Document]";
        ShowConfigError(msg::kConfigInvalid, {}, note);
        return false;
    }
    if (location.size() > kMaxLocationBytes) {
        ShowConfigError(msg::kUrlTooLong, msg::kCheckConfig);
        return false;
    }
    bool isUrl = IsUrlLocation(location);
    if (!IsPageLocation(location) && !IsXmlLocation(location)) {
        ShowConfigError(msg::kInvalidFileSpec, msg::kCheckConfig);
        return false;
    }
    // A URL is neither changed nor fetched here.
    if (isUrl) return true;
    std::string fixed;
    if (!PlaceOfLocation(location, fixed)) return false;
    if (CheckReadableFile(location) == ENOENT) {
        CCourseNames names;
        NameMatch match;
        if (std::optional<std::string> found = names.Resolve(location, match, fixed)) {
            Trace("%s: found as %s%s", location.c_str(), found->c_str(),
                  match.ambiguous ? " (several names differ only in letter case: the first in byte order)" : "");
            location = *found;
        }
    }
    return CheckOpenForReading(location);
}

bool CDORVApp::PlaceOfLocation(std::string& location, std::string& fixed) {
    const std::string given = location;
    std::string rest = WithForwardSlashes(location);
    auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    std::string missing;
    if (rest.size() >= 2 && isLetter(rest[0]) && rest[1] == ':') {
        // "D:\ENGLISH\MAIN.HTM", or "D:main.htm" (the drive's current
        // folder, which is its root here).
        char letter = static_cast<char>(rest[0] & ~0x20);
        fixed = m_places ? m_places->DriveRoot(letter) : std::string();
        if (fixed.empty())
            missing = std::string("the drive letter ") + letter + ": stands for no place here (name it in [Drives])";
        rest = rest.substr(2);
    } else if (rest.rfind("//", 0) == 0) {
        // "\\server\share\…": a share of that name that is mounted.
        size_t serverEnd = rest.find('/', 2);
        size_t shareEnd = serverEnd == std::string::npos ? std::string::npos : rest.find('/', serverEnd + 1);
        std::string server = rest.substr(2, serverEnd == std::string::npos ? std::string::npos : serverEnd - 2);
        std::string share = serverEnd == std::string::npos
                                ? std::string()
                                : rest.substr(serverEnd + 1, shareEnd == std::string::npos ? std::string::npos
                                                                                           : shareEnd - serverEnd - 1);
        fixed = m_places && !share.empty() ? m_places->ShareRoot(server, share) : std::string();
        if (fixed.empty()) missing = "no share \\\\" + server + "\\" + share + " is mounted here";
        rest = shareEnd == std::string::npos ? std::string() : rest.substr(shareEnd);
    } else if (rest.front() != '/') {
        fixed = CurrentDirectory();
    } else {
        fixed.clear();
    }
    if (!missing.empty()) {
        Trace("%s: %s", given.c_str(), missing.c_str());
        ShowAppMessage(m_messages, FileErrorText(ENOENT, given), given + ": " + missing);
        return false;
    }
    if (!fixed.empty() && fixed.back() == '/') fixed.pop_back();
    location = fixed + (rest.empty() || rest.front() == '/' ? "" : "/") + rest;
    if (location != given) Trace("%s stands for %s", given.c_str(), location.c_str());
    return true;
}

bool CDORVApp::CheckOpenForReading(const std::string& path) {
    int err = CheckReadableFile(path);
    if (err == 0) return true;
    Trace("%s cannot be read: %s", path.c_str(), std::strerror(err));
    ShowAppMessage(m_messages, FileErrorText(err, path));
    return false;
}

void CDORVApp::ShowConfigError(const std::string& first, const std::string& second, const std::string& note) {
    std::string text = first + msg::kIdeographicSpace;
    if (!second.empty()) text += "\n\n" + second + msg::kIdeographicSpace;
    ShowAppMessage(m_messages, text, note);
}

void CDORVApp::OnAppAbout(const CMainFrame& frame, IAboutBox& box) {
    CAboutDlg dialog(frame);
    Trace("about requested: %s", dialog.GetText().c_str());
    dialog.DoModal(box);
}

}  // namespace dorv
