// The class records read from learner folders on disk: histories as the
// program and the course pages write them, broken ones, and the places a
// teacher may point at.
#include "records/ClassRecords.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <mutex>

#include "RecordsRig.h"

namespace dorv {
namespace {

using test::CScratchPlace;
using test::Record;

HistoryState StateOf(const CScratchPlace& place, const std::string& bytes) {
    place.Write("HISTORY.DAT", bytes);
    return ReadHistory(place.Folder("HISTORY.DAT"), [](const HistoryLine&) {}).state;
}

TEST(ClassRecords, HistoryHeaders) {
    CScratchPlace place;
    const std::string& header = test::kHeader;
    EXPECT_EQ(StateOf(place, header), HistoryState::Ok);
    EXPECT_EQ(StateOf(place, ""), HistoryState::Empty);
    EXPECT_EQ(StateOf(place, header.substr(0, 40)), HistoryState::WrongHeader);
    EXPECT_EQ(StateOf(place, header.substr(0, 84) + "\r\n" + Record("1", "1", "2026/04/01", "754")),
              HistoryState::WrongHeader);
    std::string other = header;
    other[0] = 'c';
    EXPECT_EQ(StateOf(place, other), HistoryState::WrongHeader);
    std::string nul = header;
    nul[20] = '\0';
    EXPECT_EQ(StateOf(place, nul), HistoryState::WrongHeader);
    EXPECT_EQ(ReadHistory(place.Folder("none/HISTORY.DAT"), [](const HistoryLine&) {}).state, HistoryState::Missing);
    // Something that is no regular file is refused without waiting on it.
    ASSERT_EQ(mkfifo(place.Folder("fifo").c_str(), 0600), 0);
    HistoryReadResult fifo = ReadHistory(place.Folder("fifo"), [](const HistoryLine&) {});
    EXPECT_EQ(fifo.state, HistoryState::Unreadable);
    EXPECT_FALSE(fifo.error.empty());
    EXPECT_EQ(ReadHistory(place.Folder(), [](const HistoryLine&) {}).state, HistoryState::Unreadable);
}

// Lines that are no record are counted and shown with their line number;
// records whose values cannot be read count as sessions all the same.
TEST(ClassRecords, UnreadableLinesAndValues) {
    CScratchPlace place;
    std::string folder =
        place.Learner("C", "taro",
                      Record("1", "1", "2026/04/01", "754") +                          // line 2
                          "EN1,1,1,1,1,2026/04/01,9:00,2026/04/01,9:10,600\n" +        // 10 columns
                          "\n" +                                                       // an empty line: no record
                          "EN1,1,1,1,1,1,2026/04/01,9:00,2026/04/01,9:10,600,x\r\n" +  // 12 columns
                          Record("1", "2", "2026/04/02", "lots") +                     // line 6: total time unreadable
                          Record("1", "2", "2026/02/30", "0:01:00") +                  // line 7: start date unreadable
                          "EN1,1,3,1,1,1,2026/04/03,9:00,2026/04/03,9:10,0:10:00\r\n" +  // a CR before the LF
                          "EN1,1,4,1,1,1,2026/04/0");                                    // half appended while read
    LearnerSummary learner = SummariseLearner(folder);
    EXPECT_EQ(learner.history, HistoryState::Ok);
    EXPECT_EQ(learner.sessions, 4);
    EXPECT_EQ(learner.totalSeconds, 754 + 60 + 600);
    EXPECT_EQ(learner.unreadableRecords, 3);
    ASSERT_EQ(learner.unreadableRecordLines.size(), 3u);
    EXPECT_EQ(learner.unreadableRecordLines[0].line, 3);
    EXPECT_EQ(learner.unreadableRecordLines[0].text, "EN1,1,1,1,1,2026/04/01,9:00,2026/04/01,9:10,600");
    EXPECT_EQ(learner.unreadableRecordLines[1].line, 5);
    EXPECT_EQ(learner.unreadableRecordLines[1].text.back(), 'x');  // the CR is dropped
    EXPECT_EQ(learner.unreadableRecordLines[2].line, 9);
    EXPECT_EQ(learner.unreadableRecordLines[2].text, "EN1,1,4,1,1,1,2026/04/0");
    EXPECT_EQ(learner.unreadableValues, 2);
    ASSERT_EQ(learner.unreadableValueLines.size(), 2u);
    EXPECT_EQ(learner.unreadableValueLines[0].line, 6);
    EXPECT_EQ(learner.unreadableValueLines[0].column, "total time");
    EXPECT_EQ(learner.unreadableValueLines[1].line, 7);
    EXPECT_EQ(learner.unreadableValueLines[1].column, "start date");
    EXPECT_EQ(learner.units, 3u);
    EXPECT_EQ(FormatDay(*learner.firstDay), "2026-04-01");
    EXPECT_EQ(FormatDay(*learner.lastDay), "2026-04-03");

    // A complete record without its line end is a record.
    std::string whole = Record("1", "1", "2026/04/01", "754");
    folder = place.Learner("C", "hana", whole.substr(0, whole.size() - 1));
    EXPECT_EQ(SummariseLearner(folder).sessions, 1);
    EXPECT_EQ(SummariseLearner(folder).totalSeconds, 754);
}

TEST(ClassRecords, ManyAndLongUnreadableLines) {
    CScratchPlace place;
    std::string records;
    for (int i = 0; i < 150; ++i) records += "broken line " + std::to_string(i) + "\n";
    records += std::string(200000, 'x') + "\n";  // far longer than any record
    records += Record("1", "1", "2026/04/01", "754");
    LearnerSummary learner = SummariseLearner(place.Learner("C", "taro", records));
    EXPECT_EQ(learner.unreadableRecords, 151);
    EXPECT_EQ(learner.unreadableRecordLines.size(), kKeptUnreadableLines);
    EXPECT_EQ(learner.sessions, 1);
    EXPECT_EQ(learner.totalSeconds, 754);
}

// Lines cut by the end of a chunk are put together again: every record of
// a history longer than a chunk counts, once.
TEST(ClassRecords, HistoryLongerThanAChunk) {
    CScratchPlace place;
    std::string records;
    long long lines = 0;
    while (records.size() < 3 * kHistoryChunkBytes) {
        records += Record(std::to_string(lines % 7), "1", "2026/04/01", std::to_string(lines % 100));
        ++lines;
    }
    records += std::string(kMaxHistoryLineBytes * 2, ',') + "\n";  // across a chunk's end
    records += Record("1", "1", "2026/04/01", "754");
    LearnerSummary learner = SummariseLearner(place.Learner("C", "taro", records));
    EXPECT_EQ(learner.sessions, lines + 1);
    long long seconds = 754;
    for (long long i = 0; i < lines; ++i) seconds += i % 100;
    EXPECT_EQ(learner.totalSeconds, seconds);
    EXPECT_EQ(learner.unreadableRecords, 1);
    EXPECT_EQ(learner.unreadableValues, 0);
    EXPECT_EQ(learner.lectures.size(), 7u);
    ASSERT_EQ(ReadLearnerHistory(place.Folder("PLENA/C/taro")).records.size(), static_cast<size_t>(lines + 1));
    EXPECT_EQ(ReadLearnerHistory(place.Folder("PLENA/C/taro")).records.back().line, lines + 3);
}

TEST(ClassRecords, LearnerSummary) {
    CScratchPlace place;
    std::string folder = place.Learner("C", test::Cp932("太郎"),
                                       Record("10", "1", "2026/03/31", "0:10:00") +  // Tuesday
                                           Record("2", "1", "2026-4-5", "300") +     // Sunday, same week
                                           Record("2", "1", "2026/04/06", "1:00") +  // Monday, next week
                                           Record("A", "1", "2026/04/07", "60") + Record("2", "3", "2026/04/07", "60"));
    place.Write("PLENA/C/" + test::Cp932("太郎") + "/TASK.DAT", "1,1");
    std::filesystem::last_write_time(folder + "TASK.DAT", std::filesystem::file_time_type::clock::now());
    LearnerSummary learner = SummariseLearner(folder);
    EXPECT_EQ(learner.name, "太郎");
    EXPECT_EQ(learner.folderName, test::Cp932("太郎"));
    EXPECT_EQ(learner.sessions, 5);
    EXPECT_EQ(learner.totalSeconds, 600 + 300 + 60 + 60 + 60);
    EXPECT_EQ(learner.lectures, (std::vector<std::string>{"2", "10", "A"}));
    EXPECT_EQ(learner.units, 4u);  // 10/1, 2/1, A/1, 2/3
    std::map<CivilDay, long long> weekly = {{DayFromDate(2026, 3, 30), 900}, {DayFromDate(2026, 4, 6), 180}};
    EXPECT_EQ(learner.weekly, weekly);
    ASSERT_TRUE(learner.positionSaved);
    EXPECT_NEAR(static_cast<double>(*learner.positionSaved), static_cast<double>(std::time(nullptr)), 5);
    EXPECT_FALSE(learner.scoresSaved);
    EXPECT_TRUE(learner.damage.empty());
    // A name in UTF-8 that is no code page 932 text is shown as it is.
    EXPECT_EQ(ShownName("太郎"), "太郎");
    EXPECT_EQ(ShownName(test::Cp932("ｶﾅ①")), "ｶﾅ①");
}

TEST(ClassRecords, DamageInTheLearnerFolder) {
    CScratchPlace place;
    std::string folder = place.Learner("C", "taro", Record("1", "1", "2026/04/01", "754"));
    for (const char* name :
         {"HISTORY.DAT-1712345678", "HISTORY.DAT--5", "TASK.DAT.new", "SCORE.DAT.pc1.0123abcd.42.new", "PREF.PRF.old",
          ".~lock.HISTORY.DAT#", ".~lock.DORV#", "HISTORY.DAT-abc", "PREF.PRF.bak", "SCORE.DAT"}) {
        place.Write("PLENA/C/taro/" + std::string(name), "x");
    }
    place.Write("PLENA/C/hana/PREF.PRF", "x");  // never studied: no history
    place.Write("PLENA/C/jiro/HISTORY.DAT", "CD,lecture\r\n");

    CourseSummary course = ReadCourse(place.Folder("PLENA/C"));
    ASSERT_EQ(course.learners.size(), 3u);
    std::vector<std::string> listed;
    for (const DamagedThing& thing : course.damage) {
        listed.push_back(thing.learner + " " + DamageText(thing.kind, false) + " " + thing.file);
    }
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "hana no history HISTORY.DAT",
                          "jiro wrong history header HISTORY.DAT",
                          "taro invalid history set aside HISTORY.DAT--5",
                          "taro invalid history set aside HISTORY.DAT-1712345678",
                          "taro temporary file of an interrupted save PREF.PRF.old",
                          "taro temporary file of an interrupted save SCORE.DAT.pc1.0123abcd.42.new",
                          "taro temporary file of an interrupted save TASK.DAT.new",
                      }));
    EXPECT_EQ(course.damage[2].path, folder + "HISTORY.DAT--5");
    EXPECT_TRUE(course.damage[2].modified);
    EXPECT_EQ(course.learners[0].history, HistoryState::Missing);
    EXPECT_EQ(course.learners[1].history, HistoryState::WrongHeader);
    EXPECT_EQ(course.learners[1].sessions, 0);
}

// The teacher may point at the place, at its PLENA folder or at one course
// data folder; the learners come in the order of their names.
TEST(ClassRecords, PlaceForms) {
    CScratchPlace place;
    place.Learner("ENGLISH1", "student10", Record("1", "1", "2026/04/01", "754"));
    place.Learner("ENGLISH1", "student2", Record("1", "1", "2026/04/02", "100"));
    place.Learner(test::Cp932("英語2"), "taro", Record("1", "1", "2026/04/08", "60"));
    place.Write("PLENA/notes.txt", "not a course");

    PlaceRecords whole = ReadPlace(place.Folder());
    EXPECT_TRUE(whole.problem.empty());
    ASSERT_EQ(whole.courses.size(), 2u);
    EXPECT_EQ(whole.courses[0].title, "ENGLISH1");
    EXPECT_EQ(whole.courses[1].title, "英語2");
    EXPECT_EQ(whole.courses[1].folder, place.Folder("PLENA/" + test::Cp932("英語2") + "/"));
    ASSERT_EQ(whole.courses[0].learners.size(), 2u);
    EXPECT_EQ(whole.courses[0].learners[0].name, "student2");
    EXPECT_EQ(whole.courses[0].learners[1].name, "student10");
    EXPECT_EQ(whole.courses[0].weekly, (std::map<CivilDay, long long>{{DayFromDate(2026, 3, 30), 854}}));

    PlaceRecords plena = ReadPlace(place.Folder("PLENA/"));
    ASSERT_EQ(plena.courses.size(), 2u);
    EXPECT_EQ(plena.courses[1].learners[0].sessions, 1);

    PlaceRecords course = ReadPlace(place.Folder("PLENA/ENGLISH1"));
    ASSERT_EQ(course.courses.size(), 1u);
    EXPECT_EQ(course.courses[0].title, "ENGLISH1");
    EXPECT_EQ(course.courses[0].learners.size(), 2u);

    // A folder without learner data holds no course; a missing one is a problem.
    EXPECT_TRUE(ReadPlace(place.Folder("PLENA/ENGLISH1/student2")).courses.empty());
    PlaceRecords missing = ReadPlace(place.Folder("gone"));
    EXPECT_NE(missing.problem.find("gone"), std::string::npos);
}

TEST(ClassRecords, ReadingOnThreadsWithProgressAndCancel) {
    CScratchPlace place;
    for (int i = 0; i < 40; ++i) {
        place.Learner(i % 2 ? "A" : "B", "s" + std::to_string(i), Record("1", "1", "2026/04/01", std::to_string(i)));
    }
    std::mutex lock;
    std::vector<std::pair<size_t, size_t>> calls;
    ReadPlaceOptions options;
    options.threads = 4;
    options.progress = [&](size_t done, size_t found) {
        std::lock_guard<std::mutex> hold(lock);
        calls.emplace_back(done, found);
    };
    PlaceRecords read = ReadPlace(place.Folder(), options);
    EXPECT_FALSE(read.cancelled);
    long long seconds = 0;
    for (const CourseSummary& course : read.courses) {
        for (const LearnerSummary& learner : course.learners) seconds += learner.totalSeconds;
    }
    EXPECT_EQ(seconds, 40 * 39 / 2);
    ASSERT_EQ(calls.size(), 41u);
    size_t highest = 0;
    for (const auto& [done, found] : calls) {
        EXPECT_EQ(found, 40u);
        highest = std::max(highest, done);
    }
    EXPECT_EQ(highest, 40u);

    std::atomic<bool> cancel{true};
    options.cancel = &cancel;
    calls.clear();
    EXPECT_TRUE(ReadPlace(place.Folder(), options).cancelled);
    EXPECT_EQ(calls.size(), 1u);  // only the first report
}

TEST(ClassRecords, OneLearnersRecordsInOrder) {
    CScratchPlace place;
    std::string folder = place.Learner(
        "C", "taro",
        Record(test::Cp932("第一課"), "1", "2026/04/01", "754") + "broken\n" + Record("2", "1", "2026/04/02", "60"));
    LearnerHistory history = ReadLearnerHistory(folder);
    EXPECT_EQ(history.state, HistoryState::Ok);
    ASSERT_EQ(history.records.size(), 2u);
    EXPECT_EQ(history.records[0].line, 2);
    EXPECT_EQ(history.records[0].columns[1], "第一課");
    EXPECT_EQ(history.records[0].columns[10], "754");
    EXPECT_EQ(history.records[1].line, 4);
    EXPECT_EQ(history.unreadableRecords, 1);
    EXPECT_EQ(history.unreadableLines[0].text, "broken");
    EXPECT_EQ(ReadLearnerHistory(place.Folder("PLENA/C/none")).state, HistoryState::Missing);
}

// Reading leaves every file and folder as it was, locks and all.
TEST(ClassRecords, NothingIsWritten) {
    CScratchPlace place;
    place.Learner("C", "taro", Record("1", "1", "2026/04/01", "754"));
    place.Write("PLENA/C/taro/.~lock.DORV#", "pc1 0123abcd 42\n");
    place.Write("PLENA/C/hana/TASK.DAT.new", "x");
    std::map<std::string, long long> before = test::Listing(place.Path());
    usleep(20000);
    PlaceRecords read = ReadPlace(place.Folder());
    ReadLearnerHistory(place.Folder("PLENA/C/taro"));
    ASSERT_EQ(read.courses.size(), 1u);
    EXPECT_EQ(test::Listing(place.Path()), before);
}

}  // namespace
}  // namespace dorv
