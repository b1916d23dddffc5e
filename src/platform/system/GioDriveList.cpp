#include "platform/system/GioDriveList.h"

#include <gio/gio.h>
#include <gio/gunixmounts.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "common/DialogTexts.h"
#include "common/Location.h"
#include "common/Trace.h"
#include "learner/DrivePlaces.h"
#include "learner/FileSystems.h"
#include "platform/system/UserLanguages.h"

namespace dorv {
namespace {

// Mounted read-write and writable by this user.
bool IsWritable(const std::string& root) {
    struct statvfs fs {};
    if (statvfs(root.c_str(), &fs) != 0 || (fs.f_flag & ST_RDONLY)) return false;
    return access(root.c_str(), W_OK | X_OK) == 0;
}

// How long the drive list waits for the places to answer.
constexpr unsigned kProbeTimeoutMs = 1000;
// How long the shares of a whole SMB network are waited for: the first
// listing connects to each server.
constexpr unsigned kShareListTimeoutMs = 3000;

std::string ReadSmallFile(const std::string& path) {
    gchar* text = nullptr;
    if (!g_file_get_contents(path.c_str(), &text, nullptr, nullptr)) return {};
    std::string value = text;
    g_free(text);
    return value;
}

// A network place that cannot hold the learner's data safely is no drive.
bool IsSafePlace(const std::string& path, const std::string& type) {
    std::string reason = UnsafeMountReason(type);
    if (reason.empty()) return true;
    Trace("%s (%s) is no drive: %s", path.c_str(), type.c_str(), reason.c_str());
    return false;
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
        gchar* scheme = g_file_get_uri_scheme(root);
        GDrive* drive = g_mount_get_drive(mount);
        bool removable =
            g_mount_can_eject(mount) || (drive && (g_drive_is_removable(drive) || g_drive_can_eject(drive)));
        // The content types the monitor knows already; nothing is scanned.
        gchar** types = g_mount_guess_content_type_sync(mount, FALSE, nullptr, nullptr);
        bool player = types && g_strv_contains(types, "x-content/audio-player");
        DriveType type = ClassifyMonitorMount(scheme ? scheme : "", path != nullptr, removable, player);
        if (path && type == DriveType::Remote) {
            if (IsSafePlace(path, std::string("gvfs:") + scheme)) found[path] = type;
        } else if (path && type == DriveType::Removable) {
            found.emplace(path, type);
        } else if (path && player) {
            found.erase(path);  // under the media folder, yet no drive
        }
        g_strfreev(types);
        if (drive) g_object_unref(drive);
        g_free(scheme);
        g_free(path);
        g_object_unref(root);
    }
    g_list_free_full(mounts, g_object_unref);
    g_object_unref(monitor);
}

// The folders below `folder` (no links), in the order of their names.
std::vector<std::string> SubFolders(const std::string& folder) {
    std::vector<std::string> found;
    GDir* dir = g_dir_open(folder.c_str(), 0, nullptr);
    if (!dir) return found;
    while (const char* name = g_dir_read_name(dir)) {
        std::string path = folder + "/" + name;
        if (g_file_test(path.c_str(), G_FILE_TEST_IS_DIR) && !g_file_test(path.c_str(), G_FILE_TEST_IS_SYMLINK)) {
            found.push_back(path);
        }
    }
    g_dir_close(dir);
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

bool IsRemovableBlockDevice(const std::string& device, const std::string& sysfs) {
    gchar* real = realpath(device.c_str(), nullptr);
    std::string name = real ? real : device;
    free(real);
    if (name.rfind("/dev/", 0) != 0) return false;
    name = name.substr(5);
    gchar* node = realpath((sysfs + "/class/block/" + name).c_str(), nullptr);
    if (!node) return false;
    std::string block = node;
    free(node);
    // A partition's disk is the folder above it.
    std::string disk =
        g_file_test((block + "/partition").c_str(), G_FILE_TEST_EXISTS) ? block.substr(0, block.rfind('/')) : block;
    if (ReadSmallFile(disk + "/removable").rfind('1', 0) == 0) return true;
    return block.find("/usb") != std::string::npos || block.find("/mmc_host/") != std::string::npos ||
           block.find("/memstick") != std::string::npos;
}

std::vector<bool> ProbeWritable(const std::vector<std::string>& folders, unsigned timeoutMs) {
    struct Probe {
        std::mutex lock;
        std::condition_variable done;
        std::vector<int> answers;  // -1 until answered
    };
    auto probe = std::make_shared<Probe>();
    probe->answers.assign(folders.size(), -1);
    for (size_t i = 0; i < folders.size(); ++i) {
        // A thread that a hung server holds stays behind, harmlessly.
        std::thread([probe, i, folder = folders[i]] {
            bool writable = IsWritable(folder);
            std::lock_guard<std::mutex> hold(probe->lock);
            probe->answers[i] = writable ? 1 : 0;
            probe->done.notify_all();
        }).detach();
    }
    std::unique_lock<std::mutex> hold(probe->lock);
    probe->done.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] {
        return std::none_of(probe->answers.begin(), probe->answers.end(), [](int answer) { return answer < 0; });
    });
    std::vector<bool> writable;
    for (size_t i = 0; i < folders.size(); ++i) {
        if (probe->answers[i] < 0) Trace("%s did not answer within %u ms: left out", folders[i].c_str(), timeoutMs);
        writable.push_back(probe->answers[i] == 1);
    }
    return writable;
}

std::vector<std::string> ListWholeNetworkShares(const std::vector<std::string>& mounts, unsigned timeoutMs) {
    struct Listing {
        std::mutex lock;
        std::condition_variable done;
        size_t pending = 0;
        std::map<std::string, std::vector<std::string>> found;  // by mount, as far as listed
    };
    // The last whole listing of each mount: a listing that is late this
    // time (the first one connects to every server) counts the next time.
    static std::mutex lastLock;
    static std::map<std::string, std::vector<std::string>> last;
    auto listing = std::make_shared<Listing>();
    listing->pending = mounts.size();
    for (const std::string& mount : mounts) {
        // A host that does not answer holds its thread, harmlessly.
        std::thread([listing, mount] {
            std::vector<std::string> shares;
            for (const std::string& host : SubFolders(mount)) {
                for (const std::string& share : SubFolders(host)) {
                    if (share.back() == '$') continue;  // the servers' own shares
                    shares.push_back(share);
                    std::lock_guard<std::mutex> hold(listing->lock);
                    listing->found[mount].push_back(share);
                }
            }
            {
                std::lock_guard<std::mutex> hold(lastLock);
                last[mount] = shares;
            }
            std::lock_guard<std::mutex> hold(listing->lock);
            --listing->pending;
            listing->done.notify_all();
        }).detach();
    }
    std::unique_lock<std::mutex> hold(listing->lock);
    bool whole =
        listing->done.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] { return listing->pending == 0; });
    std::set<std::string> shares;
    for (const auto& [mount, found] : listing->found) shares.insert(found.begin(), found.end());
    if (!whole) {
        std::lock_guard<std::mutex> holdLast(lastLock);
        for (const std::string& mount : mounts) {
            auto it = last.find(mount);
            if (it != last.end()) shares.insert(it->second.begin(), it->second.end());
        }
        Trace("not all shares were listed within %u ms: the last listing stands in", timeoutMs);
    }
    return {shares.begin(), shares.end()};
}

std::string FindMountedShare(const std::string& server, const std::string& share) {
    const std::string wanted = AsciiLowered("//" + server + "/" + share);
    std::string found;
    GList* mounts = g_unix_mounts_get(nullptr);
    for (GList* item = mounts; item && found.empty(); item = item->next) {
        auto* entry = static_cast<GUnixMountEntry*>(item->data);
        std::string type = g_unix_mount_get_fs_type(entry);
        std::string path = g_unix_mount_get_mount_path(entry);
        std::string device = AsciiLowered(g_unix_mount_get_device_path(entry));
        if ((type == "cifs" || type == "smb3" || type == "smbfs") && (device == wanted || device == wanted + "/")) {
            found = path;
        } else if (IsWholeNetworkFileSystem(type)) {
            for (const std::string& candidate : SubFolders(path)) {
                if (AsciiLowered(candidate.substr(candidate.rfind('/') + 1)) != AsciiLowered(server)) continue;
                for (const std::string& folder : SubFolders(candidate)) {
                    if (AsciiLowered(folder.substr(folder.rfind('/') + 1)) == AsciiLowered(share)) found = folder;
                }
            }
        }
    }
    g_list_free_full(mounts, reinterpret_cast<GDestroyNotify>(g_unix_mount_free));
    if (!found.empty()) return found;
    // GNOME's mounts, "smb://server/share/".
    GVolumeMonitor* monitor = g_volume_monitor_get();
    GList* gioMounts = g_volume_monitor_get_mounts(monitor);
    for (GList* item = gioMounts; item && found.empty(); item = item->next) {
        GFile* root = g_mount_get_root(G_MOUNT(item->data));
        gchar* uri = g_file_get_uri(root);
        gchar* path = g_file_get_path(root);
        std::string address = uri ? AsciiLowered(uri) : std::string();
        if (path && (address == "smb:" + wanted || address == "smb:" + wanted + "/")) found = path;
        g_free(path);
        g_free(uri);
        g_object_unref(root);
    }
    g_list_free_full(gioMounts, g_object_unref);
    g_object_unref(monitor);
    return found;
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
    std::vector<std::string> wholeNetworks;
    GList* mounts = g_unix_mounts_get(nullptr);
    for (GList* item = mounts; item; item = item->next) {
        auto* entry = static_cast<GUnixMountEntry*>(item->data);
        std::string path = g_unix_mount_get_mount_path(entry);
        std::string type = g_unix_mount_get_fs_type(entry);
        if (IsWholeNetworkFileSystem(type)) {
            wholeNetworks.push_back(path);
        } else if (IsNetworkDriveFileSystem(type)) {
            if (IsSafePlace(path, type)) found[path] = DriveType::Remote;
        } else if (IsUserMediaFolder(path, g_get_user_name()) &&
                   IsRemovableBlockDevice(g_unix_mount_get_device_path(entry))) {
            // An internal partition the desktop mounted there is no stick.
            found[path] = DriveType::Removable;
        }
    }
    g_list_free_full(mounts, reinterpret_cast<GDestroyNotify>(g_unix_mount_free));
    if (!wholeNetworks.empty()) {
        for (const std::string& share : ListWholeNetworkShares(wholeNetworks, kShareListTimeoutMs)) {
            found[share] = DriveType::Remote;
        }
    }
    AddMonitorMounts(found);
    std::vector<DrivePlace> places;
    places.reserve(found.size());
    for (const auto& [path, type] : found) places.push_back({0, type, path, false, false, false});
    return places;
}

std::vector<DrivePlace> GioDriveList::BuildList() {
    m_last = AssignDriveLetters(g_get_home_dir(), m_configured, Discover());
    std::vector<std::string> roots;
    for (auto& [letter, place] : m_last) roots.push_back(place.root);
    std::vector<bool> writable = ProbeWritable(roots, kProbeTimeoutMs);
    std::vector<DrivePlace> list;
    size_t index = 0;
    for (auto& [letter, place] : m_last) {
        place.writable = writable[index++];
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
    return DriveTypeName(type, PrefersJapanese(UserLanguages()));
}

}  // namespace dorv
