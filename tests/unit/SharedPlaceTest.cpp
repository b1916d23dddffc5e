// Two copies of the program on two machines with one learner, on a place
// whose locks do not reach between them: real files in a scratch folder,
// each copy with a file store that takes the folder for a network share and
// names its own machine.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "Fakes.h"
#include "ScriptPage.h"
#include "learner/LearnerData.h"
#include "learner/LearnerStore.h"
#include "learner/ScriptHost.h"
#include "platform/system/MountTable.h"
#include "platform/system/PosixFileStore.h"

namespace dorv {
namespace {

namespace fs = std::filesystem;

using test::ReadBytes;
using test::ScriptPage;

const std::string kHeader(CLearnerStore::kHistoryHeader, CLearnerStore::kHistoryHeaderSize);

// One copy of the program on a machine of its own, on a client that can do
// what `traits` say (kSmbnetfs: no appending, no rename over a file in one
// step, no exclusive create).
constexpr PlaceTraits kSmbnetfs{
    .shared = true, .appends = false, .replacesAtomically = false, .createsExclusively = false};
struct Machine {
    Machine(const fs::path& share, const std::string& host, PlaceTraits traits = {.shared = true})
        : files(PosixFileStore::kSystemLocks, [traits](const std::string&) { return traits; }) {
        CopyId self = ThisCopy();
        self.host = host;
        self.boot = host == "lab-01" ? "0000aaaa" : "0000bbbb";
        files.SetSelf(self);
        drives.places = {{'S', DriveType::Remote, share.string(), true, false, true}};
        store.SetCourseFolderName("ENG");
        page.answers = {{"GetPrefSize", "1"}, {"GetPrefData", "p"}, {"GetPosData", host}, {"GetScoreData", host}};
    }
    void Choose(const std::string& learner) {
        data.SelectDrive("S");
        data.CreateLearnerFolder(learner);
        data.SelectLearner(learner);
        data.LoadPosition();
        data.LoadScores();
    }
    bool Log(const std::string& record) {
        page.answers["GetLogData"] = record;
        return data.SaveHistoryRecord();
    }

    PosixFileStore files;
    test::FakeDriveList drives;
    test::FakeMessageBox box;
    ScriptPage page;
    CLearnerStore store{files, drives, box};
    std::string learnerFolder;
    CLearnerData data{{page, files, drives, box}, store, learnerFolder};
};

class SharedPlaceTest : public ::testing::Test {
protected:
    fs::path Share() const { return scratch.Path() / "share"; }
    fs::path Taro() const { return Share() / "PLENA/ENG/taro"; }
    void Age(const fs::path& file, long long seconds) {
        fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::seconds(seconds));
    }
    test::ScratchFolder scratch;
};

TEST_F(SharedPlaceTest, TheSecondMachineIsToldAndTheFirstOnesFilesStayWhole) {
    fs::create_directories(Share());
    Machine a(Share(), "lab-01"), b(Share(), "lab-02");
    a.Choose("taro");
    EXPECT_EQ(ReadBytes(Taro() / kLearnerLockName), LockText(a.files.Self()));
    ASSERT_TRUE(a.data.SavePosition());
    b.Choose("taro");
    // The second machine reads the learner's files ...
    EXPECT_EQ(b.page.calls.back(), "SetScoreData()");
    EXPECT_EQ(b.page.calls[b.page.calls.size() - 2], "SetPosData('lab-01')");
    // ... appends to the history ...
    EXPECT_TRUE(a.Log("a1\n"));
    EXPECT_TRUE(b.Log("b1\n"));
    EXPECT_TRUE(a.Log("a2\n"));
    EXPECT_EQ(ReadBytes(Taro() / "HISTORY.DAT"), kHeader + "a1\nb1\na2\n");
    // ... but replaces and deletes nothing of the first machine's, and is told.
    EXPECT_FALSE(b.data.SavePosition());
    EXPECT_FALSE(b.data.SaveScores());
    b.data.DeleteLearnerFolder();
    EXPECT_EQ(ReadBytes(Taro() / "TASK.DAT"), "lab-01");
    EXPECT_FALSE(fs::exists(Taro() / "SCORE.DAT"));
    EXPECT_TRUE(fs::exists(Taro() / "HISTORY.DAT"));
    const std::string sharing = "A sharing violation occurred while accessing " + Taro().string();
    EXPECT_EQ(b.box.shown,
              (std::vector<std::string>{sharing + "/TASK.DAT.", sharing + "/SCORE.DAT.", sharing + "/HISTORY.DAT."}));
    EXPECT_TRUE(a.box.shown.empty());
    EXPECT_TRUE(a.data.SaveScores());

    // The first machine lets go (it closes): the second takes the learner
    // with its next save.
    a.data.ReleaseLearnerClaim();
    EXPECT_FALSE(fs::exists(Taro() / kLearnerLockName));
    EXPECT_TRUE(b.data.SavePosition());
    EXPECT_EQ(ReadBytes(Taro() / "TASK.DAT"), "lab-02");
    EXPECT_EQ(ReadBytes(Taro() / kLearnerLockName), LockText(b.files.Self()));
    a.page.answers["GetPosData"] = "late";
    EXPECT_FALSE(a.data.SavePosition());
    EXPECT_EQ(ReadBytes(Taro() / "TASK.DAT"), "lab-02");
    // Nothing of either copy's temporary files is left.
    for (const auto& entry : fs::directory_iterator(Taro())) {
        EXPECT_EQ(entry.path().filename().string().find(".new"), std::string::npos) << entry.path();
    }
}

TEST_F(SharedPlaceTest, ALockOfACopyThatIsGoneIsTakenOver) {
    fs::create_directories(Share());
    Machine a(Share(), "lab-01"), b(Share(), "lab-02");
    a.Choose("taro");
    // A machine that went off without letting go: its lock goes stale.
    Age(Taro() / kLearnerLockName, kLearnerLockStaleSeconds - 20);
    b.Choose("taro");
    EXPECT_FALSE(b.data.SavePosition());
    Age(Taro() / kLearnerLockName, kLearnerLockStaleSeconds + 5);
    EXPECT_TRUE(b.data.SavePosition());
    EXPECT_EQ(ReadBytes(Taro() / kLearnerLockName), LockText(b.files.Self()));
    // The holder's refresh keeps its lock fresh; a copy that lost its lock
    // learns so at its refresh.
    Age(Taro() / kLearnerLockName, kLearnerLockStaleSeconds + 5);
    b.data.RefreshLearnerClaim();
    a.data.RefreshLearnerClaim();
    EXPECT_FALSE(a.data.HoldsLearnerClaim());
    EXPECT_FALSE(a.data.SavePosition());
    EXPECT_EQ(ReadBytes(Taro() / "TASK.DAT"), "lab-02");

    // A copy of this machine that ended: taken over at once.
    CopyId ended = b.files.Self();
    ended.pid = 1 << 22;  // above any process number of this machine
    ASSERT_FALSE(IsProcessRunning(ended.pid));
    std::ofstream(Taro() / kLearnerLockName) << LockText(ended);
    EXPECT_TRUE(b.data.SaveScores());
    EXPECT_EQ(ReadBytes(Taro() / kLearnerLockName), LockText(b.files.Self()));
}

// Many appends of two machines at once, on a client that appends and on one
// that cannot (the append then writes at the file's end under the lock):
// every record of both, each whole, the header once.
TEST_F(SharedPlaceTest, AppendsOfTwoMachinesAtOnceKeepEveryRecord) {
    for (PlaceTraits traits : {PlaceTraits{.shared = true}, kSmbnetfs}) {
        const bool appends = traits.appends;
        fs::remove_all(Share());
        fs::create_directories(Taro());
        constexpr int kRecords = 150;
        pid_t children[2];
        for (int m = 0; m < 2; ++m) {
            children[m] = fork();
            ASSERT_GE(children[m], 0);
            if (children[m] == 0) {
                Machine machine(Share(), m == 0 ? "lab-01" : "lab-02", traits);
                machine.data.SelectDrive("S");
                machine.data.SelectLearner("taro");
                int failed = 0;
                for (int i = 0; i < kRecords; ++i) {
                    std::string record = (m == 0 ? "A" : "B") + std::to_string(i) + std::string(40 + i % 7, 'x') + "\n";
                    if (!machine.Log(record) || !machine.box.shown.empty()) ++failed;
                }
                _exit(failed == 0 ? 0 : 1);
            }
        }
        for (pid_t child : children) {
            int status = 0;
            waitpid(child, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "appends " << appends;
        }
        std::string history = ReadBytes(Taro() / "HISTORY.DAT");
        ASSERT_EQ(history.compare(0, kHeader.size(), kHeader), 0) << "appends " << appends;
        std::istringstream lines(history.substr(kHeader.size()));
        std::map<std::string, int> seen;
        for (std::string line; std::getline(lines, line);) ++seen[line];
        ASSERT_EQ(seen.size(), 2u * kRecords) << "appends " << appends;
        for (int m = 0; m < 2; ++m) {
            for (int i = 0; i < kRecords; ++i) {
                std::string record = (m == 0 ? "A" : "B") + std::to_string(i) + std::string(40 + i % 7, 'x');
                EXPECT_EQ(seen[record], 1) << record;
            }
        }
        EXPECT_FALSE(fs::exists(Taro() / kHistoryLockName));
    }
}

// Where a rename over a file deletes it first, the old file is renamed
// aside for the moment of the replace; a replace that stopped there leaves
// the old content, which the next load puts back.
TEST_F(SharedPlaceTest, AReplaceInTwoStepsLeavesTheOldContentWhole) {
    fs::create_directories(Share());
    Machine a(Share(), "lab-01", kSmbnetfs);
    a.Choose("taro");
    ASSERT_TRUE(a.data.SavePosition());
    a.page.answers["GetPosData"] = "second";
    ASSERT_TRUE(a.data.SavePosition());
    EXPECT_EQ(ReadBytes(Taro() / "TASK.DAT"), "second");
    for (const auto& entry : fs::directory_iterator(Taro())) {
        std::string name = entry.path().filename().string();
        EXPECT_TRUE(name.find(".old") == std::string::npos && name.find(".new") == std::string::npos) << name;
    }
    // A copy of this machine that ended between the two renames.
    CopyId ended = a.files.Self();
    ended.pid = 1 << 22;
    fs::rename(Taro() / "TASK.DAT", Taro() / OldCopyName("TASK.DAT", ended));
    std::ofstream(Taro() / TemporaryName("TASK.DAT", ended)) << "third";
    a.data.LoadPosition();
    EXPECT_EQ(a.page.calls.back(), "SetPosData('second')");
    EXPECT_EQ(ReadBytes(Taro() / "TASK.DAT"), "second");
    // A live copy's is left alone; what a gone copy put aside beside a file
    // that is in place goes with the next save.
    std::ofstream(Taro() / OldCopyName("SCORE.DAT", ended)) << "older";
    std::ofstream(Taro() / OldCopyName("TASK.DAT", {ended.host, ended.boot, getppid()})) << "live";
    Machine b(Share(), "lab-01", kSmbnetfs);
    b.files.SetSelf(a.files.Self());
    b.data.SelectDrive("S");
    b.data.SelectLearner("taro");
    ASSERT_TRUE(b.data.SaveScores());
    EXPECT_FALSE(fs::exists(Taro() / OldCopyName("SCORE.DAT", ended)));
    EXPECT_FALSE(fs::exists(Taro() / TemporaryName("TASK.DAT", ended)));
    EXPECT_TRUE(fs::exists(Taro() / OldCopyName("TASK.DAT", {ended.host, ended.boot, getppid()})));
}

// What a place can do is looked up once per folder: the mount table is not
// read for every save on a local disk.
TEST_F(SharedPlaceTest, APlacesTraitsAreLookedUpOncePerFolder) {
    fs::create_directories(Share() / "a");
    fs::create_directories(Share() / "b");
    int lookups = 0;
    PosixFileStore files(PosixFileStore::kSystemLocks, [&](const std::string&) {
        ++lookups;
        return PlaceTraits{};
    });
    int err = 0;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(files.WriteAtomically((Share() / "a/TASK.DAT").string(), "x", err));
        EXPECT_FALSE(files.IsShared((Share() / "a/SCORE.DAT").string()));
    }
    EXPECT_EQ(lookups, 1);
    EXPECT_FALSE(files.IsShared((Share() / "b/TASK.DAT").string()));
    EXPECT_EQ(lookups, 2);
}

TEST(MountTable, ThePathsMountAndTheFolderBelowIt) {
    const std::string table =
        "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "51 22 0:40 / /run/user/0/gvfs rw,nosuid - fuse.gvfsd-fuse gvfsd-fuse rw\n"
        "52 22 0:41 / /media/u/MY\\040STICK rw shared:5 - vfat /dev/sdb1 rw\n"
        "53 22 0:42 / /mnt rw - tmpfs none rw\n"
        "54 53 0:43 / /mnt rw - nfs4 srv:/x rw\n";
    MountOf mount = FindMount("/run/user/0/gvfs/smb-share:server=s,share=l/PLENA", table);
    EXPECT_EQ(mount.type, "fuse.gvfsd-fuse");
    EXPECT_EQ(mount.point, "/run/user/0/gvfs");
    EXPECT_EQ(mount.below, "smb-share:server=s,share=l");
    EXPECT_EQ(FindMount("/media/u/MY STICK/PLENA/ENG/a/TASK.DAT", table).type, "vfat");
    EXPECT_EQ(FindMount("/run/user/0/gvfsx/a", table).type, "ext4");
    EXPECT_EQ(FindMount("/mnt/school/PLENA", table).type, "nfs4");  // the later of two at one place
    // A relative path and one that does not exist yet are looked for by
    // their nearest existing folder.
    EXPECT_EQ(FindMount("no/such/folder/x", table).type, "ext4");
}

}  // namespace
}  // namespace dorv
