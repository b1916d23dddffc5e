// The learner data against real files in a scratch folder, with a page
// whose functions the tests give.
#include "learner/LearnerData.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "Fakes.h"
#include "LearnerDataRig.h"
#include "ScriptPage.h"
#include "learner/LearnerStore.h"
#include "learner/ScriptHost.h"
#include "platform/system/GioDriveList.h"
#include "platform/system/PosixFileStore.h"

namespace dorv {
namespace {

namespace fs = std::filesystem;

using test::ReadBytes;
using test::ScriptPage;

using test::kHeader;
using test::LearnerDataTest;

TEST_F(LearnerDataTest, CourseDataFolderFollowsTheDrive) {
    data.SelectDrive("C");
    EXPECT_EQ(store.GetCourseDataFolder(), (Root() / "home/Documents/PLENA/ENG/").string());
    EXPECT_TRUE(fs::is_directory(Root() / "home/Documents/PLENA/ENG"));
    data.SelectDrive("f");
    EXPECT_EQ(store.GetCourseDataFolder(), Stick().string() + "/");
    // A fixed place that the deployment named keeps its own folder.
    drives.places.push_back({'E', DriveType::Fixed, Root() / "school", true, false, true});
    data.SelectDrive("E");
    EXPECT_EQ(store.GetCourseDataFolder(), (Root() / "school/PLENA/ENG/").string());
    // No documents folder: the drive's own root.
    drives.documents.clear();
    data.SelectDrive("C");
    EXPECT_EQ(store.GetCourseDataFolder(), (Root() / "home/PLENA/ENG/").string());
    for (const char* letter : {"X", "", "FF"}) {
        data.SelectDrive(letter);
        EXPECT_EQ(store.GetCourseDataFolder(), "") << letter;
    }
    // A course folder name that is no plain name gives no folder at all.
    for (const std::string& title : std::vector<std::string>{"", "..", "a/b", "a\\b", "a\x01"}) {
        store.SetCourseFolderName(title);
        data.SelectDrive("F");
        EXPECT_EQ(store.GetCourseDataFolder(), "") << title;
    }
    EXPECT_EQ(page.calls, std::vector<std::string>(4, "UpdateUsers()"));
}

TEST_F(LearnerDataTest, PageTextIsStoredInCodePage932ByteForByte) {
    SelectOnStick("taro");
    const std::string text = "日本語, 'q' \"d\"\r\nA①～";
    page.answers["GetPosData"] = text;
    page.answers["GetScoreData"] = std::string("s1\0tail", 7);
    EXPECT_TRUE(data.SavePosition());
    EXPECT_TRUE(data.SaveScores());
    EXPECT_EQ(ReadBytes(Stick() / "taro/TASK.DAT"), "\x93\xfa\x96{\x8c\xea, 'q' \"d\"\r\nA\x87\x40\x81\x60");
    EXPECT_EQ(ReadBytes(Stick() / "taro/SCORE.DAT"), "s1");  // up to the first NUL
    page.answers["GetPosData"] = "é€😀";
    EXPECT_TRUE(data.SavePosition());
    EXPECT_EQ(ReadBytes(Stick() / "taro/TASK.DAT"), "???");  // no form in code page 932: "?"
    page.answers["GetPosData"] = "";
    EXPECT_TRUE(data.SavePosition());
    EXPECT_EQ(ReadBytes(Stick() / "taro/TASK.DAT"), "");

    // Loading: written by an existing installation, with bytes that code
    // page 932 leaves undefined; an empty file gives no argument.
    std::ofstream(Stick() / "taro/SCORE.DAT", std::ios::binary) << "\x93\xfa,\x80\xa0\xfd\xfe\xff\x85\x40'x'\0z";
    EXPECT_FALSE(data.LoadPosition());
    EXPECT_TRUE(data.LoadScores());
    EXPECT_EQ(page.calls.back(), "SetScoreData('日,\u0080\uF8F0\uF8F1\uF8F2\uF8F3\u30FB'x'')");
    EXPECT_EQ(page.calls[page.calls.size() - 2], "SetPosData()");
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(LearnerDataTest, NothingWithoutALearnerOrWhenThePageFails) {
    data.SelectDrive("F");
    page.calls.clear();
    EXPECT_FALSE(data.LoadPosition());
    EXPECT_FALSE(data.SaveScores());
    EXPECT_TRUE(page.calls.empty());
    SelectOnStick("a");
    std::ofstream(Stick() / "a/TASK.DAT") << "old";
    EXPECT_FALSE(data.SavePosition());  // no GetPosData
    EXPECT_EQ(ReadBytes(Stick() / "a/TASK.DAT"), "old");
}

TEST_F(LearnerDataTest, AFileHeldByAnotherCopyIsOneThatCannotBeOpened) {
    SelectOnStick("a");
    std::ofstream(Stick() / "a/TASK.DAT") << "old";
    int fd = open((Stick() / "a/TASK.DAT").c_str(), O_RDONLY);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    EXPECT_FALSE(data.LoadPosition());
    EXPECT_EQ(page.calls.back(), "SetPosData()");
    page.answers["GetPosData"] = "new";
    EXPECT_FALSE(data.SavePosition());
    close(fd);
    EXPECT_EQ(ReadBytes(Stick() / "a/TASK.DAT"), "old");
    // The load is quiet, as a missing file is; the lost save is told.
    EXPECT_EQ(box.shown, std::vector<std::string>{"A sharing violation occurred while accessing " +
                                                  (Stick() / "a/TASK.DAT").string() + "."});
    EXPECT_TRUE(data.SavePosition());
    EXPECT_EQ(ReadBytes(Stick() / "a/TASK.DAT"), "new");
}

TEST_F(LearnerDataTest, PreferencesAndTheirSafetyCopy) {
    data.SelectDrive("F");
    const fs::path pref = Stick() / "PREF.PRF", copy = Stick() / "PREF.PRF.bak";
    page.answers["GetPrefData"] = "list";
    page.answers["GetPrefSize"] = "abc";  // size 0: the save goes on
    std::ofstream(copy) << "leftover";
    EXPECT_TRUE(data.SavePreferences());
    EXPECT_EQ(ReadBytes(pref), "list");
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_EQ(page.calls.back(), "GetPrefData[0]");

    // A failed save: the old file stays; a safety copy without PREF.PRF
    // (an interrupted save of an older installation) is put back.
    page.answers["GetPrefSize"] = "-1";
    EXPECT_FALSE(data.SavePreferences());
    EXPECT_EQ(ReadBytes(pref), "list");
    fs::rename(pref, copy);
    EXPECT_FALSE(data.SavePreferences());
    EXPECT_EQ(ReadBytes(pref), "list");
    EXPECT_FALSE(fs::exists(copy));

    // "Drive:" finding only the safety copy loads it.
    fs::rename(pref, copy);
    page.calls.clear();
    data.SelectDrive("F");
    EXPECT_EQ(page.calls, std::vector<std::string>{"UpdateUsers('list')"});
}

TEST_F(LearnerDataTest, AnEmptyPreferencesFileBesideItsSafetyCopyIsAnInterruptedSave) {
    data.SelectDrive("F");
    const fs::path pref = Stick() / "PREF.PRF", copy = Stick() / "PREF.PRF.bak";
    std::ofstream(pref) << "";
    std::ofstream(copy) << "taro,hana";
    page.calls.clear();
    data.SelectDrive("F");
    EXPECT_EQ(page.calls, std::vector<std::string>{"UpdateUsers('taro,hana')"});
    // A failed save puts the good copy back in place of the empty file.
    page.answers["GetPrefSize"] = "-1";
    EXPECT_FALSE(data.SavePreferences());
    EXPECT_EQ(ReadBytes(pref), "taro,hana");
    EXPECT_FALSE(fs::exists(copy));
    // An empty safety copy is no learner list: the empty PREF.PRF stands.
    std::ofstream(pref) << "";
    std::ofstream(copy) << "";
    page.calls.clear();
    data.SelectDrive("F");
    EXPECT_EQ(page.calls, std::vector<std::string>{"UpdateUsers()"});
}

TEST_F(LearnerDataTest, DamagedFilesOfGigabytesAreNotRead) {
    SelectOnStick("taro");
    {
        std::ofstream task(Stick() / "taro/TASK.DAT");
        task << "x";
    }
    fs::resize_file(Stick() / "taro/TASK.DAT", std::uintmax_t{3} << 30);  // sparse: 3 GiB
    data.LoadPosition();
    EXPECT_EQ(page.calls.back(), "SetPosData()");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_NE(box.shown[0].find("TASK.DAT"), std::string::npos) << box.shown[0];
}

TEST_F(LearnerDataTest, ReplacedFilesKeepTheirPermissionsAndLeftTemporariesGo) {
    SelectOnStick("taro");
    page.answers["GetPosData"] = "step=1";
    ASSERT_TRUE(data.SavePosition());
    const fs::path task = Stick() / "taro/TASK.DAT";
    fs::permissions(task,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write);
    page.answers["GetPosData"] = "step=2";
    ASSERT_TRUE(data.SavePosition());
    EXPECT_EQ(ReadBytes(task), "step=2");
    EXPECT_EQ(fs::status(task).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write);
}

// What interrupted saves left goes with the first save into the folder, when
// the copy that wrote it is surely gone: one of this machine whose process
// ended, another machine's (or an earlier version's, which named no copy)
// untouched for an hour. Nothing that a live copy may still be writing.
TEST_F(LearnerDataTest, LeftoversOfCopiesThatAreGoneGo) {
    SelectOnStick("taro");
    const fs::path taro = Stick() / "taro";
    const CopyId self = files.Self();
    pid_t ended = fork();
    if (ended == 0) _exit(0);
    waitpid(ended, nullptr, 0);
    auto name = [&](const char* file, const std::string& host, const std::string& boot, long pid) {
        return TemporaryName(file, {host, boot, pid});
    };
    auto write = [&](const std::string& file, long long ageSeconds) {
        std::ofstream(taro / file) << "half";
        fs::last_write_time(taro / file, fs::file_time_type::clock::now() - std::chrono::seconds(ageSeconds));
    };
    const std::vector<std::string> gone = {
        name("SCORE.DAT", self.host, self.boot, ended),    // this machine, process ended
        name("TASK.DAT", self.host, self.boot, self.pid),  // this copy's own
        name("HISTORY.DAT", "lab-07", "0badf00d", 4242),   // another machine, two hours ago
        "SCORE.DAT.new",                                   // an earlier version's, two hours ago
        name(kLearnerLockName, self.host, self.boot, ended),
    };
    const std::vector<std::string> kept = {
        name("SCORE.DAT", self.host, self.boot, getppid()),  // a live process of this machine
        name("TASK.DAT", "lab-07", "0badf00d", 4242),        // another machine, a minute ago
        "TASK.DAT.new",                                      // an earlier version's, a minute ago
        "TASK.DAT.lab-07.nothex00.12.new",                   // no copy's name: not ours to judge
        "NOTES.TXT.new",
    };
    for (const std::string& file : gone) write(file, 7200);
    write(gone[0], 10);
    write(gone[1], 10);
    write(gone[4], 10);
    for (const std::string& file : kept) write(file, 60);
    page.answers["GetPosData"] = "step=3";
    ASSERT_TRUE(data.SavePosition());
    for (const std::string& file : gone) EXPECT_FALSE(fs::exists(taro / file)) << file;
    for (const std::string& file : kept) EXPECT_TRUE(fs::exists(taro / file)) << file;
    // What is left by copies that are gone does not keep "Delete:" from
    // removing the folder; a live copy's does.
    for (const std::string& file : kept) fs::remove(taro / file);
    write(gone[0], 10);
    data.DeleteLearnerFolder();
    EXPECT_FALSE(fs::exists(taro));
}

// A learner's session has no power over file modes: a file it may not write
// is not replaced, and the save fails as an open for writing does; the
// learner is told. Run as an ordinary user (a child that gives up root, if
// need be).
TEST_F(LearnerDataTest, AFileTheUserMayNotWriteIsNotReplaced) {
    SelectOnStick("taro");
    const fs::path task = Stick() / "taro/TASK.DAT";
    std::ofstream(task) << "kept";
    fs::permissions(task, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (geteuid() != 0) {
        page.answers["GetPosData"] = "new";
        EXPECT_FALSE(data.SavePosition());
        EXPECT_EQ(ReadBytes(task), "kept");
        EXPECT_EQ(box.shown, std::vector<std::string>{"Access to " + task.string() + " was denied."});
        return;
    }
    fs::permissions(Root(), fs::perms::all);
    for (const fs::path& dir : {Root() / "stick", Root() / "stick/PLENA", Stick(), Stick() / "taro"}) {
        ASSERT_EQ(chown(dir.c_str(), 65534, 65534), 0);
    }
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
        page.answers["GetPosData"] = "new";
        bool saved = data.SavePosition();
        _exit(saved ? 1 : box.shown == std::vector<std::string>{"Access to " + task.string() + " was denied."} ? 0 : 2);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadBytes(task), "kept");
}

TEST_F(LearnerDataTest, LearnerNamesThatReachElsewhereAreRefused) {
    SelectOnStick("taro");
    page.answers["GetPrefSize"] = "1";
    page.answers["GetPrefData"] = "p";
    for (const std::string& name : std::vector<std::string>{"..", ".", "../x", "a/b", "a\\b", "a\nb", "\x7f"}) {
        page.calls.clear();
        learnerFolder = "kept";
        data.SelectLearner(name);
        EXPECT_EQ(learnerFolder, "") << name;
        EXPECT_EQ(store.GetHistoryFilePath(), "") << name;
        data.CreateLearnerFolder(name);
        EXPECT_TRUE(page.calls.empty()) << name;
        data.DeleteLearnerFolder();  // nothing selected: only the preferences
        EXPECT_EQ(page.calls, (std::vector<std::string>{"GetPrefSize[32]", "GetPrefData[1]"})) << name;
    }
    EXPECT_TRUE(fs::exists(Stick() / "taro"));
    // The empty name means the course data folder itself.
    data.SelectLearner("");
    EXPECT_EQ(learnerFolder, Stick().string() + "//");
    page.calls.clear();
    data.CreateLearnerFolder("");
    EXPECT_EQ(page.calls.front(), "GetPrefSize[32]");
}

TEST_F(LearnerDataTest, NamesAreHostTextAsOnAnExistingInstallation) {
    // 〜 (U+301C, what an input method types) names the folder that an
    // existing installation made as 山田～ (U+FF5E, code page 932's).
    fs::create_directories(Stick() / "山田～");
    std::ofstream(Stick() / "山田～/TASK.DAT") << "step=2";
    SelectOnStick("山田〜");
    EXPECT_EQ(learnerFolder, (Stick() / "山田～").string() + "/");
    EXPECT_FALSE(fs::exists(Stick() / "山田〜"));
    EXPECT_EQ(store.GetHistoryFilePath(), (Stick() / "山田～/HISTORY.DAT").string());
    data.LoadPosition();
    EXPECT_EQ(page.calls.back(), "SetPosData('step=2')");
    data.CreateLearnerFolder("−1");  // U+2212 and U+FF0D: one folder
    data.SelectLearner("－1");
    EXPECT_TRUE(fs::is_directory(learnerFolder));
    // A character the code page lacks names no folder.
    page.calls.clear();
    data.CreateLearnerFolder("𠮷田");
    data.SelectLearner("𠮷田");
    EXPECT_EQ(learnerFolder, "");
    EXPECT_TRUE(page.calls.empty());
    // The course's folder name too.
    store.SetCourseFolderName("講座〜");
    data.SelectDrive("F");
    EXPECT_EQ(store.GetCourseDataFolder(), (Root() / "stick/PLENA/講座～/").string());
    store.SetCourseFolderName("𠮷");
    data.SelectDrive("F");
    EXPECT_EQ(store.GetCourseDataFolder(), "");
}

TEST_F(LearnerDataTest, DeleteRemovesTheSelectedLearnersFiles) {
    SelectOnStick("taro");
    for (const char* file : {"HISTORY.DAT", "TASK.DAT", "SCORE.DAT"}) std::ofstream(Stick() / "taro" / file) << "x";
    data.DeleteLearnerFolder();
    EXPECT_FALSE(fs::exists(Stick() / "taro"));
    EXPECT_EQ(learnerFolder, Stick().string() + "/taro/");  // still selected
    SelectOnStick("hana");
    std::ofstream(Stick() / "hana/HISTORY.DAT-5") << "x";
    std::ofstream(Stick() / "hana/TASK.DAT") << "x";
    data.DeleteLearnerFolder();
    EXPECT_FALSE(fs::exists(Stick() / "hana/TASK.DAT"));
    EXPECT_TRUE(fs::exists(Stick() / "hana/HISTORY.DAT-5"));  // the folder stays with it
}

TEST_F(LearnerDataTest, DriveListNamesWritableRemovableNetworkAndTheUsersOwnPlace) {
    drives.places = {{'C', DriveType::Fixed, "/c", true, true},       {'D', DriveType::Fixed, "/d", true, false},
                     {'E', DriveType::Removable, "/e", false, false}, {'F', DriveType::Removable, "/f", true, false},
                     {'G', DriveType::Remote, "/g", true, false},     {'H', DriveType::None, "", true, false}};
    EXPECT_TRUE(data.ListDrives());
    EXPECT_EQ(page.calls.back(), "UpdateDrives(C: (Local Disk)\nF: (Removable Disk)\nG: (Network Drive)\n)");
    drives.places.clear();
    data.ListDrives();
    EXPECT_EQ(page.calls.back(), "UpdateDrives()");
}

}  // namespace
}  // namespace dorv
