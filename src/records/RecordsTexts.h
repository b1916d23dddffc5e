// The texts of the class records window, in Japanese or in English: the
// window, its messages, the tables' column titles and the chart's words.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace dorv {

// A button's text as a screen reader says it: without its mnemonic ("_E",
// or "(_E)" after a Japanese text).
std::string WithoutMnemonic(const std::string& text);

class CRecordsTexts {
public:
    explicit CRecordsTexts(bool japanese) : m_japanese(japanese) {}

    bool Japanese() const { return m_japanese; }

    // The window.
    std::string Title() const;                                // "Class Records"
    std::string WindowTitle(const std::string& place) const;  // "Class Records — <place>"
    std::string CourseLabel() const;                          // before the course selector
    std::string ReloadLabel() const;
    std::string ExportButton() const;  // with its mnemonic
    std::string PrintButton() const;   // with its mnemonic

    // Reading the place.
    std::string Resolving(const std::string& place) const;
    std::string Reading(const std::string& place) const;
    std::string Progress(size_t done, size_t found) const;  // "3 / 12 learners"
    std::string NotAnswering(const std::string& place) const;
    std::string Cancel() const;  // with its mnemonic
    std::string Cancelled(const std::string& place) const;
    std::string PlaceProblem(const std::string& problem) const;
    std::string NoCourses(const std::string& folder) const;
    std::string CourseProblem(const std::string& problem) const;
    std::string ReadFailed(const std::string& what) const;

    // The parts below the class table.
    std::string TableLabel(const std::string& course) const;
    std::string ChartTab() const;
    std::string ChartLabel() const;
    std::string DamageTab(size_t count) const;
    std::string DamageLabel() const;
    std::vector<std::string> DamageColumns() const;  // learner, problem, file, modified
    std::string UnreadableTab(long long count) const;
    std::string UnreadableLabel() const;
    std::vector<std::string> UnreadableColumns() const;  // learner, line, column, text
    std::string UnreadableSummary(long long records, long long values, size_t kept) const;
    std::string WholeLine() const;  // the column of an unreadable line
    // A record's column, named as the history's header names it.
    std::string HistoryColumn(const std::string& name) const;

    // The chart.
    std::string ClassSeries() const;
    std::string HoursAxis() const;
    std::string NoStudyTime() const;

    // Exporting and printing.
    std::string ExportTitle() const;
    std::string ExportAccept() const;
    std::string Exporting(const std::string& course) const;
    std::string Exported(const std::vector<std::string>& files) const;
    std::string ExportFailed(const std::string& error) const;
    std::string ReplaceTitle() const;
    std::string ReplaceQuestion(const std::vector<std::string>& names) const;
    std::string ReplaceButton() const;
    std::string PrintFailed(const std::string& error) const;
    std::string PrintHeading(const std::string& course, const std::string& place) const;

    // A learner's records.
    std::string LearnerTitle(const std::string& learner) const;
    std::string LearnerTableLabel(const std::string& learner) const;
    std::vector<std::string> LearnerColumns() const;  // line, note, and the eleven columns of a record
    std::string UnreadableLineNote(size_t columns) const;
    std::string UnreadableValueNote(const std::string& column) const;
    std::string LinesLeftOut(long long unreadable, size_t kept) const;
    std::string LearnerSummaryLine(size_t records, long long unreadable) const;

private:
    const char* Pick(const char* japanese, const char* english) const { return m_japanese ? japanese : english; }

    bool m_japanese;
};

}  // namespace dorv
