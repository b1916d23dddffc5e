// The drive letters on Linux. "C" is the user's own space (its learner data
// goes to the documents folder of the XDG user directories, or the home
// folder). Removable media that the desktop mounted and network file systems
// take "D" to "Z" in the order of their mount points; the places that
// DORV.ini's "Drives" section names take their own letters instead.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "learner/DriveList.h"
#include "learner/DrivePlaces.h"

namespace dorv {

class GioDriveList : public IDriveList {
public:
    // `configured`: the "Drives" section, letter and value ("<folder>,<type>",
    // the type one of removable, remote or fixed).
    explicit GioDriveList(const std::vector<std::pair<char, std::string>>& configured);

    std::vector<DrivePlace> BuildList() override;
    DrivePlace Find(char letter) override;
    bool GetDocumentsFolder(std::string& folder) override;
    std::string TypeName(DriveType type) const override;

private:
    std::vector<DrivePlace> Discover() const;

    std::map<char, DrivePlace> m_configured;
    std::map<char, DrivePlace> m_last;
    bool m_built = false;
};

// The folder where the SMB share \\server\share is mounted (names in
// any letter case): by GNOME ("Connect to Server"), by the kernel's client,
// or below an smbnetfs mount; "" when it is not mounted.
std::string FindMountedShare(const std::string& server, const std::string& share);

// Whether the block device `device` (a /dev path, links followed) is on
// removable media: its disk says so in sysfs, or it hangs off a USB or
// memory-card bus. `sysfs` is where sysfs is mounted.
bool IsRemovableBlockDevice(const std::string& device, const std::string& sysfs = "/sys");

// The shares of mounts of the whole SMB network (smbnetfs): the folders two
// levels below each, "<host>/<share>", but the servers' own ("…$"). Each
// mount is listed on a thread of its own; what was found within
// `timeoutMs`, and what a mount's last whole listing found, counts.
std::vector<std::string> ListWholeNetworkShares(const std::vector<std::string>& mounts, unsigned timeoutMs);

// Which of the folders are mounted read-write and writable by this user.
// Each is looked at on a thread of its own; one that has not answered
// within `timeoutMs` (a hung network server) counts as not writable.
std::vector<bool> ProbeWritable(const std::vector<std::string>& folders, unsigned timeoutMs);

}  // namespace dorv
