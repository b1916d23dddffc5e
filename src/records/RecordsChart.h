// The chart of study time per week: which weeks it shows, how high its hour
// axis goes and where its lines and labels are, and the text that tells a
// screen reader what it shows. Drawing it is the window's business.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "records/RecordValues.h"

namespace dorv {

// The most weeks the chart shows: the last ones, about five years.
constexpr size_t kMaxChartWeeks = 260;

struct ChartWeek {
    CivilDay week = 0;  // its Monday
    long long classSeconds = 0;
    long long learnerSeconds = 0;
};

struct WeeklyChart {
    // Every week from the first week studied to the last, those without
    // study time too, so that the axis runs evenly.
    std::vector<ChartWeek> weeks;
    size_t weeksLeftOut = 0;  // earlier weeks with study time beyond kMaxChartWeeks
    bool hasLearner = false;  // a learner's weeks are the second series
    double topHours = 0;      // the hour axis runs from 0 to here
    double stepHours = 0;     // between two of its lines
};

// The chart of the class's weeks, with a learner's as the second series
// when `learner` is given.
WeeklyChart BuildWeeklyChart(const std::map<CivilDay, long long>& classWeekly,
                             const std::map<CivilDay, long long>* learner);

// A step for the hour axis that gives it at most five lines above zero:
// 0.25, 0.5, 1, 2 or 5 times a power of ten hours.
double HourStep(double maxHours);

// Hours as the axis writes them: "0", "0.5", "12", "1.25".
std::string HoursText(double hours);

// The label of a week under its bar: "4/6"; the year is added to the first
// label and where the year changes from the label before ("2026/4/6").
std::string WeekLabel(CivilDay week, std::optional<CivilDay> previousLabelled);

// How many weeks apart the labels are so that labels `labelWidth` wide do
// not run into each other on an axis `axisWidth` wide: 1, 2, 4, 13, 26 or
// a multiple of 52.
size_t WeekLabelStride(size_t weeks, double axisWidth, double labelWidth);

// What the chart shows, for a screen reader and the chart's tooltip: the
// weeks, the week with the most study time, the class's total and, with a
// learner, the learner's.
std::string ChartSummary(const WeeklyChart& chart, const std::string& learnerName, bool japanese);

}  // namespace dorv
