#include "learner/FileSystems.h"

#include <algorithm>
#include <iterator>

namespace dorv {
namespace {

constexpr const char* kNetworkDrives[] = {
    "nfs",         "nfs4",        "cifs", "smb3", "smbfs",     "fuse.sshfs",     "sshfs", "davfs",
    "fuse.davfs2", "fuse.rclone", "afs",  "ceph", "glusterfs", "fuse.glusterfs", "9p",    "fuse.smbnetfs",
};

// Kernel file systems of other machines' disks.
constexpr const char* kNetworkKernel[] = {
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "afs", "ceph", "glusterfs", "9p", "davfs", "ncpfs", "coda", "lustre",
};

// FUSE file systems of this machine's own disks and images.
constexpr const char* kLocalFuse[] = {"fuseblk", "fuse.fusefat", "fuse.exfat", "fuse.ntfs-3g", "fuse.fuse-ext2"};

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

bool IsIn(const std::string& type, const auto& list) {
    return std::any_of(std::begin(list), std::end(list), [&](const char* entry) { return type == entry; });
}

}  // namespace

PlaceTraits TraitsOfFileSystem(const std::string& type, const std::string& below) {
    if (type == "fuse.smbnetfs") {
        return {.shared = true, .appends = false, .replacesAtomically = false, .createsExclusively = false};
    }
    if (type == "fuse.gvfsd-fuse" && StartsWith(below, "smb-share:")) {
        return {.shared = true, .replacesAtomically = false};
    }
    if (IsIn(type, kNetworkKernel)) return {.shared = true, .appends = true};
    // Any other FUSE file system may be a network's: lock files cost little.
    if ((type == "fuse" || StartsWith(type, "fuse.")) && !IsIn(type, kLocalFuse)) return {.shared = true};
    return {};
}

bool IsNetworkDriveFileSystem(const std::string& type) { return IsIn(type, kNetworkDrives); }

bool IsWholeNetworkFileSystem(const std::string& type) { return type == "fuse.smbnetfs"; }

std::string UnsafeMountReason(const std::string& type) {
    if (type == "gvfs:ftp" || type == "gvfs:ftps" || type == "fuse.curlftpfs") {
        return "FTP cannot replace a file in one step";
    }
    if (type == "gvfs:dav" || type == "gvfs:davs" || type == "davfs" || type == "fuse.davfs2") {
        return "WebDAV cannot append: each history record sends the whole file again, and two machines "
               "overwrite each other's records";
    }
    if (type == "fuse.rclone") return "rclone cannot append to a file without its file cache";
    return {};
}

}  // namespace dorv
