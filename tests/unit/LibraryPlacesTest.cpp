// Where the course library looks for courses, and which courses it finds
// there, against real folders in a scratch folder.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "library/CourseFinder.h"
#include "library/LibraryPlaces.h"

namespace dorv {
namespace {

namespace fs = std::filesystem;

LibraryEnvironment Environment(std::string home, std::string dataHome = "", std::string dataDirs = "",
                               std::string configDirs = "") {
    return {std::move(home), std::move(dataHome), std::move(dataDirs), std::move(configDirs)};
}

std::vector<std::string> Folders(const std::vector<FoundCourse>& found) {
    std::vector<std::string> folders;
    folders.reserve(found.size());
    for (const FoundCourse& course : found) folders.push_back(course.folder);
    return folders;
}

TEST(LibraryPlaces, TheBaseDirectoriesAndTheirDefaults) {
    LibraryEnvironment unset = Environment("/home/hana/");
    EXPECT_EQ(UserDataFolder(unset), "/home/hana/.local/share");
    EXPECT_EQ(SystemDataFolders(unset), (std::vector<std::string>{"/usr/local/share", "/usr/share"}));
    EXPECT_EQ(ConfigFolders(unset), std::vector<std::string>{"/etc/xdg"});
    // Relative entries are ignored; a list of nothing but them is unset.
    LibraryEnvironment set = Environment("/home/hana", "/data/", "relative::/opt/share/:/usr/share", "etc");
    EXPECT_EQ(UserDataFolder(set), "/data");
    EXPECT_EQ(SystemDataFolders(set), (std::vector<std::string>{"/opt/share", "/usr/share"}));
    EXPECT_EQ(ConfigFolders(set), std::vector<std::string>{"/etc/xdg"});
    EXPECT_EQ(UserDataFolder(Environment("/home/hana", "data")), "/home/hana/.local/share");
    EXPECT_EQ(UserDataFolder(Environment("")), "");
}

TEST(LibraryPlaces, InOrderEachFolderOnce) {
    LibraryEnvironment env = Environment("/home/hana", "", "/usr/share:/opt/share:/usr/share/");
    LibrarySettings settings;
    settings.courseFolders = {"/srv/courses", "/usr/share/dorv/courses"};
    std::vector<CoursePlace> places = CoursePlaces(env, settings, {"/media/hana/STICK/", "/media/hana/CD"});
    EXPECT_EQ(places, (std::vector<CoursePlace>{{PlaceKind::User, "/home/hana/.local/share/dorv/courses"},
                                                {PlaceKind::System, "/usr/share/dorv/courses"},
                                                {PlaceKind::System, "/opt/share/dorv/courses"},
                                                {PlaceKind::Configured, "/srv/courses"},
                                                {PlaceKind::Removable, "/media/hana/STICK"},
                                                {PlaceKind::Removable, "/media/hana/CD"}}));
}

TEST(LibraryPlaces, TheFirstConfigurationFoundIsRead) {
    test::ScratchFolder scratch;
    std::string first = scratch.Path() / "first", second = scratch.Path() / "second";
    LibraryEnvironment env = Environment("/home/hana", "", "", first + ":" + second);
    EXPECT_EQ(FindLibrarySettings(env), "");
    EXPECT_TRUE(ReadLibrarySettings("").courseFolders.empty());
    scratch.Write("second/dorv/dorv.conf", "[Records]\nEnabled=yes\n");
    fs::create_directories(scratch.Path() / "first/dorv/dorv.conf");  // a folder is no configuration
    EXPECT_EQ(FindLibrarySettings(env), second + "/dorv/dorv.conf");
    fs::remove(scratch.Path() / "first/dorv/dorv.conf");
    scratch.Write("first/dorv/dorv.conf", "");
    EXPECT_EQ(FindLibrarySettings(env), first + "/dorv/dorv.conf");
}

TEST(LibraryPlaces, TheConfigurationsKeys) {
    test::ScratchFolder scratch;
    std::string file = scratch.Write("dorv.conf",
                                     "; the school's courses\r\n[library]\r\n"
                                     "courses = /srv/a ; \"/srv/b/\" ;; relative/c ; /srv/d e\r\n"
                                     "[Records]\r\nEnabled=TRUE\r\nPlace=\"/srv/records\"\r\n");
    LibrarySettings settings = ReadLibrarySettings(file);
    EXPECT_EQ(settings.file, file);
    EXPECT_EQ(settings.courseFolders, (std::vector<std::string>{"/srv/a", "/srv/b", "/srv/d e"}));
    EXPECT_TRUE(settings.recordsEnabled);
    EXPECT_EQ(settings.recordsPlace, "/srv/records");
    ASSERT_EQ(settings.problems.size(), 1u);
    EXPECT_NE(settings.problems[0].find("\"relative/c\" is no absolute path"), std::string::npos);

    // The records stay off unless the value plainly says on.
    for (const char* value : {"", "no", "0", "off", "False", "maybe", "enabled"}) {
        scratch.Write("dorv.conf", std::string("[Records]\nEnabled=") + value + "\n");
        EXPECT_FALSE(ReadLibrarySettings(file).recordsEnabled) << value;
    }
    EXPECT_EQ(ReadLibrarySettings(file).problems.size(), 1u);
    for (const char* value : {"1", "on", "Yes", "true"}) {
        scratch.Write("dorv.conf", std::string("[Records]\nEnabled=") + value + "\n");
        EXPECT_TRUE(ReadLibrarySettings(file).recordsEnabled) << value;
    }
}

TEST(CourseFinder, TheSettingsFileInAnyLetterCase) {
    test::ScratchFolder scratch;
    scratch.Write("upper/DORV.INI", "");
    scratch.Write("exact/dorv.ini", "");
    scratch.Write("exact/DORV.ini", "");
    scratch.Write("none/DORV.ini.bak", "");
    fs::create_directories(scratch.Path() / "folder/DORV.ini");
    EXPECT_EQ(FindSettingsFile(scratch.Path() / "upper"), "DORV.INI");
    EXPECT_EQ(FindSettingsFile(scratch.Path() / "exact"), "DORV.ini");
    EXPECT_EQ(FindSettingsFile(scratch.Path() / "none"), "");
    EXPECT_EQ(FindSettingsFile(scratch.Path() / "folder"), "");
    EXPECT_EQ(FindSettingsFile(scratch.Path() / "missing"), "");
}

TEST(CourseFinder, HowDeepEachKindOfPlaceIsLookedInto) {
    test::ScratchFolder scratch;
    std::string root = fs::canonical(scratch.Path());
    for (const char* course :
         {"user/DORV.ini", "user/b/DORV.ini", "user/a/deeper/DORV.ini", "user/.hidden/DORV.ini", "school/DORV.ini",
          "school/english/dorv.ini", "school/english/unit/DORV.ini", "stick/DORV.ini", "stick/top/DORV.ini",
          "stick/set/french/DORV.ini", "stick/set/french/too/DORV.ini", "stick/.Trash-1000/x/DORV.ini"}) {
        scratch.Write(course, "");
    }
    std::vector<FoundCourse> found = FindCourses({{PlaceKind::User, root + "/user"},
                                                  {PlaceKind::Configured, root + "/school"},
                                                  {PlaceKind::Removable, root + "/stick/"},
                                                  {PlaceKind::System, root + "/missing"}});
    EXPECT_EQ(Folders(found),
              (std::vector<std::string>{root + "/user/b", root + "/school", root + "/school/english", root + "/stick",
                                        root + "/stick/set/french", root + "/stick/top"}));
    EXPECT_EQ(found[2].iniName, "dorv.ini");
    EXPECT_EQ(found[2].place, (CoursePlace{PlaceKind::Configured, root + "/school"}));
}

TEST(CourseFinder, NumbersInNamesAreCountedAsNumbers) {
    test::ScratchFolder scratch;
    std::string root = fs::canonical(scratch.Path());
    for (const char* name : {"unit10", "unit2", "Unit1", "unit02b", "unit", "unit1"}) {
        scratch.Write(std::string(name) + "/DORV.ini", "");
    }
    std::vector<std::string> names;
    for (const std::string& folder : Folders(FindCourses({{PlaceKind::User, root}}))) {
        names.push_back(folder.substr(root.size() + 1));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Unit1", "unit", "unit1", "unit2", "unit02b", "unit10"}));
}

TEST(CourseFinder, AFolderReachedTwiceIsListedOnceWhereFirstReached) {
    test::ScratchFolder scratch;
    std::string root = fs::canonical(scratch.Path());
    scratch.Write("share/english/DORV.ini", "");
    scratch.Write("user/placeholder", "");
    fs::create_directory_symlink(root + "/share/english", root + "/user/english");
    std::vector<FoundCourse> found = FindCourses({{PlaceKind::User, root + "/user"},
                                                  {PlaceKind::Configured, root + "/share"},
                                                  {PlaceKind::Configured, root + "/share/english"}});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].folder, root + "/share/english");
    EXPECT_EQ(found[0].place.kind, PlaceKind::User);
}

}  // namespace
}  // namespace dorv
