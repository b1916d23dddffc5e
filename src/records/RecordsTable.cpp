#include "records/RecordsTable.h"
#include "common/TextJoin.h"

#include <algorithm>

namespace dorv {
namespace {

constexpr std::array<const char*, kTableColumns> kEnglishTitles = {
    "learner", "sessions",       "total time",   "first day",  "last day", "lectures",
    "units",   "position saved", "scores saved", "unreadable", "problems"};
constexpr std::array<const char*, kTableColumns> kJapaneseTitles = {
    "学習者",     "学習回数",       "合計学習時間",   "最初の学習日",   "最後の学習日", "学習した講",
    "ユニット数", "位置の保存日時", "成績の保存日時", "読めない行と値", "問題"};

template <typename T>
int Compare(const T& a, const T& b) {
    return a < b ? -1 : b < a ? 1 : 0;
}

// Missing values before the others.
template <typename T>
int CompareOptional(const std::optional<T>& a, const std::optional<T>& b) {
    if (a.has_value() != b.has_value()) return a.has_value() ? 1 : -1;
    return a ? Compare(*a, *b) : 0;
}

int CompareNames(const std::string& a, const std::string& b) {
    if (NameLess(a, b)) return -1;
    return NameLess(b, a) ? 1 : 0;
}

int CompareLectures(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LectureLess(a[i], b[i])) return -1;
        if (LectureLess(b[i], a[i])) return 1;
    }
    return 0;
}

long long UnreadableCount(const LearnerSummary& learner) {
    return learner.unreadableRecords + learner.unreadableValues;
}

int CompareInColumn(const LearnerSummary& a, const LearnerSummary& b, TableColumn column) {
    switch (column) {
        case TableColumn::Learner:
            return CompareNames(a.name, b.name);
        case TableColumn::Sessions:
            return Compare(a.sessions, b.sessions);
        case TableColumn::TotalTime:
            return Compare(a.totalSeconds, b.totalSeconds);
        case TableColumn::FirstDay:
            return CompareOptional(a.firstDay, b.firstDay);
        case TableColumn::LastDay:
            return CompareOptional(a.lastDay, b.lastDay);
        case TableColumn::Lectures:
            return CompareLectures(a.lectures, b.lectures);
        case TableColumn::Units:
            return Compare(a.units, b.units);
        case TableColumn::PositionSaved:
            return CompareOptional(a.positionSaved, b.positionSaved);
        case TableColumn::ScoresSaved:
            return CompareOptional(a.scoresSaved, b.scoresSaved);
        case TableColumn::Unreadable:
            return Compare(UnreadableCount(a), UnreadableCount(b));
        case TableColumn::Problems:
            if (a.damage.size() != b.damage.size()) return a.damage.size() < b.damage.size() ? -1 : 1;
            return Compare(ProblemsText(a, false), ProblemsText(b, false));
    }
    return 0;
}

// An unreadable line's text cut into the columns of a record.
std::array<std::string, kHistoryColumns> SpreadOverColumns(const std::string& text, size_t& count) {
    std::array<std::string, kHistoryColumns> columns;
    count = 1;
    size_t column = 0;
    for (char c : text) {
        if (c == ',') {
            ++count;
            if (column + 1 < kHistoryColumns) {
                ++column;
                continue;
            }
        }
        columns[column] += c;
    }
    return columns;
}

}  // namespace

std::string ProblemsText(const LearnerSummary& learner, bool japanese) {
    std::vector<std::string> problems;
    for (const DamagedThing& thing : learner.damage) {
        std::string text = DamageText(thing.kind, japanese);
        if (thing.kind == DamageKind::SetAsideHistory || thing.kind == DamageKind::Leftover) {
            text += ": " + thing.file;
        } else if (!thing.detail.empty()) {
            text += ": " + thing.detail;
        }
        problems.push_back(std::move(text));
    }
    return Joined(problems, "; ");
}

std::string TableColumnTitle(TableColumn column, bool japanese) {
    return (japanese ? kJapaneseTitles : kEnglishTitles)[static_cast<size_t>(column)];
}

bool IsNumericColumn(TableColumn column) {
    return column == TableColumn::Sessions || column == TableColumn::TotalTime || column == TableColumn::Units ||
           column == TableColumn::Unreadable;
}

std::string TableCellText(const LearnerSummary& learner, TableColumn column, bool japanese) {
    switch (column) {
        case TableColumn::Learner:
            return learner.name;
        case TableColumn::Sessions:
            return std::to_string(learner.sessions);
        case TableColumn::TotalTime:
            return FormatDuration(learner.totalSeconds);
        case TableColumn::FirstDay:
            return learner.firstDay ? FormatDay(*learner.firstDay) : std::string();
        case TableColumn::LastDay:
            return learner.lastDay ? FormatDay(*learner.lastDay) : std::string();
        case TableColumn::Lectures:
            return Joined(learner.lectures, ", ");
        case TableColumn::Units:
            return std::to_string(learner.units);
        case TableColumn::PositionSaved:
            return learner.positionSaved ? FormatLocalMinute(*learner.positionSaved) : std::string();
        case TableColumn::ScoresSaved:
            return learner.scoresSaved ? FormatLocalMinute(*learner.scoresSaved) : std::string();
        case TableColumn::Unreadable:
            return std::to_string(UnreadableCount(learner));
        case TableColumn::Problems:
            return ProblemsText(learner, japanese);
    }
    return {};
}

int CompareLearners(const LearnerSummary& a, const LearnerSummary& b, TableColumn column) {
    int order = CompareInColumn(a, b, column);
    if (order == 0 && column != TableColumn::Learner) order = CompareNames(a.name, b.name);
    // Two folders whose names show alike still have an order.
    if (order == 0) order = Compare(a.folderName, b.folderName);
    return order;
}

std::vector<UnreadableLine> UnreadableOf(const LearnerSummary& learner) {
    std::vector<UnreadableLine> lines = learner.unreadableRecordLines;
    lines.insert(lines.end(), learner.unreadableValueLines.begin(), learner.unreadableValueLines.end());
    std::stable_sort(lines.begin(), lines.end(),
                     [](const UnreadableLine& a, const UnreadableLine& b) { return a.line < b.line; });
    return lines;
}

std::vector<size_t> RowsPerPage(size_t rows, double firstRoom, double room, double rowHeight) {
    auto fits = [rowHeight](double height) {
        return rowHeight > 0 && height > rowHeight ? static_cast<size_t>(height / rowHeight) : size_t{1};
    };
    std::vector<size_t> pages{std::min(rows, fits(firstRoom))};
    for (size_t left = rows - pages.front(); left > 0; left -= pages.back())
        pages.push_back(std::min(left, fits(room)));
    return pages;
}

std::vector<LearnerRow> LearnerRows(const LearnerHistory& history, const CRecordsTexts& texts) {
    std::vector<LearnerRow> rows;
    rows.reserve(history.records.size() + history.unreadableLines.size());
    auto unreadable = history.unreadableLines.begin();
    auto addUnreadable = [&](const UnreadableLine& line) {
        LearnerRow& row = rows.emplace_back();
        row.line = line.line;
        size_t count = 0;
        row.columns = SpreadOverColumns(line.text, count);
        row.note = texts.UnreadableLineNote(count);
        row.unreadable = true;
    };
    for (const HistoryRecord& record : history.records) {
        for (; unreadable != history.unreadableLines.end() && unreadable->line < record.line; ++unreadable) {
            addUnreadable(*unreadable);
        }
        LearnerRow& row = rows.emplace_back();
        row.line = record.line;
        row.columns = record.columns;
        std::vector<std::string> notes;
        if (!ParseDay(record.columns[kStartDateColumn])) {
            notes.push_back(texts.UnreadableValueNote(kHistoryColumnNames[kStartDateColumn]));
        }
        if (!ParseDuration(record.columns[kTotalTimeColumn])) {
            notes.push_back(texts.UnreadableValueNote(kHistoryColumnNames[kTotalTimeColumn]));
        }
        row.unreadable = !notes.empty();
        row.note = Joined(notes, "; ");
    }
    for (; unreadable != history.unreadableLines.end(); ++unreadable) addUnreadable(*unreadable);
    return rows;
}

}  // namespace dorv
