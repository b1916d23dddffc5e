// The application object: reads and checks DORV.ini at start-up and keeps the
// four configuration strings for the life of the process.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace dorv {

class CMainFrame;
class IAboutBox;
class IMessageBox;

class CDORVApp {
public:
    static constexpr const char* kIniFileName = "DORV.ini";
    static constexpr size_t kMaxLocationBytes = 260;

    explicit CDORVApp(IMessageBox& messages);

    // Reads DORV.ini from the current working directory and checks the two
    // locations. False after the failure has been shown: the program ends.
    bool InitInstance();
    int ExitInstance();

    // Checks a configured location and completes a relative file path with
    // the working directory. Shows what is wrong and returns false.
    // `key`: the [Document] key the location came from.
    bool ValidateLocation(std::string& location, const char* key);

    void ShowConfigError(const std::string& first, const std::string& second = {}, const std::string& note = {});
    std::string m_strIniPath;  // the settings file looked for

    // Handler of Help > About: the about box with the frame's texts.
    void OnAppAbout(const CMainFrame& frame, IAboutBox& box);

    std::string m_strConfig;
    std::string m_strMain;
    std::string m_strDebug;
    std::string m_strMute;
    // The folder DORV.ini was read from: the course's own folder.
    std::string m_strCourseFolder;
    // [Settings] "compat": "0", "off", "no" or "false" keeps the old
    // browser's script interfaces out of the course's pages.
    bool m_bLegacyScript = true;
    // [Settings] "zoom": the window's starting scale, in percent, one of
    // the zoom steps (100 without the key).
    int m_nZoomPercent = 100;
    // The "Drives" section: the places a deployment gives drive letters to,
    // as letter and value ("<folder>,<type>"), in letter order.
    std::vector<std::pair<char, std::string>> m_configuredDrives;

private:
    bool CheckOpenForReading(const std::string& path);

    IMessageBox& m_messages;
};

}  // namespace dorv
