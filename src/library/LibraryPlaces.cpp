#include "library/LibraryPlaces.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "app/IniFile.h"
#include "common/Location.h"
#include "common/Tokens.h"

namespace dorv {
namespace {

constexpr const char* kCoursesBelowData = "/dorv/courses";
constexpr const char* kSettingsBelowConfig = "/dorv/dorv.conf";

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string HomeFromPasswordDatabase() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<size_t>(size) : 16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir) return {};
    return found->pw_dir;
}

// `folder` without the "/" at its end (the root stays "/").
std::string WithoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

// The absolute folders of a list separated by ":"; the others are ignored,
// as the base directories say.
std::vector<std::string> AbsoluteFolders(const std::string& list) {
    std::vector<std::string> folders;
    for (const std::string& part : SplitTokens(list, ":")) {
        if (part.front() == '/') folders.push_back(WithoutTrailingSlash(part));
    }
    return folders;
}

// The value of a yes-or-no key; false with `understood` false for anything
// else.
bool ReadSwitch(const std::string& value, bool& understood) {
    understood = true;
    for (const char* yes : {"true", "yes", "on", "1"}) {
        if (EqualsIgnoringAsciiCase(value, yes)) return true;
    }
    for (const char* no : {"false", "no", "off", "0", ""}) {
        if (EqualsIgnoringAsciiCase(value, no)) return false;
    }
    understood = false;
    return false;
}

std::string Unquoted(std::string text) {
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

}  // namespace

LibraryEnvironment LibraryEnvironment::FromProcess() {
    LibraryEnvironment env{Variable("HOME"), Variable("XDG_DATA_HOME"), Variable("XDG_DATA_DIRS"),
                           Variable("XDG_CONFIG_DIRS")};
    if (env.home.empty()) env.home = HomeFromPasswordDatabase();
    return env;
}

std::string UserDataFolder(const LibraryEnvironment& env) {
    if (!env.dataHome.empty() && env.dataHome.front() == '/') return WithoutTrailingSlash(env.dataHome);
    if (env.home.empty() || env.home.front() != '/') return {};
    std::string home = WithoutTrailingSlash(env.home);
    return (home == "/" ? "" : home) + "/.local/share";
}

std::vector<std::string> SystemDataFolders(const LibraryEnvironment& env) {
    std::vector<std::string> folders = AbsoluteFolders(env.dataDirs);
    if (folders.empty()) folders = {"/usr/local/share", "/usr/share"};
    return folders;
}

std::vector<std::string> ConfigFolders(const LibraryEnvironment& env) {
    std::vector<std::string> folders = AbsoluteFolders(env.configDirs);
    if (folders.empty()) folders = {"/etc/xdg"};
    return folders;
}

std::string FindLibrarySettings(const LibraryEnvironment& env) {
    for (const std::string& folder : ConfigFolders(env)) {
        std::string file = (folder == "/" ? "" : folder) + kSettingsBelowConfig;
        struct stat st {};
        if (stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return file;
    }
    return {};
}

LibrarySettings ReadLibrarySettings(const std::string& file) {
    LibrarySettings settings;
    if (file.empty()) return settings;
    settings.file = file;
    int err = CheckReadableFile(file);
    if (err != 0) {
        settings.problems.push_back(file + " cannot be read: " + std::strerror(err));
        return settings;
    }
    CIniFile ini = CIniFile::Load(file);
    for (const std::string& part : SplitTokens(ini.GetString("Library", "Courses"), ";")) {
        std::string folder = Unquoted(TrimWhiteSpace(part));
        if (folder.empty()) continue;
        if (folder.front() != '/') {
            settings.problems.push_back("[Library] Courses: \"" + folder + "\" is no absolute path: left out");
            continue;
        }
        settings.courseFolders.push_back(WithoutTrailingSlash(folder));
    }
    std::string enabled = ini.GetString("Records", "Enabled");
    bool understood = true;
    settings.recordsEnabled = ReadSwitch(enabled, understood);
    if (!understood) {
        settings.problems.push_back("[Records] Enabled: \"" + enabled +
                                    "\" is neither true nor false: the class records stay off");
    }
    settings.recordsPlace = Unquoted(ini.GetString("Records", "Place"));
    return settings;
}

std::vector<CoursePlace> CoursePlaces(const LibraryEnvironment& env, const LibrarySettings& settings,
                                      const std::vector<std::string>& removableRoots) {
    std::vector<CoursePlace> places;
    auto add = [&](PlaceKind kind, const std::string& folder) {
        CoursePlace place{kind, WithoutTrailingSlash(folder)};
        for (const CoursePlace& known : places) {
            if (known.folder == place.folder) return;  // named twice: looked in once, as the first
        }
        places.push_back(place);
    };
    std::string user = UserDataFolder(env);
    if (!user.empty()) add(PlaceKind::User, user + kCoursesBelowData);
    for (const std::string& folder : SystemDataFolders(env)) {
        add(PlaceKind::System, (folder == "/" ? "" : folder) + kCoursesBelowData);
    }
    for (const std::string& folder : settings.courseFolders) add(PlaceKind::Configured, folder);
    for (const std::string& root : removableRoots) add(PlaceKind::Removable, root);
    return places;
}

}  // namespace dorv
