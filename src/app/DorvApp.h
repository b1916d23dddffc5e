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

// Where the Windows names of DORV.ini's locations are on this machine: a
// drive letter ("D:") through the drive letters the learner data uses, a
// network path ("\\server\share") through a share of that name that is
// mounted. "" for none.
class ILocationPlaces {
public:
    virtual ~ILocationPlaces() = default;
    virtual std::string DriveRoot(char letter) = 0;
    virtual std::string ShareRoot(const std::string& server, const std::string& share) = 0;
};

class CDORVApp {
public:
    static constexpr const char* kIniFileName = "DORV.ini";
    static constexpr size_t kMaxLocationBytes = 260;

    explicit CDORVApp(IMessageBox& messages);

    // Where drive letters and network paths of DORV.ini lead; without it,
    // such a location names nothing.
    void SetLocationPlaces(ILocationPlaces* places) { m_places = places; }

    // Reads DORV.ini from the current working directory and checks the two
    // locations. False after the failure has been shown: the program ends.
    bool InitInstance();
    int ExitInstance();

    // Checks a configured location and completes a relative file path with
    // the working directory. Written on Windows, a location may use "\",
    // a drive letter or a network path, and name files in another letter
    // case: it becomes the path of the file on this machine (see
    // CourseNames.h). Shows what is wrong and returns false.
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
    // The path a file location of DORV.ini stands for here, with the part of
    // it that is taken as it stands (the drive's or share's folder, the
    // working directory); false when its drive or share is missing (shown).
    bool PlaceOfLocation(std::string& location, std::string& fixed);

    IMessageBox& m_messages;
    ILocationPlaces* m_places = nullptr;
};

}  // namespace dorv
