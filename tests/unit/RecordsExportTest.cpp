// The class records exported as CSV files, read back byte for byte, and the
// command line's export of a place.
#include "records/RecordsExport.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <ctime>

#include "RecordsRig.h"
#include "learner/DriveList.h"
#include "learner/DrivePlaces.h"
#include "records/RecordsCommand.h"

namespace dorv {
namespace {

using test::CScratchPlace;
using test::Record;
namespace fs = std::filesystem;

constexpr const char* kBom = "\xEF\xBB\xBF";

// What the command printed, on a file the test reads back.
class CCapture {
public:
    CCapture() : m_file(std::tmpfile()) {}
    ~CCapture() { std::fclose(m_file); }
    CCapture(const CCapture&) = delete;
    CCapture& operator=(const CCapture&) = delete;
    std::FILE* File() { return m_file; }
    std::string Text() {
        std::fflush(m_file);
        std::rewind(m_file);
        std::string text;
        for (int c; (c = std::fgetc(m_file)) != EOF;) text += static_cast<char>(c);
        return text;
    }

private:
    std::FILE* m_file;
};

class CDrives : public IDriveList {
public:
    std::vector<DrivePlace> BuildList() override { return places; }
    DrivePlace Find(char letter) override {
        for (const DrivePlace& place : places) {
            if (place.letter == letter) return place;
        }
        return {};
    }
    bool GetDocumentsFolder(std::string& folder) override {
        folder = documents;
        return !documents.empty();
    }
    std::string TypeName(DriveType) const override { return {}; }
    std::vector<DrivePlace> places;
    std::string documents;
};

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A course whose learners' names and records need quoting, conversion and
// guarding, with a leftover and a learner who never studied.
void MakeCourse(const CScratchPlace& place) {
    place.Learner("ENG:1", "Sato, \"Jr\"",
                  Record("1", "1", "2026/04/01", "754") + Record("1", "2", "2026/04/02", "1:00"));
    place.Learner("ENG:1", test::Cp932("太郎"),
                  "broken\r\n" + Record(test::Cp932("第一課"), "1", "2026/04/03", "0:01:00"));
    place.Write("PLENA/ENG:1/" + test::Cp932("太郎") + "/TASK.DAT.new", "x");
    place.Write("PLENA/ENG:1/=cmd/PREF.PRF", "x");
    std::string scores = place.Write("PLENA/ENG:1/Sato, \"Jr\"/SCORE.DAT", "x");
    struct timespec times[2] = {{1775035800, 0}, {1775035800, 0}};  // 2026-04-01 09:30 UTC
    utimensat(AT_FDCWD, scores.c_str(), times, 0);
}

TEST(RecordsExport, FilesReadBackByteForByte) {
    setenv("TZ", "UTC", 1);
    tzset();
    CScratchPlace place;
    MakeCourse(place);
    std::map<std::string, long long> before = test::Listing(place.Path() / "PLENA");
    CCapture out;
    CCapture err;
    std::string target = place.Folder("export/new");
    ASSERT_EQ(ExportPlaceRecords(place.Folder(), target, false, out.File(), err.File()), 0) << err.Text();
    EXPECT_EQ(err.Text(), "");
    EXPECT_EQ(Names(target), (std::vector<std::string>{"ENG_1-learners.csv", "ENG_1-records.csv"}));
    EXPECT_EQ(out.Text(), target + "/ENG_1-learners.csv\n" + target +
                              "/ENG_1-records.csv\n"
                              "ENG:1: 3 learners, 3 records, 1 unreadable records, 0 unreadable values, "
                              "2 damaged things\n");
    EXPECT_EQ(test::ReadBytes(target + "/ENG_1-learners.csv"),
              std::string(kBom) +
                  "learner,sessions,total time,total seconds,first day,last day,lectures,units,position saved,"
                  "scores saved,unreadable records,unreadable values,problems\r\n"
                  "'=cmd,0,0:00:00,0,,,,0,,,0,0,no history\r\n"
                  "\"Sato, \"\"Jr\"\"\",2,0:13:34,814,2026-04-01,2026-04-02,1,2,,2026-04-01 09:30,0,0,\r\n"
                  "太郎,1,0:01:00,60,2026-04-03,2026-04-03,第一課,1,,,1,0,"
                  "temporary file of an interrupted save: TASK.DAT.new\r\n");
    EXPECT_EQ(test::ReadBytes(target + "/ENG_1-records.csv"),
              std::string(kBom) +
                  "learner,CD,lecture,unit,step,part,section,start date,start time,end date,end time,total time\r\n"
                  "\"Sato, \"\"Jr\"\"\",EN1,1,1,1,1,1,2026/04/01,9:05:00,2026/04/01,9:17:34,754\r\n"
                  "\"Sato, \"\"Jr\"\"\",EN1,1,2,1,1,1,2026/04/02,9:05:00,2026/04/02,9:17:34,1:00\r\n"
                  "太郎,EN1,第一課,1,1,1,1,2026/04/03,9:05:00,2026/04/03,9:17:34,0:01:00\r\n");
    // The learner data is left as it was.
    EXPECT_EQ(test::Listing(place.Path() / "PLENA"), before);
    unsetenv("TZ");
    tzset();
}

TEST(RecordsExport, JapaneseHeadersAndFileNames) {
    CScratchPlace place;
    MakeCourse(place);
    CourseSummary course = ReadCourse(place.Folder("PLENA/ENG:1"));
    std::string error;
    ASSERT_TRUE(ExportLearnersTable(course, place.Folder("l.csv"), true, error)) << error;
    ASSERT_TRUE(ExportAllRecords(course, place.Folder("r.csv"), true, error)) << error;
    EXPECT_TRUE(test::ReadBytes(place.Folder("l.csv")).starts_with(std::string(kBom) + "学習者,学習回数,合計"));
    EXPECT_TRUE(test::ReadBytes(place.Folder("r.csv")).starts_with(std::string(kBom) + "学習者,CD,lecture,"));
    EXPECT_NE(test::ReadBytes(place.Folder("l.csv")).find("学習履歴なし"), std::string::npos);
    EXPECT_EQ(ExportFileBase("a/b\\c:d*e?f\"g<h>i|j\tk"), "a_b_c_d_e_f_g_h_i_j_k");
    EXPECT_EQ(ExportFileBase("英語"), "英語");
    EXPECT_EQ(ExportFileBase(".."), "_");

    // Two titles that differ only where a file name cannot hold them keep
    // a file each.
    place.Learner("A:B", "taro", Record("1", "1", "2026/04/01", "754"));
    place.Learner("A?B", "taro", Record("1", "1", "2026/04/01", "754"));
    CCapture out;
    CCapture err;
    ASSERT_EQ(ExportPlaceRecords(place.Folder("PLENA"), place.Folder("out"), true, out.File(), err.File()), 0);
    EXPECT_EQ(Names(place.Folder("out")),
              (std::vector<std::string>{"A_B-2-learners.csv", "A_B-2-records.csv", "A_B-learners.csv",
                                        "A_B-records.csv", "ENG_1-learners.csv", "ENG_1-records.csv"}));
}

// A file that cannot be written leaves nothing behind, and what was there
// before stays.
TEST(RecordsExport, FailuresLeaveNoPartialFile) {
    CScratchPlace place;
    MakeCourse(place);
    std::string target = place.Folder("out");
    place.Write("out/ENG_1-records.csv/keep", "in the way");
    place.Write("out/ENG_1-learners.csv", "before");
    CCapture out;
    CCapture err;
    EXPECT_EQ(ExportPlaceRecords(place.Folder(), target, false, out.File(), err.File()), 1);
    EXPECT_NE(err.Text().find(target + "/ENG_1-records.csv: "), std::string::npos) << err.Text();
    EXPECT_EQ(Names(target), (std::vector<std::string>{"ENG_1-learners.csv", "ENG_1-records.csv"}));
    EXPECT_NE(test::ReadBytes(target + "/ENG_1-learners.csv"), "before");  // written whole
    EXPECT_NE(out.Text().find("ENG:1: 3 learners"), std::string::npos);

    // A target that cannot be a folder.
    place.Write("file", "x");
    EXPECT_EQ(ExportPlaceRecords(place.Folder(), place.Folder("file/sub"), false, out.File(), err.File()), 1);

    // A folder the user may not write to (root may write anywhere).
    if (geteuid() != 0) {
        fs::create_directories(place.Folder("locked"));
        chmod(place.Folder("locked").c_str(), 0555);
        CCapture lockedErr;
        EXPECT_EQ(ExportPlaceRecords(place.Folder(), place.Folder("locked"), false, out.File(), lockedErr.File()), 1);
        EXPECT_NE(lockedErr.Text().find("ENG_1-learners.csv"), std::string::npos);
        EXPECT_TRUE(Names(place.Folder("locked")).empty());
        chmod(place.Folder("locked").c_str(), 0755);
    }
}

TEST(RecordsExport, PlacesAndDriveLetters) {
    CScratchPlace place;
    place.Learner("C", "taro", Record("1", "1", "2026/04/01", "754"));
    CDrives drives;
    drives.documents = place.Folder();
    drives.places = {{'C', DriveType::Fixed, "/home/u", true, true, false},
                     {'D', DriveType::Fixed, "/srv/d", true, false, true},
                     {'F', DriveType::Removable, place.Folder(), true},
                     {'S', DriveType::Remote, "/mnt/share", true}};
    EXPECT_EQ(DataRootOf(drives.Find('C'), drives), place.Folder());  // the documents folder
    EXPECT_EQ(DataRootOf(drives.Find('D'), drives), "/srv/d");        // named by the deployment
    EXPECT_EQ(DataRootOf(drives.Find('S'), drives), "/mnt/share");
    EXPECT_EQ(DataRootOf(drives.Find('G'), drives), "");
    drives.documents.clear();
    EXPECT_EQ(DataRootOf(drives.Find('C'), drives), "/home/u");

    std::string folder;
    std::string problem;
    for (const char* letter : {"F:", "f:", "F", "f"}) {
        EXPECT_TRUE(ResolveRecordsPlace(letter, &drives, folder, problem)) << letter;
        EXPECT_EQ(folder, place.Folder());
    }
    EXPECT_FALSE(ResolveRecordsPlace("G:", &drives, folder, problem));
    EXPECT_EQ(problem, "drive G: stands for no place");
    EXPECT_FALSE(ResolveRecordsPlace("F:", nullptr, folder, problem));
    EXPECT_TRUE(ResolveRecordsPlace("F:/x", &drives, folder, problem));
    EXPECT_EQ(folder, "F:/x");

    CCapture out;
    CCapture err;
    EXPECT_EQ(ExportPlaceRecords("F:", place.Folder("out"), false, out.File(), err.File(), &drives), 0) << err.Text();
    EXPECT_EQ(Names(place.Folder("out")), (std::vector<std::string>{"C-learners.csv", "C-records.csv"}));
    CCapture none;
    EXPECT_EQ(ExportPlaceRecords(place.Folder("out"), place.Folder("out2"), false, out.File(), none.File()), 1);
    EXPECT_NE(none.Text().find("holds no course data folder"), std::string::npos);
    EXPECT_FALSE(fs::exists(place.Folder("out2")));
}

}  // namespace
}  // namespace dorv
