#include "records/RecordsExport.h"

#include <array>

#include "common/TextEncoding.h"
#include "common/TextJoin.h"
#include "learner/LearnerStore.h"
#include "records/CsvFile.h"
#include "records/RecordsTable.h"

namespace dorv {
namespace {

constexpr std::array<const char*, 13> kTableHeaderEnglish = {
    "learner", "sessions",       "total time",   "total seconds",      "first day",         "last day", "lectures",
    "units",   "position saved", "scores saved", "unreadable records", "unreadable values", "problems"};
constexpr std::array<const char*, 13> kTableHeaderJapanese = {
    "学習者",     "学習回数",           "合計学習時間",   "合計秒数",       "最初の学習日", "最後の学習日",
    "学習した講", "学習したユニット数", "位置の保存日時", "成績の保存日時", "読めない記録", "読めない値",
    "問題"};
constexpr const char* kLearnerEnglish = "learner";
constexpr const char* kLearnerJapanese = "学習者";

std::string Day(const std::optional<CivilDay>& day) { return day ? FormatDay(*day) : std::string(); }

std::string Moment(const std::optional<std::time_t>& moment) {
    return moment ? FormatLocalMinute(*moment) : std::string();
}

}  // namespace

std::string ExportFileBase(const std::string& title) {
    std::string base;
    for (char c : title) {
        bool forbidden = static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
                         std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
        base += forbidden ? '_' : c;
    }
    if (base.empty() || base == "." || base == "..") base = "_";
    return base;
}

bool ExportLearnersTable(const CourseSummary& course, const std::string& path, bool japanese, std::string& error) {
    CCsvFile file;
    if (!file.Open(path)) {
        error = file.Error();
        return false;
    }
    for (const char* name : japanese ? kTableHeaderJapanese : kTableHeaderEnglish) file.Field(name);
    file.EndRow();
    for (const LearnerSummary& learner : course.learners) {
        file.Field(SpreadsheetText(learner.name));
        file.Field(std::to_string(learner.sessions));
        file.Field(FormatDuration(learner.totalSeconds));
        file.Field(std::to_string(learner.totalSeconds));
        file.Field(Day(learner.firstDay));
        file.Field(Day(learner.lastDay));
        file.Field(SpreadsheetText(Joined(learner.lectures, ", ")));
        file.Field(std::to_string(learner.units));
        file.Field(Moment(learner.positionSaved));
        file.Field(Moment(learner.scoresSaved));
        file.Field(std::to_string(learner.unreadableRecords));
        file.Field(std::to_string(learner.unreadableValues));
        file.Field(SpreadsheetText(ProblemsText(learner, japanese)));
        file.EndRow();
    }
    if (!file.Commit()) {
        error = file.Error();
        return false;
    }
    return true;
}

bool ExportAllRecords(const CourseSummary& course, const std::string& path, bool japanese, std::string& error) {
    CCsvFile file;
    if (!file.Open(path)) {
        error = file.Error();
        return false;
    }
    file.Field(japanese ? kLearnerJapanese : kLearnerEnglish);
    for (const char* name : kHistoryColumnNames) file.Field(name);
    file.EndRow();
    for (const LearnerSummary& learner : course.learners) {
        std::string name = SpreadsheetText(learner.name);
        HistoryReadResult read =
            ReadHistory(learner.folder + CLearnerStore::kHistoryFileName, [&](const HistoryLine& line) {
                if (!line.record) return;
                file.Field(name);
                for (std::string_view column : line.columns) file.Field(SpreadsheetText(HostTextToUtf8(column)));
                file.EndRow();
            });
        // A history that the summary read and that is gone or broken now
        // would leave its records out without a word.
        if (learner.history == HistoryState::Ok && read.state != HistoryState::Ok) {
            file.Abandon();
            error = path + ": the history of " + learner.name + " could not be read again (" +
                    HistoryStateText(read.state, false) + (read.error.empty() ? "" : ", " + read.error) + ")";
            return false;
        }
    }
    if (!file.Commit()) {
        error = file.Error();
        return false;
    }
    return true;
}

bool ExportCourseRecords(const CourseSummary& course, const std::string& folder, const std::string& base, bool japanese,
                         ExportedFiles& written, std::string& error) {
    written = {};
    std::string prefix = folder.empty() || folder.back() == '/' ? folder + base : folder + "/" + base;
    std::string learners = prefix + "-learners.csv";
    if (!ExportLearnersTable(course, learners, japanese, error)) return false;
    written.learners = learners;
    std::string records = prefix + "-records.csv";
    if (!ExportAllRecords(course, records, japanese, error)) return false;
    written.records = records;
    return true;
}

}  // namespace dorv
