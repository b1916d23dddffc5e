#include "learner/DrivePlaces.h"

#include <algorithm>
#include <iterator>

#include "common/Location.h"

namespace dorv {
namespace {

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::string Trimmed(std::string text) {
    text.erase(0, text.find_first_not_of(" \t"));
    text.erase(text.find_last_not_of(" \t") + 1);
    return text;
}

}  // namespace

DrivePlace ParseDriveSetting(char letter, const std::string& value) {
    DrivePlace place;
    place.letter = letter;
    size_t comma = value.rfind(',');
    std::string folder = comma == std::string::npos ? value : value.substr(0, comma);
    std::string type = comma == std::string::npos ? "removable" : Trimmed(AsciiLowered(value.substr(comma + 1)));
    if (type == "removable") {
        place.type = DriveType::Removable;
    } else if (type == "remote") {
        place.type = DriveType::Remote;
    } else if (type == "fixed") {
        place.type = DriveType::Fixed;
    } else {
        return {};
    }
    if (folder.empty()) return {};
    place.root = folder;
    place.system = letter == 'C';
    place.configured = true;
    return place;
}

DriveType ClassifyMonitorMount(const std::string& scheme, bool hasLocalPath, bool removable, bool mediaPlayer) {
    static constexpr const char* kNetwork[] = {"smb", "sftp", "ssh", "dav", "davs", "ftp", "ftps", "afp", "nfs"};
    if (!hasLocalPath) return DriveType::None;
    if (scheme == "file") return removable && !mediaPlayer ? DriveType::Removable : DriveType::None;
    bool network =
        std::any_of(std::begin(kNetwork), std::end(kNetwork), [&](const char* name) { return scheme == name; });
    return network ? DriveType::Remote : DriveType::None;
}

bool IsUserMediaFolder(const std::string& path, const std::string& user) {
    return StartsWith(path, "/media/" + user + "/") || StartsWith(path, "/run/media/" + user + "/");
}

std::map<char, DrivePlace> AssignDriveLetters(const std::string& home, const std::map<char, DrivePlace>& configured,
                                              const std::vector<DrivePlace>& found) {
    std::map<char, DrivePlace> letters;
    letters['C'] = DrivePlace{'C', DriveType::Fixed, home, false, true};
    for (const auto& [letter, place] : configured) letters[letter] = place;
    char next = 'D';
    for (DrivePlace place : found) {
        // A place that has its letter already (named in DORV.ini, or the
        // home folder on a network share) gets no second one.
        bool known = std::any_of(letters.begin(), letters.end(),
                                 [&](const auto& entry) { return entry.second.root == place.root; });
        if (known) continue;
        while (next <= 'Z' && letters.count(next)) ++next;
        if (next > 'Z') break;
        place.letter = next;
        letters[next] = place;
    }
    return letters;
}

std::string DataRootOf(const DrivePlace& place, IDriveList& drives) {
    std::string folder;
    switch (place.type) {
        case DriveType::Removable:
        case DriveType::Remote:
            folder = place.root;
            break;
        case DriveType::Fixed:
            if (place.configured || !drives.GetDocumentsFolder(folder)) folder = place.root;
            break;
        case DriveType::None:
            break;
    }
    return folder;
}

std::string DriveTypeName(DriveType type, bool japanese) {
    switch (type) {
        case DriveType::Removable:
            return japanese ? "リムーバブル ディスク" : "Removable Disk";
        case DriveType::Fixed:
            return japanese ? "ローカル ディスク" : "Local Disk";
        case DriveType::Remote:
            return japanese ? "ネットワーク ドライブ" : "Network Drive";
        case DriveType::None:
            break;
    }
    return {};
}

}  // namespace dorv
