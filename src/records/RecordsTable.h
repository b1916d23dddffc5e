// The class table as the records window and its printout show it: one row
// for each learner, its columns' titles and texts, and the order of the rows
// when the teacher sorts by a column. The rows that the records of a
// learner's history make in the learner's own table are here too.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "records/ClassRecords.h"
#include "records/RecordsTexts.h"

namespace dorv {

enum class TableColumn {
    Learner,
    Sessions,
    TotalTime,
    FirstDay,
    LastDay,
    Lectures,
    Units,
    PositionSaved,
    ScoresSaved,
    Unreadable,
    Problems,
};
constexpr size_t kTableColumns = 11;
constexpr std::array<TableColumn, kTableColumns> kAllTableColumns = {
    TableColumn::Learner,     TableColumn::Sessions,   TableColumn::TotalTime, TableColumn::FirstDay,
    TableColumn::LastDay,     TableColumn::Lectures,   TableColumn::Units,     TableColumn::PositionSaved,
    TableColumn::ScoresSaved, TableColumn::Unreadable, TableColumn::Problems};

std::string TableColumnTitle(TableColumn column, bool japanese);

// Counts and times, which are shown aligned to the right.
bool IsNumericColumn(TableColumn column);

// The text of a learner's cell: times as FormatDuration, days as FormatDay,
// moments as FormatLocalMinute, the lectures and the problems as lists;
// unreadable counts the lines that are no record and the values that cannot
// be read together; "" where there is nothing.
std::string TableCellText(const LearnerSummary& learner, TableColumn column, bool japanese);

// What is wrong with the learner's data, in a few words each.
std::string ProblemsText(const LearnerSummary& learner, bool japanese);

// The order of two learners by a column: <0, 0 or >0. Counts, times and days
// go by their value (what is missing first); the names go by NameLess; the
// lectures by how many, then by LectureLess; the problems by how many, then
// by their text. Learners that are equal in the column go by their names.
int CompareLearners(const LearnerSummary& a, const LearnerSummary& b, TableColumn column);

// A learner's unreadable lines and values together, in the order of their
// line numbers, for the list below the class table.
std::vector<UnreadableLine> UnreadableOf(const LearnerSummary& learner);

// How many rows of the class table go on each printed page: `firstRoom`
// and `room` are the heights left for rows on the first page (under the
// chart) and on the others. Each page takes at least one row; a table
// without rows still takes the first page.
std::vector<size_t> RowsPerPage(size_t rows, double firstRoom, double room, double rowHeight);

// One row of a learner's own table: a record, or a line that is no record
// (its text cut at the commas into the columns, what is beyond the last
// column kept in it), with a note of what cannot be read.
struct LearnerRow {
    long long line = 0;
    std::string note;  // "" for a record that reads well
    std::array<std::string, kHistoryColumns> columns;
    bool unreadable = false;  // a line or a value that cannot be read
};

// The records and the unreadable lines of a history, in the order of their
// line numbers.
std::vector<LearnerRow> LearnerRows(const LearnerHistory& history, const CRecordsTexts& texts);

}  // namespace dorv
