#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include "Fakes.h"

namespace dorv {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, NoArgumentsRunsInTheCurrentFolder) {
    CommandLine line = ParseCommandLine({});
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.folder, "");
}

TEST(CommandLine, OneFolderArgument) {
    EXPECT_EQ(ParseCommandLine({"courses/demo"}).folder, "courses/demo");
    CommandLine dashed = ParseCommandLine({"--", "-odd-name"});
    EXPECT_EQ(dashed.action, Action::Run);
    EXPECT_EQ(dashed.folder, "-odd-name");
}

TEST(CommandLine, HelpAndVersionWinWherever) {
    EXPECT_EQ(ParseCommandLine({"--help"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"x", "-h"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"--version"}).action, Action::Version);
    EXPECT_EQ(VersionText(), "DORV 3.0.1.76\n");
}

TEST(CommandLine, AnythingElseIsAUsageError) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--fullscreen"}, {"-x"}, {"a", "b"}, {""}}) {
        CommandLine line = ParseCommandLine(args);
        EXPECT_EQ(line.action, Action::UsageError);
        EXPECT_FALSE(line.error.empty());
    }
}

TEST(CommandLine, CheckTakesEveryFolderAndJson) {
    CommandLine line = ParseCommandLine({"--check", "a", "--json", "b", "--", "-c"});
    EXPECT_EQ(line.action, Action::Check);
    EXPECT_EQ(line.folders, (std::vector<std::string>{"a", "b", "-c"}));
    EXPECT_TRUE(line.json);
    EXPECT_FALSE(ParseCommandLine({"x", "--check"}).json);
    EXPECT_EQ(ParseCommandLine({"--check", "--help"}).action, Action::Help);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--check"}, {"--json", "a"}, {"--check", "a", ""}, {"--check", "--jsn", "a"}}) {
        CommandLine bad = ParseCommandLine(args);
        EXPECT_EQ(bad.action, Action::UsageError) << args[0];
        EXPECT_FALSE(bad.error.empty());
    }
    EXPECT_NE(UsageText("dorv").find("--check [--json] COURSE-FOLDER..."), std::string::npos);
}

TEST(CommandLine, LibraryTakesNoFolderAndNoOtherOption) {
    EXPECT_EQ(ParseCommandLine({"--library"}).action, Action::Library);
    EXPECT_EQ(ParseCommandLine({"--library", "--version"}).action, Action::Version);
    EXPECT_EQ(ParseCommandLine({"--", "--library"}).folder, "--library");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--library", "a"}, {"a", "--library"}, {"--library", "--check", "a"}, {"--json", "--library"}}) {
        CommandLine bad = ParseCommandLine(args);
        EXPECT_EQ(bad.action, Action::UsageError) << args[0] << " " << args[1];
        EXPECT_FALSE(bad.error.empty());
    }
    EXPECT_NE(UsageText("dorv").find("  or:  dorv --library\n"), std::string::npos);
}

TEST(CommandLine, RecordsTakeAPlaceAndAnExportFolder) {
    CommandLine window = ParseCommandLine({"--records", "F:"});
    EXPECT_EQ(window.action, Action::Records);
    EXPECT_EQ(window.folder, "F:");
    EXPECT_EQ(window.exportFolder, "");
    CommandLine documents = ParseCommandLine({"--records"});
    EXPECT_EQ(documents.action, Action::Records);
    EXPECT_EQ(documents.folder, "");
    // The export folder is the argument after --export, whatever it looks like.
    CommandLine exported = ParseCommandLine({"--export", "-out", "--records", "--", "-place"});
    EXPECT_EQ(exported.action, Action::Records);
    EXPECT_EQ(exported.folder, "-place");
    EXPECT_EQ(exported.exportFolder, "-out");
    EXPECT_EQ(ParseCommandLine({"--records", "--export", "out"}).exportFolder, "out");
    EXPECT_EQ(ParseCommandLine({"--records", "--help"}).action, Action::Help);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--export", "out", "place"},
                                               {"--records", "--export"},
                                               {"--records", "a", "b"},
                                               {"--records", ""},
                                               {"--records", "a", "--export", ""},
                                               {"--records", "--library"},
                                               {"--records", "--check", "a"},
                                               {"--json", "--records"}}) {
        CommandLine bad = ParseCommandLine(args);
        EXPECT_EQ(bad.action, Action::UsageError) << args[0] << " " << args[1];
        EXPECT_FALSE(bad.error.empty());
    }
    EXPECT_NE(UsageText("dorv").find("  or:  dorv --records [PLACE] [--export FOLDER]\n"), std::string::npos);
}

TEST(CommandLine, EnteringTheCourseFolder) {
    test::ScratchFolder folder;
    folder.Write("course/DORV.ini", "");
    folder.Write("file", "");
    std::string error;
    EXPECT_FALSE(EnterCourseFolder("missing", error));
    EXPECT_NE(error.find("No such file"), std::string::npos);
    EXPECT_FALSE(EnterCourseFolder("file", error));
    EXPECT_NE(error.find("not a folder"), std::string::npos);
    ASSERT_TRUE(EnterCourseFolder("course", error));
    EXPECT_EQ(std::filesystem::current_path(), folder.Path() / "course");
}

}  // namespace
}  // namespace dorv
