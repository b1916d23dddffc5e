// How the platform finds drives: removable media by sysfs, writable places
// probed in parallel, the shares of a whole SMB network.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Fakes.h"
#include "platform/system/GioDriveList.h"

namespace dorv {
namespace {

namespace fs = std::filesystem;

TEST(DrivePlaces, RemovableMediaAreToldBySysfs) {
    test::ScratchFolder scratch;
    namespace fs = std::filesystem;
    const fs::path sys = scratch.Path() / "sys", dev = scratch.Path() / "dev";
    auto disk = [&](const std::string& name, const std::string& bus, const char* removable) {
        fs::path node = sys / "devices" / bus / "block" / name;
        fs::create_directories(node / (name + "1"));
        std::ofstream(node / "removable") << removable;
        std::ofstream(node / (name + "1") / "partition") << "1";
        fs::create_directories(sys / "class/block");
        fs::create_symlink(node / (name + "1"), sys / "class/block" / (name + "1"));
        fs::create_symlink(node, sys / "class/block" / name);
    };
    disk("sdb", "pci0000:00/0000:00:14.0/usb1/1-1/host6/target6:0:0/6:0:0:0", "0");  // a USB disk
    disk("sda", "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", "0");      // the internal disk
    disk("sdc", "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0", "1");      // a card reader
    disk("loop0", "virtual", "0");
    (void)dev;
    // The device's name comes from its /dev path; a loop device is no stick.
    EXPECT_TRUE(IsRemovableBlockDevice("/dev/sdb1", sys.string()));
    EXPECT_FALSE(IsRemovableBlockDevice("/dev/sda1", sys.string()));
    EXPECT_TRUE(IsRemovableBlockDevice("/dev/sdc1", sys.string()));
    EXPECT_TRUE(IsRemovableBlockDevice("/dev/sdb", sys.string()));
    EXPECT_FALSE(IsRemovableBlockDevice("/dev/loop01", sys.string()));
    EXPECT_FALSE(IsRemovableBlockDevice("tmpfs", sys.string()));
}

TEST(DrivePlaces, WritablePlacesAreProbedInParallel) {
    test::ScratchFolder scratch;
    std::filesystem::create_directories(scratch.Path() / "w");
    std::vector<bool> writable = ProbeWritable(
        {(scratch.Path() / "w").string(), (scratch.Path() / "missing").string(), (scratch.Path() / "w").string()},
        1000);
    EXPECT_EQ(writable, (std::vector<bool>{true, false, true}));
}

// smbnetfs shows hosts, and below them their shares; workgroups hold links
// to their hosts. The shares are the drives, not the servers' own ("$").
TEST(DrivePlaces, TheSharesOfAWholeSmbNetworkAreItsDrives) {
    test::ScratchFolder scratch;
    const fs::path net = scratch.Path() / "smb", other = scratch.Path() / "smb2";
    for (const char* folder : {"server/learners", "server/IPC$", "server/classes", "nas/data"}) {
        fs::create_directories(net / folder);
    }
    fs::create_directories(net / "WORKGROUP");
    fs::create_directory_symlink("../server", net / "WORKGROUP/server");
    fs::create_directories(other / "host/share");
    std::vector<std::string> shares = ListWholeNetworkShares({net.string(), other.string()}, 2000);
    EXPECT_EQ(shares, (std::vector<std::string>{(net / "nas/data").string(), (net / "server/classes").string(),
                                                (net / "server/learners").string(), (other / "host/share").string()}));
}

}  // namespace
}  // namespace dorv
