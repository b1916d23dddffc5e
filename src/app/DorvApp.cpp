#include "app/DorvApp.h"

#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/AboutDlg.h"
#include "app/IniFile.h"
#include "app/Messages.h"
#include "app/ZoomSteps.h"
#include "common/Location.h"
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

}  // namespace

CDORVApp::CDORVApp(IMessageBox& messages) : m_messages(messages) {}

bool CDORVApp::InitInstance() {
    std::string cwd = CurrentDirectory();
    m_strCourseFolder = cwd;
    std::string iniPath = cwd.empty() ? std::string(kIniFileName) : cwd + (cwd.back() == '/' ? "" : "/") + kIniFileName;
    m_strIniPath = iniPath;
    Trace("reading %s", iniPath.c_str());
    CIniFile ini = CIniFile::Load(iniPath);

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
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        std::string value = ini.GetString("Drives", std::string(1, letter));
        if (!value.empty()) m_configuredDrives.emplace_back(letter, value);
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
