// The class records: who studied what, read straight from the learner data
// on a place (a stick, a share, a documents folder), for the teacher. A
// place holds PLENA/<course>/<learner>/; each learner folder holds the
// learner's history (HISTORY.DAT), position (TASK.DAT) and scores
// (SCORE.DAT). Reading never writes, creates or locks anything: copies of
// the program may be using the same files at the same time.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <ctime>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/HistoryReader.h"
#include "records/RecordValues.h"

namespace dorv {

// How many unreadable lines a learner's summary keeps as samples of each
// kind (it counts them all), and how much of each line's text.
constexpr size_t kKeptUnreadableLines = 100;
constexpr size_t kKeptLineBytes = 512;

// A line of a history that could not be read as the course wrote it.
struct UnreadableLine {
    long long line = 0;  // in the file; the header is line 1
    std::string text;    // UTF-8, at most kKeptLineBytes
    // For a record whose value cannot be read: the column's name ("total
    // time", "start date"); "" for a line that is no record.
    std::string column;
};

// What is wrong in a learner folder, for the teacher.
enum class DamageKind {
    SetAsideHistory,    // HISTORY.DAT-<seconds>: a history the program found invalid and put aside
    Leftover,           // "*.new" or "*.old": left by a save that was interrupted
    NoHistory,          // no HISTORY.DAT
    WrongHeader,        // a HISTORY.DAT that does not start with the header
    UnreadableHistory,  // a HISTORY.DAT that cannot be read
    UnlistedFolder,     // the learner folder cannot be listed
};

struct DamagedThing {
    std::string learner;  // the learner's name, UTF-8
    DamageKind kind = DamageKind::NoHistory;
    std::string file;  // the file's name, UTF-8 ("" when there is none)
    std::string path;  // its path (bytes on disk), or the learner folder's
    std::optional<std::time_t> modified;
    std::string detail;  // the system's words for why it cannot be read
};

// The kind as the teacher reads it, in Japanese or in English.
std::string DamageText(DamageKind kind, bool japanese);

struct LearnerSummary {
    std::string name;        // shown, UTF-8
    std::string folderName;  // as on disk
    std::string folder;      // the learner folder's path, ending in "/"

    HistoryState history = HistoryState::Missing;
    std::string historyError;  // Unreadable: why

    long long sessions = 0;      // readable records
    long long totalSeconds = 0;  // the sum of their readable total times
    std::optional<CivilDay> firstDay;
    std::optional<CivilDay> lastDay;
    std::vector<std::string> lectures;         // distinct "lecture" values, UTF-8, in LectureLess order
    size_t units = 0;                          // distinct lecture and unit pairs
    std::optional<std::time_t> positionSaved;  // TASK.DAT last written
    std::optional<std::time_t> scoresSaved;    // SCORE.DAT last written
    std::map<CivilDay, long long> weekly;      // Monday → seconds studied in records started that week

    long long unreadableRecords = 0;                    // lines that are no record
    long long unreadableValues = 0;                     // total times and start dates of records that cannot be read
    std::vector<UnreadableLine> unreadableRecordLines;  // the first kKeptUnreadableLines
    std::vector<UnreadableLine> unreadableValueLines;   // the first kKeptUnreadableLines

    std::vector<DamagedThing> damage;
};

struct CourseSummary {
    std::string title;                     // the course's file title (its folder's name), UTF-8
    std::string folderName;                // as on disk
    std::string folder;                    // the course data folder's path, ending in "/"
    std::string problem;                   // the folder cannot be listed: why ("" when it was read)
    std::vector<LearnerSummary> learners;  // in NameLess order of their names
    std::map<CivilDay, long long> weekly;  // the class's totals
    std::vector<DamagedThing> damage;      // every learner's, in the learners' order
};

struct PlaceRecords {
    std::string place;    // as given
    std::string problem;  // the place cannot be read: why
    std::vector<CourseSummary> courses;
    bool cancelled = false;  // cancelled: the figures are incomplete
};

struct ReadPlaceOptions {
    unsigned threads = 0;  // 0: one for each of the processor's cores
    // Called after each learner (and once before the first) with the
    // learners done and found; from the worker threads, possibly at once.
    std::function<void(size_t done, size_t found)> progress;
    // Set (from any thread) to stop: the reading stops soon after.
    const std::atomic<bool>* cancel = nullptr;
};

// Every course data folder of a place, with the names of their folders:
// "<place>/PLENA/*/"; when `place` itself is named PLENA, its subfolders;
// when it holds learner folders with a history, itself. False with
// `problem` set when the place cannot be read.
bool FindCourseDataFolders(const std::string& place, std::vector<std::string>& folders, std::string& problem);

// Reads a whole place on several threads, a learner at a time.
PlaceRecords ReadPlace(const std::string& place, const ReadPlaceOptions& options = {});

// Reads one course data folder (on the calling thread).
CourseSummary ReadCourse(const std::string& folder, const std::atomic<bool>* cancel = nullptr);

// Reads one learner folder: its history, its data files and its damage.
LearnerSummary SummariseLearner(const std::string& folder, const std::atomic<bool>* cancel = nullptr);

// A learner's records in order, for a detail view: their columns as UTF-8.
struct HistoryRecord {
    long long line = 0;
    std::array<std::string, kHistoryColumns> columns;
};
struct LearnerHistory {
    HistoryState state = HistoryState::Missing;
    std::string error;
    std::vector<HistoryRecord> records;
    long long unreadableRecords = 0;
    std::vector<UnreadableLine> unreadableLines;  // the first kKeptUnreadableLines
};
LearnerHistory ReadLearnerHistory(const std::string& learnerFolder);

// A name on disk as the records show it: code page 932 converted; a name
// that is UTF-8 and no code page 932 text as it is.
std::string ShownName(std::string_view bytes);

// The order of lectures: numbers by their value before other texts, which
// go by their bytes.
bool LectureLess(const std::string& a, const std::string& b);
// The order of learners' names: runs of digits by their value ("2" before
// "10"), the rest by its bytes.
bool NameLess(const std::string& a, const std::string& b);

// The class's weekly totals: the sum of its learners'.
std::map<CivilDay, long long> ClassWeekly(const std::vector<LearnerSummary>& learners);

}  // namespace dorv
