// What the file systems that hold learner data can do, by the type the mount
// table gives them ("ext4", "nfs4", "fuse.sshfs", "fuse.gvfsd-fuse" ...),
// and which network mounts are drives at all.
#pragma once

#include <string>

namespace dorv {

struct PlaceTraits {
    // Other machines may use the place, and a file lock taken here does not
    // hold them off: lock files stand in (see SharedFiles.h).
    bool shared = false;
    // A file opened for appending takes each write at its end. Where the
    // client cannot open for appending (smbnetfs), an append writes at the
    // end the file has when it is written, under the history's lock.
    bool appends = true;
    // A rename over an existing file replaces it in one step. The SMB
    // clients built on libsmbclient (smbnetfs, GNOME's SMB mounts) delete
    // the old file and then rename: there the old file is renamed aside
    // first and deleted once the new one is in place (OldCopyName), so that
    // an interrupted replace leaves the old content whole.
    bool replacesAtomically = true;
    // A create that must make a new file fails when the file exists, on the
    // server. smbnetfs creates over the file: two copies taking a lock file
    // at one moment may both believe they have it, so a lock taken there is
    // read back once more after a moment (kCreateSettleMs) before it counts.
    bool createsExclusively = true;
};

constexpr unsigned kCreateSettleMs = 200;

// `below` is the first folder name below the mount point: GNOME's FUSE
// folder holds one folder per network place, "smb-share:server=…,share=…",
// "nfs:host=…", "sftp:host=…".
PlaceTraits TraitsOfFileSystem(const std::string& type, const std::string& below);

// Network file systems that are drives wherever they are mounted.
bool IsNetworkDriveFileSystem(const std::string& type);

// smbnetfs shows the whole SMB network in one mount: its shares, two
// levels below the mount point ("<host>/<share>"), are the drives.
bool IsWholeNetworkFileSystem(const std::string& type);

// Why a network mount cannot hold the learner's data safely (its client
// cannot replace a file in one step, or cannot append, so that two machines
// overwrite each other's history records), or "" when it can. `type` is a
// mount table's type; for GNOME's mounts the place's scheme ("smb", "ftp",
// "dav" …) with the prefix "gvfs:".
std::string UnsafeMountReason(const std::string& type);

}  // namespace dorv
