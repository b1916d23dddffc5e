// Which places are drives and which letters they take.
#include "learner/DrivePlaces.h"

#include <gtest/gtest.h>

#include "common/DialogTexts.h"

namespace dorv {
namespace {

// Only places that behave as local files are drives.
TEST(DrivePlaces, WhatTheVolumeMonitorReportsAsDrives) {
    EXPECT_EQ(ClassifyMonitorMount("file", true, true, false), DriveType::Removable);
    EXPECT_EQ(ClassifyMonitorMount("file", true, false, false), DriveType::None);  // an internal disk
    EXPECT_EQ(ClassifyMonitorMount("file", true, true, true), DriveType::None);    // a media player
    EXPECT_EQ(ClassifyMonitorMount("smb", true, false, false), DriveType::Remote);
    EXPECT_EQ(ClassifyMonitorMount("sftp", true, false, false), DriveType::Remote);
    EXPECT_EQ(ClassifyMonitorMount("smb", false, false, false), DriveType::None);  // no local path
    for (const char* device : {"mtp", "gphoto2", "afc", "archive", "cdda"}) {
        EXPECT_EQ(ClassifyMonitorMount(device, true, true, false), DriveType::None) << device;
    }
    EXPECT_TRUE(IsUserMediaFolder("/media/hana/STICK", "hana"));
    EXPECT_TRUE(IsUserMediaFolder("/run/media/hana/STICK", "hana"));
    EXPECT_FALSE(IsUserMediaFolder("/media/taro/STICK", "hana"));
    EXPECT_FALSE(IsUserMediaFolder("/media/hana", "hana"));
}

TEST(DrivePlaces, DrivesSectionValues) {
    DrivePlace share = ParseDriveSetting('S', "/mnt/school, class 1A , Remote ");
    EXPECT_EQ(share.type, DriveType::Remote);
    EXPECT_EQ(share.root, "/mnt/school, class 1A ");  // the type follows the last comma
    EXPECT_TRUE(share.configured);
    EXPECT_FALSE(share.system);
    EXPECT_EQ(ParseDriveSetting('F', "/media/stick").type, DriveType::Removable);
    DrivePlace own = ParseDriveSetting('C', "/srv/home,FIXED");
    EXPECT_EQ(own.type, DriveType::Fixed);
    EXPECT_TRUE(own.system);
    for (const char* nothing : {"/x,optical", ",remote", ""})
        EXPECT_EQ(ParseDriveSetting('G', nothing).type, DriveType::None);
}

TEST(DrivePlaces, LettersFromDOnwardsInTheOrderOfTheFolders) {
    std::map<char, DrivePlace> configured = {{'D', ParseDriveSetting('D', "/mnt/class,remote")},
                                             {'F', ParseDriveSetting('F', "/media/u/STICK,removable")}};
    std::vector<DrivePlace> found = {{0, DriveType::Remote, "/mnt/a"},
                                     {0, DriveType::Removable, "/media/u/STICK"},  // named already: no second letter
                                     {0, DriveType::Remote, "/home/u"},            // the home folder: C already
                                     {0, DriveType::Remote, "/mnt/b"}};
    std::map<char, DrivePlace> letters = AssignDriveLetters("/home/u", configured, found);
    ASSERT_EQ(letters.size(), 5u);
    EXPECT_EQ(letters['C'].root, "/home/u");
    EXPECT_TRUE(letters['C'].system);
    EXPECT_EQ(letters['D'].root, "/mnt/class");
    EXPECT_EQ(letters['E'].root, "/mnt/a");
    EXPECT_EQ(letters['E'].letter, 'E');
    EXPECT_EQ(letters['F'].root, "/media/u/STICK");
    EXPECT_EQ(letters['G'].root, "/mnt/b");
    // Beyond Z, nothing.
    std::vector<DrivePlace> many;
    for (int i = 0; i < 30; ++i) many.push_back({0, DriveType::Remote, "/mnt/" + std::to_string(100 + i)});
    letters = AssignDriveLetters("/home/u", {}, many);
    EXPECT_EQ(letters.size(), 24u);  // C to Z
    EXPECT_EQ(letters['Z'].root, "/mnt/122");
}

// One rule for the learner's language: the drive list's type names and the
// page's dialogs follow it alike.
TEST(DrivePlaces, TypeNamesInTheLearnersLanguage) {
    EXPECT_TRUE(PrefersJapanese({"ja_JP.UTF-8", "ja_JP", "ja", "C"}));
    EXPECT_TRUE(PrefersJapanese({"fr", "ja"}));
    EXPECT_FALSE(PrefersJapanese({"en_US.UTF-8", "ja"}));
    EXPECT_FALSE(PrefersJapanese({"C", "ja"}));
    EXPECT_FALSE(PrefersJapanese({"jam"}));
    EXPECT_EQ(DriveTypeName(DriveType::Remote, true), "ネットワーク ドライブ");
    EXPECT_EQ(DriveTypeName(DriveType::Removable, false), "Removable Disk");
    EXPECT_EQ(ButtonTextsFor({"ja_JP"}).cancel, "キャンセル");
    EXPECT_EQ(ButtonTextsFor({"de_DE"}).cancel, "Cancel");
}

}  // namespace
}  // namespace dorv
