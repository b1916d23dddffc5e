// Where the course library looks for courses: the "dorv/courses" folders
// below the user's and the system's data folders (as the XDG base
// directories name them), the folders that the machine-wide configuration
// names, and removable media. The machine-wide configuration also says
// whether the class records may be shown.
#pragma once

#include <string>
#include <vector>

namespace dorv {

enum class PlaceKind { User, System, Configured, Removable };

struct CoursePlace {
    PlaceKind kind = PlaceKind::User;
    std::string folder;

    bool operator==(const CoursePlace&) const = default;
};

// The environment variables that decide where data and configuration lie,
// as they are set ("" when unset).
struct LibraryEnvironment {
    std::string home;        // HOME (the password database's when unset)
    std::string dataHome;    // XDG_DATA_HOME
    std::string dataDirs;    // XDG_DATA_DIRS
    std::string configDirs;  // XDG_CONFIG_DIRS

    static LibraryEnvironment FromProcess();
};

// The machine-wide configuration, dorv/dorv.conf.
struct LibrarySettings {
    std::string file;                        // the file that was read; "" when there is none
    std::vector<std::string> courseFolders;  // [Library] Courses, in the order given
    bool recordsEnabled = false;             // [Records] Enabled
    std::string recordsPlace;                // [Records] Place; "" for none
    std::vector<std::string> problems;       // values that were left out, and why
};

// The user's data folder: $XDG_DATA_HOME, or ~/.local/share when it is unset
// or no absolute path; "" when neither is known.
std::string UserDataFolder(const LibraryEnvironment& env);
// The system's data folders, most important first: $XDG_DATA_DIRS, or
// /usr/local/share and /usr/share when it names no absolute path.
std::vector<std::string> SystemDataFolders(const LibraryEnvironment& env);
// The system's configuration folders: $XDG_CONFIG_DIRS, or /etc/xdg.
std::vector<std::string> ConfigFolders(const LibraryEnvironment& env);

// The first dorv/dorv.conf of the configuration folders that is a file;
// "" when there is none.
std::string FindLibrarySettings(const LibraryEnvironment& env);
// Reads `file` (an INI file, read as DORV.ini is read); a missing file reads
// as the defaults.
LibrarySettings ReadLibrarySettings(const std::string& file);

// The places to look in, in the order the courses are listed: the user's
// courses folder, each system courses folder, each configured folder, then
// each removable medium's root.
std::vector<CoursePlace> CoursePlaces(const LibraryEnvironment& env, const LibrarySettings& settings,
                                      const std::vector<std::string>& removableRoots);

}  // namespace dorv
