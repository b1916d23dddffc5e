#include "gtk/GioDriveList.h"

#include <gio/gio.h>
#include <gio/gunixmounts.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "common/Trace.h"

namespace dorv {
namespace {

constexpr const char* kRemoteFileSystems[] = {
    "nfs",         "nfs4",        "cifs", "smb3", "smbfs",     "fuse.sshfs",     "sshfs", "davfs",
    "fuse.davfs2", "fuse.rclone", "afs",  "ceph", "glusterfs", "fuse.glusterfs", "9p",
};

bool IsRemoteFileSystem(const char* type) {
    return std::any_of(std::begin(kRemoteFileSystems), std::end(kRemoteFileSystems),
                       [&](const char* remote) { return std::strcmp(type, remote) == 0; });
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// Where the desktop mounts removable media for this user.
bool IsUserMediaFolder(const std::string& path) {
    const std::string user = g_get_user_name();
    return StartsWith(path, "/media/" + user + "/") || StartsWith(path, "/run/media/" + user + "/");
}

// Mounted read-write and writable by this user.
bool IsWritable(const std::string& root) {
    struct statvfs fs {};
    if (statvfs(root.c_str(), &fs) != 0 || (fs.f_flag & ST_RDONLY)) return false;
    return access(root.c_str(), W_OK | X_OK) == 0;
}

std::string Lowered(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The mounts that GIO's volume monitor reports as removable or ejectable,
// and the network mounts it serves through its FUSE folder.
void AddMonitorMounts(std::map<std::string, DriveType>& found) {
    GVolumeMonitor* monitor = g_volume_monitor_get();
    GList* mounts = g_volume_monitor_get_mounts(monitor);
    for (GList* item = mounts; item; item = item->next) {
        auto* mount = G_MOUNT(item->data);
        GFile* root = g_mount_get_root(mount);
        gchar* path = g_file_get_path(root);
        if (path) {
            GDrive* drive = g_mount_get_drive(mount);
            bool removable =
                g_mount_can_eject(mount) || (drive && (g_drive_is_removable(drive) || g_drive_can_eject(drive)));
            bool remote = !g_file_has_uri_scheme(root, "file");
            if (remote) {
                found[path] = DriveType::Remote;
            } else if (removable) {
                found.emplace(path, DriveType::Removable);
            }
            if (drive) g_object_unref(drive);
            g_free(path);
        }
        g_object_unref(root);
    }
    g_list_free_full(mounts, g_object_unref);
    g_object_unref(monitor);
}

}  // namespace

DrivePlace ParseDriveSetting(char letter, const std::string& value) {
    DrivePlace place;
    place.letter = letter;
    size_t comma = value.rfind(',');
    std::string folder = comma == std::string::npos ? value : value.substr(0, comma);
    std::string type = comma == std::string::npos ? "removable" : Lowered(value.substr(comma + 1));
    type.erase(0, type.find_first_not_of(" \t"));
    type.erase(type.find_last_not_of(" \t") + 1);
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

GioDriveList::GioDriveList(const std::vector<std::pair<char, std::string>>& configured) {
    for (auto& [letter, value] : configured) {
        DrivePlace place = ParseDriveSetting(letter, value);
        if (place.type == DriveType::None) {
            Trace("Drives: %c=%s names no place (expected <folder>,removable|remote|fixed)", letter, value.c_str());
            continue;
        }
        m_configured[letter] = place;
    }
}

std::vector<DrivePlace> GioDriveList::Discover() const {
    std::map<std::string, DriveType> found;  // by mount point, so in its order
    GList* mounts = g_unix_mounts_get(nullptr);
    for (GList* item = mounts; item; item = item->next) {
        auto* entry = static_cast<GUnixMountEntry*>(item->data);
        std::string path = g_unix_mount_get_mount_path(entry);
        if (IsRemoteFileSystem(g_unix_mount_get_fs_type(entry))) {
            found[path] = DriveType::Remote;
        } else if (IsUserMediaFolder(path)) {
            found[path] = DriveType::Removable;
        }
    }
    g_list_free_full(mounts, reinterpret_cast<GDestroyNotify>(g_unix_mount_free));
    AddMonitorMounts(found);
    std::vector<DrivePlace> places;
    places.reserve(found.size());
    for (const auto& [path, type] : found) places.push_back({0, type, path, false, false, false});
    return places;
}

std::vector<DrivePlace> GioDriveList::BuildList() {
    m_last.clear();
    DrivePlace own{'C', DriveType::Fixed, g_get_home_dir(), false, true};
    m_last['C'] = own;
    for (const auto& [letter, place] : m_configured) m_last[letter] = place;
    char next = 'D';
    for (DrivePlace& place : Discover()) {
        // A place that has its letter already (named in DORV.ini, or the
        // home folder on a network share) gets no second one.
        bool known = std::any_of(m_last.begin(), m_last.end(),
                                 [&](const auto& entry) { return entry.second.root == place.root; });
        if (known) continue;
        while (next <= 'Z' && m_last.count(next)) ++next;
        if (next > 'Z') break;
        place.letter = next;
        m_last[next] = place;
    }
    std::vector<DrivePlace> list;
    for (auto& [letter, place] : m_last) {
        place.writable = IsWritable(place.root);
        list.push_back(place);
        Trace("drive %c: %s (%s%s)", letter, place.root.c_str(), TypeName(place.type).c_str(),
              place.writable ? "" : ", not writable");
    }
    m_built = true;
    return list;
}

DrivePlace GioDriveList::Find(char letter) {
    if (!m_built) BuildList();
    auto it = m_last.find(letter);
    return it == m_last.end() ? DrivePlace{} : it->second;
}

bool GioDriveList::GetDocumentsFolder(std::string& folder) {
    const char* documents = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS);
    if (!documents || !g_file_test(documents, G_FILE_TEST_IS_DIR)) return false;
    folder = documents;
    return true;
}

std::string GioDriveList::TypeName(DriveType type) const {
    const char* const* languages = g_get_language_names();
    bool japanese = languages && languages[0] && std::strncmp(languages[0], "ja", 2) == 0;
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
