// The rules by which copies on several machines share a place: temporary
// names, who may remove a leftover, the lock files' freshness, and what each
// file system's client can do.
#include "learner/SharedFiles.h"

#include <gtest/gtest.h>

#include "learner/FileSystems.h"

namespace dorv {
namespace {

const CopyId kSelf{"lab-01", "3f2a9c1b", 4242};

TEST(SharedFiles, TemporaryNamesNameTheirCopyAndReadBack) {
    EXPECT_EQ(HostNameForFiles("lab-01.school.example"), "lab-01");
    EXPECT_EQ(HostNameForFiles("教室 PC_3"), "-------PC-3");  // UTF-8 bytes and the rest as "-"
    EXPECT_EQ(HostNameForFiles(""), "host");
    EXPECT_EQ(HostNameForFiles(std::string(40, 'a')).size(), 24u);
    const std::string name = TemporaryName("TASK.DAT", kSelf);
    EXPECT_EQ(name, "TASK.DAT.lab-01.3f2a9c1b.4242.new");
    std::optional<Leftover> back = ParseLeftover(name, "TASK.DAT");
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->unnamed);
    EXPECT_EQ(back->owner, kSelf);
    // The lock file's own temporary: its name holds "#" and ".".
    back = ParseLeftover(TemporaryName(".~lock.DORV#", kSelf), ".~lock.DORV#");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->owner, kSelf);
    EXPECT_TRUE(ParseLeftover("SCORE.DAT.new", "SCORE.DAT")->unnamed);
    EXPECT_EQ(OldCopyName("PREF.PRF", kSelf), "PREF.PRF.lab-01.3f2a9c1b.4242.old");
    back = ParseLeftover(OldCopyName("PREF.PRF", kSelf), "PREF.PRF");
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->oldCopy);
    EXPECT_EQ(back->owner, kSelf);
    EXPECT_FALSE(ParseLeftover("PREF.PRF.old", "PREF.PRF"));
    for (const char* other :
         {"TASK.DAT", "TASK.DAT.new.bak", "SCORE.DAT.new", "TASK.DATX.new", "TASK.DAT..new",
          "TASK.DAT.lab.3f2a9c1b.new", "TASK.DAT.lab.3f2a9c1g.1.new", "TASK.DAT.lab.3f2a9c1b.-1.new",
          "TASK.DAT.la_b.3f2a9c1b.1.new", "TASK.DAT.lab.3f2a9c1b.0.new"}) {
        EXPECT_FALSE(ParseLeftover(other, "TASK.DAT")) << other;
    }
}

TEST(SharedFiles, OnlyLeftoversOfCopiesThatAreSurelyGoneGo) {
    Leftover mine{false, kSelf};
    Leftover neighbour{false, {"lab-01", "3f2a9c1b", 99}};
    Leftover earlierStart{false, {"lab-01", "00000000", 99}};
    Leftover otherMachine{false, {"lab-02", "3f2a9c1b", 99}};
    Leftover unnamed{true, {}};
    EXPECT_TRUE(IsLeftoverAbandoned(mine, kSelf, true, 0));
    EXPECT_FALSE(IsLeftoverAbandoned(neighbour, kSelf, true, 1000000));  // its process runs: never
    EXPECT_TRUE(IsLeftoverAbandoned(neighbour, kSelf, false, 0));
    for (const Leftover& far : {earlierStart, otherMachine, unnamed}) {
        EXPECT_FALSE(IsLeftoverAbandoned(far, kSelf, false, kAbandonedAfterSeconds - 1));
        EXPECT_TRUE(IsLeftoverAbandoned(far, kSelf, true, kAbandonedAfterSeconds));
    }
}

TEST(SharedFiles, LockFilesNameTheirHolderAndGoStale) {
    EXPECT_EQ(LockText(kSelf), "lab-01 3f2a9c1b 4242\n");
    EXPECT_EQ(ParseLockText(LockText(kSelf)), kSelf);
    EXPECT_EQ(ParseLockText("lab-01 3f2a9c1b 4242"), kSelf);
    for (const char* broken : {"", "\n", "lab-01 3f2a9c1b", "lab-01 3f2a9c1b 4242 more", "lab 01 3f2a9c1b 1"}) {
        EXPECT_FALSE(ParseLockText(broken)) << broken;
    }
    CopyId neighbour{"lab-01", "3f2a9c1b", 99};
    CopyId otherMachine{"lab-02", "3f2a9c1b", 99};
    // A copy of this machine has the learner while its process runs, however old its lock.
    EXPECT_TRUE(IsHolderPresent(neighbour, kSelf, true, 100000));
    EXPECT_FALSE(IsHolderPresent(neighbour, kSelf, false, 0));
    // Another machine's while its lock is fresh; a clock behind ours gives a negative age.
    EXPECT_TRUE(IsHolderPresent(otherMachine, kSelf, false, -600));
    EXPECT_TRUE(IsHolderPresent(otherMachine, kSelf, false, kLearnerLockStaleSeconds - 1));
    EXPECT_FALSE(IsHolderPresent(otherMachine, kSelf, false, kLearnerLockStaleSeconds));
    EXPECT_TRUE(IsHolderPresent(std::nullopt, kSelf, false, 10));  // unreadable, yet fresh
    EXPECT_FALSE(IsHolderPresent(std::nullopt, kSelf, false, kLearnerLockStaleSeconds));
    // The holder rewrites its lock well within the time others wait for it.
    EXPECT_LE(kLearnerLockRefreshSeconds * 3, kLearnerLockStaleSeconds);

    // The history's lock: taken over from a copy of this machine that ended
    // (or from this copy itself), else only when old.
    EXPECT_TRUE(MayTakeOverHistoryLock(kSelf, kSelf, true, 0));
    EXPECT_FALSE(MayTakeOverHistoryLock(neighbour, kSelf, true, 100000));
    EXPECT_TRUE(MayTakeOverHistoryLock(neighbour, kSelf, false, 0));
    EXPECT_FALSE(MayTakeOverHistoryLock(otherMachine, kSelf, false, kHistoryLockStaleSeconds - 1));
    EXPECT_TRUE(MayTakeOverHistoryLock(otherMachine, kSelf, false, kHistoryLockStaleSeconds));
    EXPECT_TRUE(MayTakeOverHistoryLock(std::nullopt, kSelf, false, kHistoryLockStaleSeconds));
}

TEST(FileSystems, WhatEachClientCanDo) {
    // Local disks and sticks: file locks do the work.
    for (const char* local : {"ext4", "xfs", "btrfs", "vfat", "exfat", "tmpfs", "fuseblk", "fuse.fusefat"}) {
        EXPECT_FALSE(TraitsOfFileSystem(local, "").shared) << local;
        EXPECT_TRUE(TraitsOfFileSystem(local, "").appends) << local;
    }
    for (const char* network : {"nfs", "nfs4", "cifs", "smb3", "fuse.sshfs", "fuse.gvfsd-fuse", "fuse.unknown"}) {
        EXPECT_TRUE(TraitsOfFileSystem(network, "x").shared) << network;
        EXPECT_TRUE(TraitsOfFileSystem(network, "x").appends) << network;
    }
    EXPECT_TRUE(TraitsOfFileSystem("fuse.smbnetfs", "host").shared);
    EXPECT_FALSE(TraitsOfFileSystem("fuse.smbnetfs", "host").appends);
    // The clients on libsmbclient delete a file before renaming over it.
    EXPECT_FALSE(TraitsOfFileSystem("fuse.smbnetfs", "host").replacesAtomically);
    EXPECT_FALSE(TraitsOfFileSystem("fuse.gvfsd-fuse", "smb-share:server=s,share=l").replacesAtomically);
    EXPECT_TRUE(TraitsOfFileSystem("fuse.gvfsd-fuse", "smb-share:server=s,share=l").appends);
    EXPECT_TRUE(TraitsOfFileSystem("fuse.gvfsd-fuse", "nfs:host=s,prefix=%2Fx").replacesAtomically);
    EXPECT_TRUE(TraitsOfFileSystem("cifs", "").replacesAtomically);
    EXPECT_FALSE(TraitsOfFileSystem("fuse.smbnetfs", "host").createsExclusively);
    EXPECT_TRUE(TraitsOfFileSystem("fuse.gvfsd-fuse", "smb-share:server=s,share=l").createsExclusively);

    for (const char* drive : {"nfs4", "cifs", "fuse.sshfs", "fuse.smbnetfs"}) {
        EXPECT_TRUE(IsNetworkDriveFileSystem(drive)) << drive;
        EXPECT_EQ(UnsafeMountReason(drive), "") << drive;
    }
    EXPECT_FALSE(IsNetworkDriveFileSystem("fuse.gvfsd-fuse"));  // its places come one by one from GIO
    EXPECT_TRUE(IsWholeNetworkFileSystem("fuse.smbnetfs"));
    EXPECT_FALSE(IsWholeNetworkFileSystem("cifs"));
    for (const char* scheme : {"gvfs:smb", "gvfs:nfs", "gvfs:sftp", "gvfs:afp"}) {
        EXPECT_EQ(UnsafeMountReason(scheme), "") << scheme;
    }
    for (const char* unsafe :
         {"gvfs:ftp", "gvfs:dav", "gvfs:davs", "davfs", "fuse.davfs2", "fuse.curlftpfs", "fuse.rclone"}) {
        EXPECT_NE(UnsafeMountReason(unsafe), "") << unsafe;
    }
}

}  // namespace
}  // namespace dorv
