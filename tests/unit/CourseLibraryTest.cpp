// The course library's decisions against fakes of its work, its window and
// the courses' processes: what is looked in, what the checks fill in, when
// a course is started, brought to the front or left alone.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "library/CheckPlaces.h"
#include "library/CourseLibrary.h"
#include "library/LibraryTexts.h"

namespace dorv {
namespace {

class FakeWork : public ILibraryWork {
public:
    void Find(const std::vector<CoursePlace>& places) override { searches.push_back(places); }
    void Check(const std::vector<std::string>& folders) override {
        checks.insert(checks.end(), folders.begin(), folders.end());
    }
    void SetDrives(const std::vector<DrivePlace>& found) override { drives = found; }
    std::vector<std::vector<CoursePlace>> searches;
    std::vector<std::string> checks;
    std::vector<DrivePlace> drives;
};

class FakeView : public ILibraryView {
public:
    void ListChanged() override { ++lists; }
    void CourseChanged(const std::string& folder) override { changed.push_back(folder); }
    void ShowStartFailure(const std::string& name, const std::string& error) override {
        failures.push_back(name + ": " + error);
    }
    int lists = 0;
    std::vector<std::string> changed;
    std::vector<std::string> failures;
};

class FakeLauncher : public ICourseLauncher {
public:
    bool Start(const std::string& folder, std::string& error) override {
        if (!refuse.empty()) {
            error = refuse;
            return false;
        }
        started.push_back(folder);
        running.insert(folder);
        return true;
    }
    bool IsRunning(const std::string& folder) const override { return running.count(folder) != 0; }
    bool Present(const std::string& folder) override {
        presented.push_back(folder);
        return running.count(folder) != 0;
    }
    std::set<std::string> running;
    std::vector<std::string> started;
    std::vector<std::string> presented;
    std::string refuse;
};

CourseCheckReport StartUpReport(const std::string& folder, bool starts) {
    CourseCheckReport report;
    report.given = folder;
    report.starts = starts;
    report.configuration = {{"file_title", "ENG"}, {"courseware", " English Ver 2 "}, {"copyright", "(C) School"}};
    if (!starts) report.shown = {{"設定ファイルの内容が無効です.\u3000\n\n確認してください.\u3000", "no main"}};
    return report;
}

struct LibraryRig {
    LibraryRig() : library({"/home/hana", "", "/usr/share", ""}, {}, drives, work, launcher) {
        library.SetView(&view);
        drives.places = {{'C', DriveType::Fixed, "/home/hana", true, true},
                         {'D', DriveType::Removable, "/media/hana/STICK"},
                         {'E', DriveType::Remote, "/mnt/share"},
                         {'F', DriveType::Removable, "/srv/named", false, false, true}};
    }
    void Find(const std::vector<std::string>& folders) {
        std::vector<FoundCourse> found;
        found.reserve(folders.size());
        for (const std::string& folder : folders) found.push_back({folder, {PlaceKind::User, "/u"}, "DORV.ini"});
        library.OnFound(found);
    }
    test::FakeDriveList drives;
    FakeWork work;
    FakeLauncher launcher;
    FakeView view;
    CCourseLibrary library;
};

TEST(CourseLibrary, RemovableMediaFoundAreLookedInAndTheDrivesGoToTheChecks) {
    LibraryRig rig;
    rig.library.Rebuild(false);
    ASSERT_EQ(rig.work.searches.size(), 1u);
    EXPECT_EQ(rig.work.searches[0].back(), (CoursePlace{PlaceKind::Removable, "/media/hana/STICK"}));
    EXPECT_EQ(rig.work.searches[0].size(), 3u);  // user, system, the stick: no share, no named place
    ASSERT_EQ(rig.work.drives.size(), 2u);
    EXPECT_EQ(rig.work.drives[1].root, "/mnt/share");
    EXPECT_EQ(RemovableRoots(rig.drives.places), std::vector<std::string>{"/media/hana/STICK"});
}

TEST(CourseLibrary, NewCoursesAreCheckedAndKnownOnesKeepWhatTheirChecksSaid) {
    LibraryRig rig;
    rig.Find({"/u/a", "/u/b"});
    EXPECT_EQ(rig.work.checks, (std::vector<std::string>{"/u/a", "/u/b"}));
    EXPECT_EQ(rig.view.lists, 1);
    EXPECT_EQ(rig.library.Find("/u/a")->DisplayName(), "a");

    rig.library.OnStartUpChecked(StartUpReport("/u/a", true));
    rig.library.OnStartUpChecked(StartUpReport("/u/gone", true));  // no longer listed: nothing
    EXPECT_EQ(rig.view.changed, std::vector<std::string>{"/u/a"});
    const CourseEntry& a = *rig.library.Find("/u/a");
    EXPECT_EQ(a.DisplayName(), "English Ver 2");
    EXPECT_EQ(a.copyright, "(C) School");
    EXPECT_EQ(a.fileTitle, "ENG");

    // A stick came: only its course is checked; one went: its entry goes.
    rig.work.checks.clear();
    rig.Find({"/u/a", "/media/c"});
    EXPECT_EQ(rig.work.checks, std::vector<std::string>{"/media/c"});
    EXPECT_EQ(rig.library.Find("/u/a")->name, "English Ver 2");
    EXPECT_EQ(rig.library.Find("/u/b"), nullptr);
    EXPECT_EQ(rig.library.Courses().size(), 2u);
}

TEST(CourseLibrary, WhyACourseWillNotStartAndWhatWillNotWorkInIt) {
    LibraryRig rig;
    rig.Find({"/u/a", "/u/b"});
    rig.library.OnStartUpChecked(StartUpReport("/u/a", false));
    const CourseEntry& a = *rig.library.Find("/u/a");
    EXPECT_FALSE(a.starts);
    EXPECT_EQ(a.why, std::vector<std::string>{"設定ファイルの内容が無効です.\u3000\n\n確認してください."});
    EXPECT_EQ(a.notes, std::vector<std::string>{"no main"});

    CourseCheckReport report = StartUpReport("/u/b", true);
    rig.library.OnStartUpChecked(report);
    report.broken.resize(2);
    report.legacy.resize(1);
    report.decodings.resize(2);
    report.decodings[0].problem = "not Shift_JIS";
    rig.library.OnFilesChecked(report);
    const CourseEntry& b = *rig.library.Find("/u/b");
    EXPECT_TRUE(b.hasProblems);
    EXPECT_EQ(b.findings.broken, 2u);
    EXPECT_EQ(b.findings.garbled, 1u);
    EXPECT_NE(b.summary.find("2 references and 1 use of IE-only features will not work"), std::string::npos);
    CLibraryTexts english(false), japanese(true);
    EXPECT_EQ(english.StatusLine(b, false),
              "Note: 2 references will not work, 1 use of IE-only features, 1 page shows garbled text");
    EXPECT_EQ(japanese.StatusLine(b, false),
              "注意：見つからないファイルへの参照 2 件、このブラウザーにない機能の使用 1 件、文字化けするページ 1 件");
    EXPECT_EQ(english.StatusLine(b, true), "Running");
}

TEST(CourseLibrary, ASettingsFileInOtherLettersIsNamedAsTheReason) {
    LibraryRig rig;
    rig.library.OnFound({{"/u/win", {PlaceKind::User, "/u"}, "dorv.INI"}});
    CLibraryTexts english(false);
    EXPECT_EQ(english.StatusLine(*rig.library.Find("/u/win"), false), "Checking…");
    rig.library.OnStartUpChecked(StartUpReport("/u/win", false));
    std::string status = english.StatusLine(*rig.library.Find("/u/win"), false);
    EXPECT_EQ(status.rfind("Will not start: Its settings file is named \"dorv.INI\": rename it \"DORV.ini\".", 0), 0u)
        << status;
    EXPECT_EQ(english.RowLabel(*rig.library.Find("/u/win"), false), "English Ver 2, will not start");
}

TEST(CourseLibrary, StartingPresentingOrNothing) {
    LibraryRig rig;
    rig.Find({"/u/a", "/u/broken", "/u/unchecked"});
    rig.library.OnStartUpChecked(StartUpReport("/u/a", true));
    rig.library.OnStartUpChecked(StartUpReport("/u/broken", false));

    EXPECT_EQ(rig.library.Start("/u/a"), StartOutcome::Started);
    EXPECT_EQ(rig.library.Start("/u/a"), StartOutcome::BroughtToFront);
    EXPECT_EQ(rig.launcher.started, std::vector<std::string>{"/u/a"});
    EXPECT_EQ(rig.launcher.presented, std::vector<std::string>{"/u/a"});
    // The course ended: started again.
    rig.launcher.running.clear();
    EXPECT_EQ(rig.library.Start("/u/a"), StartOutcome::Started);

    EXPECT_EQ(rig.library.Start("/u/broken"), StartOutcome::WillNotStart);
    EXPECT_EQ(rig.library.Start("/u/nowhere"), StartOutcome::WillNotStart);
    // Not checked yet: the course's own start-up tells what is wrong.
    EXPECT_EQ(rig.library.Start("/u/unchecked"), StartOutcome::Started);
    EXPECT_EQ(rig.launcher.started.size(), 3u);

    rig.launcher.running.clear();
    rig.launcher.refuse = "no such program";
    EXPECT_EQ(rig.library.Start("/u/a"), StartOutcome::Failed);
    EXPECT_EQ(rig.view.failures, std::vector<std::string>{"English Ver 2: no such program"});
}

TEST(CourseLibrary, TheChecksDriveLettersAreTheCoursesOwn) {
    test::FakeMessageBox messages;
    CDORVApp app(messages);
    app.m_configuredDrives = {{'E', "/srv/e,remote"}, {'G', "nonsense,floppy"}};
    std::vector<std::string> asked;
    CCheckPlaces places(app, "/home/hana",
                        {{'D', DriveType::Removable, "/media/hana/STICK"}, {'E', DriveType::Remote, "/mnt/share"}},
                        [&](const std::string& server, const std::string& share) {
                            asked.push_back(server + "/" + share);
                            return std::string("/mnt/smb");
                        });
    EXPECT_EQ(places.DriveRoot('C'), "/home/hana");
    EXPECT_EQ(places.DriveRoot('D'), "/media/hana/STICK");
    EXPECT_EQ(places.DriveRoot('E'), "/srv/e");  // the course's own E; the share moves on to F
    EXPECT_EQ(places.DriveRoot('F'), "/mnt/share");
    EXPECT_EQ(places.DriveRoot('G'), "");
    EXPECT_EQ(places.ShareRoot("school", "courses"), "/mnt/smb");
    EXPECT_EQ(asked, std::vector<std::string>{"school/courses"});
}

TEST(CourseLibrary, TheEmptyLibrarySaysWhereItLooked) {
    std::string text = CLibraryTexts(false).EmptyText(
        {{PlaceKind::User, "/home/hana/.local/share/dorv/courses"}, {PlaceKind::Removable, "/media/hana/STICK"}});
    EXPECT_NE(text.find("\n/home/hana/.local/share/dorv/courses\n"), std::string::npos);
    EXPECT_EQ(text.find("/media/hana/STICK"), std::string::npos);
    EXPECT_NE(text.find("removable media"), std::string::npos);
}

}  // namespace
}  // namespace dorv
