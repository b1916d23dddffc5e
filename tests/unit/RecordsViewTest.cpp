// What the records window and its printout show: the chart's weeks and
// axis, the class table's texts and orders, a learner's rows, the pages of
// the printout and the window's texts.
#include <gtest/gtest.h>

#include <cmath>

#include "records/RecordsChart.h"
#include "records/RecordsTable.h"
#include "records/RecordsTexts.h"

namespace dorv {
namespace {

const CivilDay kMonday = DayFromDate(2026, 4, 6);
constexpr CivilDay kWeek = 7;

LearnerSummary Learner(const std::string& name) {
    LearnerSummary learner;
    learner.name = name;
    learner.folderName = name;
    return learner;
}

int Order(const LearnerSummary& a, const LearnerSummary& b, TableColumn column) {
    int order = CompareLearners(a, b, column);
    EXPECT_EQ(order<0, CompareLearners(b, a, column)> 0) << TableColumnTitle(column, false);
    return order;
}

TEST(RecordsChart, EveryWeekFromTheFirstToTheLastWithTheLearnersSecond) {
    std::map<CivilDay, long long> classWeekly = {{kMonday, 3600}, {kMonday + 3 * kWeek, 5400}};
    std::map<CivilDay, long long> learner = {{kMonday + 3 * kWeek, 1800}};
    WeeklyChart chart = BuildWeeklyChart(classWeekly, &learner);
    ASSERT_EQ(chart.weeks.size(), 4u);
    EXPECT_EQ(chart.weeks[1].week, kMonday + kWeek);
    EXPECT_EQ(chart.weeks[1].classSeconds, 0);
    EXPECT_EQ(chart.weeks[3].classSeconds, 5400);
    EXPECT_EQ(chart.weeks[3].learnerSeconds, 1800);
    EXPECT_TRUE(chart.hasLearner);
    EXPECT_EQ(chart.stepHours, 0.5);  // 1.5 hours at most
    EXPECT_EQ(chart.topHours, 1.5);

    WeeklyChart none = BuildWeeklyChart({}, nullptr);
    EXPECT_TRUE(none.weeks.empty());
    EXPECT_EQ(none.topHours, 1);
    EXPECT_FALSE(none.hasLearner);

    // Years of weeks: the last ones are shown, and the others counted.
    std::map<CivilDay, long long> long_ = {{kMonday, 60}, {kMonday + kWeek, 60}, {kMonday + 400 * kWeek, 60}};
    WeeklyChart years = BuildWeeklyChart(long_, nullptr);
    EXPECT_EQ(years.weeks.size(), kMaxChartWeeks);
    EXPECT_EQ(years.weeks.back().week, kMonday + 400 * kWeek);
    EXPECT_EQ(years.weeksLeftOut, 2u);
}

TEST(RecordsChart, HourAxisHasAtMostFiveLinesOfRoundSteps) {
    EXPECT_EQ(HourStep(0), 1);
    EXPECT_EQ(HourStep(5.0 / 60), 0.25);
    EXPECT_EQ(HourStep(1.25), 0.25);
    EXPECT_EQ(HourStep(1.3), 0.5);
    EXPECT_EQ(HourStep(5), 1);
    EXPECT_EQ(HourStep(5.1), 2);
    EXPECT_EQ(HourStep(23), 5);
    EXPECT_EQ(HourStep(240), 50);
    EXPECT_EQ(HourStep(2400), 500);
    for (double hours : {0.1, 0.7, 3.3, 9.99, 77.0, 1234.5}) {
        EXPECT_LE(std::ceil(hours / HourStep(hours)), 5) << hours;
    }
    EXPECT_EQ(HoursText(0), "0");
    EXPECT_EQ(HoursText(0.25), "0.25");
    EXPECT_EQ(HoursText(1.5), "1.5");
    EXPECT_EQ(HoursText(250), "250");
}

TEST(RecordsChart, WeekLabelsNameTheYearWhereItChangesAndMakeRoom) {
    CivilDay december = DayFromDate(2026, 12, 28);
    EXPECT_EQ(WeekLabel(december, std::nullopt), "2026/12/28");
    EXPECT_EQ(WeekLabel(december + kWeek, december), "2027/1/4");
    EXPECT_EQ(WeekLabel(december + 2 * kWeek, december + kWeek), "1/11");
    EXPECT_EQ(WeekLabelStride(10, 1000, 50), 1u);
    EXPECT_EQ(WeekLabelStride(10, 500, 50), 2u);
    EXPECT_EQ(WeekLabelStride(100, 500, 60), 26u);
    EXPECT_EQ(WeekLabelStride(1000, 100, 60), 52u * 14);
    EXPECT_EQ(WeekLabelStride(0, 100, 60), 1u);
}

TEST(RecordsChart, SummaryTellsWhatTheChartShows) {
    std::map<CivilDay, long long> classWeekly = {{kMonday, 3600}, {kMonday + kWeek, 5400}};
    std::map<CivilDay, long long> learner = {{kMonday, 600}};
    EXPECT_EQ(ChartSummary(BuildWeeklyChart(classWeekly, &learner), "taro", false),
              "Study time per week, 2 weeks from the week of 2026-04-06 to the week of 2026-04-13. The class "
              "studied 2:30:00 in all, the most in the week of 2026-04-13: 1:30:00. taro: 0:10:00 in 1 weeks.");
    std::string japanese = ChartSummary(BuildWeeklyChart(classWeekly, nullptr), "", true);
    EXPECT_NE(japanese.find("クラス全体で 2:30:00"), std::string::npos) << japanese;
    EXPECT_EQ(ChartSummary(BuildWeeklyChart({}, nullptr), "", false), "No study time recorded.");
}

TEST(RecordsTable, CellsShowTheSummary) {
    LearnerSummary taro = Learner("taro");
    taro.sessions = 12;
    taro.totalSeconds = 3725;
    taro.firstDay = kMonday;
    taro.lectures = {"2", "10", "第一課"};
    taro.unreadableRecords = 2;
    taro.unreadableValues = 1;
    taro.damage.push_back({"taro", DamageKind::Leftover, "TASK.DAT.new", "", std::nullopt, ""});
    taro.damage.push_back(
        {"taro", DamageKind::UnreadableHistory, "HISTORY.DAT", "", std::nullopt, "Permission denied"});
    EXPECT_EQ(TableCellText(taro, TableColumn::Sessions, false), "12");
    EXPECT_EQ(TableCellText(taro, TableColumn::TotalTime, false), "1:02:05");
    EXPECT_EQ(TableCellText(taro, TableColumn::FirstDay, false), "2026-04-06");
    EXPECT_EQ(TableCellText(taro, TableColumn::LastDay, false), "");
    EXPECT_EQ(TableCellText(taro, TableColumn::Lectures, false), "2, 10, 第一課");
    EXPECT_EQ(TableCellText(taro, TableColumn::Unreadable, false), "3");
    EXPECT_EQ(TableCellText(taro, TableColumn::Problems, false),
              "temporary file of an interrupted save: TASK.DAT.new; history cannot be read: Permission denied");
    EXPECT_EQ(TableCellText(taro, TableColumn::Problems, true),
              "中断された保存の一時ファイル: TASK.DAT.new; 学習履歴を読めない: Permission denied");
    EXPECT_EQ(TableColumnTitle(TableColumn::Units, true), "ユニット数");
    EXPECT_TRUE(IsNumericColumn(TableColumn::TotalTime));
    EXPECT_FALSE(IsNumericColumn(TableColumn::FirstDay));
}

// Numbers go by their value, not by their text ("9" before "10"), what is
// missing first; equal learners by their names.
TEST(RecordsTable, SortingGoesByValue) {
    LearnerSummary a = Learner("learner10");
    LearnerSummary b = Learner("learner9");
    EXPECT_GT(Order(a, b, TableColumn::Learner), 0);
    a.sessions = 10;
    b.sessions = 9;
    EXPECT_GT(Order(a, b, TableColumn::Sessions), 0);
    a.totalSeconds = 36000;  // "10:00:00"
    b.totalSeconds = 7200;   // "2:00:00"
    EXPECT_GT(Order(a, b, TableColumn::TotalTime), 0);
    a.units = 2;
    b.units = 2;
    EXPECT_GT(Order(a, b, TableColumn::Units), 0);  // the names decide
    EXPECT_LT(Order(b, a, TableColumn::Units), 0);
    a.lastDay = kMonday;
    EXPECT_GT(Order(a, b, TableColumn::LastDay), 0);  // b has none
    b.lastDay = kMonday + 1;
    EXPECT_LT(Order(a, b, TableColumn::LastDay), 0);
    a.positionSaved = 1000;
    b.positionSaved = 999;
    EXPECT_GT(Order(a, b, TableColumn::PositionSaved), 0);
    a.lectures = {"10"};
    b.lectures = {"9"};
    EXPECT_GT(Order(a, b, TableColumn::Lectures), 0);
    b.lectures = {"1", "2"};
    EXPECT_LT(Order(a, b, TableColumn::Lectures), 0);  // fewer lectures first
    a.unreadableRecords = 1;
    b.unreadableValues = 2;
    EXPECT_LT(Order(a, b, TableColumn::Unreadable), 0);
    b.damage.push_back({"b", DamageKind::NoHistory, "HISTORY.DAT", "", std::nullopt, ""});
    EXPECT_LT(Order(a, b, TableColumn::Problems), 0);
    // Folders whose names show alike keep an order of their own.
    LearnerSummary c = Learner("same");
    LearnerSummary d = Learner("same");
    d.folderName = "same2";
    EXPECT_LT(Order(c, d, TableColumn::Learner), 0);
}

TEST(RecordsTable, PrintedPagesHoldWhatFits) {
    EXPECT_EQ(RowsPerPage(0, 100, 200, 10), (std::vector<size_t>{0}));
    EXPECT_EQ(RowsPerPage(5, 100, 200, 10), (std::vector<size_t>{5}));
    EXPECT_EQ(RowsPerPage(30, 35, 45, 10), (std::vector<size_t>{3, 4, 4, 4, 4, 4, 4, 3}));
    // A page with no room still takes a row: the printout always ends.
    EXPECT_EQ(RowsPerPage(3, -5, 0, 10), (std::vector<size_t>{1, 1, 1}));
    EXPECT_EQ(RowsPerPage(2, 100, 100, 0), (std::vector<size_t>{1, 1}));
}

TEST(RecordsTable, LearnerRowsInTheOrderOfTheFile) {
    LearnerHistory history;
    history.state = HistoryState::Ok;
    HistoryRecord good{2, {"EN1", "1", "1", "1", "1", "1", "2026/04/06", "9:00", "2026/04/06", "9:12", "12:34"}};
    HistoryRecord badValues{5, {"EN1", "1", "2", "1", "1", "1", "2026/02/30", "9:00", "", "", "lots"}};
    history.records = {good, badValues};
    history.unreadableRecords = 2;
    history.unreadableLines = {{3, "EN1,1,1,3", ""}, {6, "a,b,c,d,e,f,g,h,i,j,k,l,m", ""}};
    CRecordsTexts texts(false);
    std::vector<LearnerRow> rows = LearnerRows(history, texts);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].line, 2);
    EXPECT_FALSE(rows[0].unreadable);
    EXPECT_EQ(rows[0].note, "");
    EXPECT_EQ(rows[1].line, 3);
    EXPECT_TRUE(rows[1].unreadable);
    EXPECT_EQ(rows[1].note, "unreadable line (4 columns)");
    EXPECT_EQ(rows[1].columns[3], "3");
    EXPECT_EQ(rows[1].columns[4], "");
    EXPECT_EQ(rows[2].line, 5);
    EXPECT_TRUE(rows[2].unreadable);
    EXPECT_EQ(rows[2].note, "unreadable value: start date; unreadable value: total time");
    EXPECT_EQ(rows[3].note, "unreadable line (13 columns)");
    EXPECT_EQ(rows[3].columns[kHistoryColumns - 1], "k,l,m");  // what is beyond stays in the last column
    EXPECT_EQ(LearnerRows(history, CRecordsTexts(true))[2].note, "読めない値: 開始日; 読めない値: 合計時間");
}

TEST(RecordsTexts, ProgressMessagesAndMnemonics) {
    CRecordsTexts english(false);
    CRecordsTexts japanese(true);
    EXPECT_EQ(english.Progress(3, 12), "3 / 12 learners");
    EXPECT_EQ(japanese.Progress(3, 12), "学習者 3 / 12 人");
    EXPECT_EQ(english.NotAnswering("F: (/media/stick)"), "F: (/media/stick) does not answer.");
    EXPECT_EQ(japanese.NotAnswering("F:"), "F: が応答しません。");
    EXPECT_EQ(english.WindowTitle("F:"), "Class Records — F:");
    EXPECT_EQ(japanese.WindowTitle("F:"), "学習記録 — F:");
    EXPECT_EQ(WithoutMnemonic(english.ExportButton()), "Export CSV…");
    EXPECT_EQ(WithoutMnemonic(japanese.ExportButton()), "CSV に書き出す…");
    EXPECT_EQ(WithoutMnemonic(japanese.Cancel()), "キャンセル");
    EXPECT_EQ(WithoutMnemonic("a__b_c"), "a_bc");
    EXPECT_EQ(english.LearnerColumns().size(), kHistoryColumns + 2);
    EXPECT_EQ(japanese.HistoryColumn("total time"), "合計時間");
    EXPECT_EQ(english.HistoryColumn("total time"), "total time");
}

}  // namespace
}  // namespace dorv
