#include "records/RecordsChart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace dorv {
namespace {

constexpr int kDaysInWeek = 7;
constexpr size_t kMaxAxisLines = 5;
constexpr double kSecondsPerHour = 3600.0;
// Labels keep a fifth of their width free between them.
constexpr double kLabelGap = 1.2;

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
};

Date DateOf(CivilDay day) {
    Date date;
    std::sscanf(FormatDay(day).c_str(), "%d-%d-%d", &date.year, &date.month, &date.day);
    return date;
}

}  // namespace

WeeklyChart BuildWeeklyChart(const std::map<CivilDay, long long>& classWeekly,
                             const std::map<CivilDay, long long>* learner) {
    WeeklyChart chart;
    chart.hasLearner = learner != nullptr;
    long long most = 0;
    if (!classWeekly.empty()) {
        CivilDay last = classWeekly.rbegin()->first;
        CivilDay first = classWeekly.begin()->first;
        CivilDay earliestShown = last - static_cast<CivilDay>((kMaxChartWeeks - 1) * kDaysInWeek);
        if (first < earliestShown) {
            for (auto it = classWeekly.begin(); it != classWeekly.end() && it->first < earliestShown; ++it) {
                ++chart.weeksLeftOut;
            }
            first = earliestShown;
        }
        for (CivilDay week = first; week <= last; week += kDaysInWeek) {
            ChartWeek& shown = chart.weeks.emplace_back();
            shown.week = week;
            if (auto found = classWeekly.find(week); found != classWeekly.end()) shown.classSeconds = found->second;
            if (learner) {
                if (auto found = learner->find(week); found != learner->end()) shown.learnerSeconds = found->second;
            }
            most = std::max({most, shown.classSeconds, shown.learnerSeconds});
        }
    }
    double maxHours = static_cast<double>(most) / kSecondsPerHour;
    chart.stepHours = HourStep(maxHours);
    chart.topHours = std::max(1.0, std::ceil(maxHours / chart.stepHours - 1e-9)) * chart.stepHours;
    return chart;
}

double HourStep(double maxHours) {
    if (!(maxHours > 0)) return 1;
    for (double scale = 1;; scale *= 10) {
        for (double base : {0.25, 0.5, 1.0, 2.0, 5.0}) {
            if (scale > 1 && base < 1) continue;
            double step = base * scale;
            if (std::ceil(maxHours / step - 1e-9) <= static_cast<double>(kMaxAxisLines)) return step;
        }
    }
}

std::string HoursText(double hours) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", hours);
    std::string shown = text;
    while (shown.back() == '0') shown.pop_back();
    if (shown.back() == '.') shown.pop_back();
    return shown;
}

std::string WeekLabel(CivilDay week, std::optional<CivilDay> previousLabelled) {
    Date date = DateOf(week);
    std::string label = std::to_string(date.month) + "/" + std::to_string(date.day);
    if (!previousLabelled || DateOf(*previousLabelled).year != date.year) {
        label = std::to_string(date.year) + "/" + label;
    }
    return label;
}

size_t WeekLabelStride(size_t weeks, double axisWidth, double labelWidth) {
    if (weeks == 0 || !(axisWidth > 0)) return 1;
    double perWeek = axisWidth / static_cast<double>(weeks);
    for (size_t stride : {1, 2, 4, 13, 26}) {
        if (perWeek * static_cast<double>(stride) >= labelWidth * kLabelGap) return stride;
    }
    size_t years = static_cast<size_t>(std::ceil(labelWidth * kLabelGap / (perWeek * 52)));
    return 52 * std::max<size_t>(years, 1);
}

std::string ChartSummary(const WeeklyChart& chart, const std::string& learnerName, bool japanese) {
    long long total = 0;
    long long learnerTotal = 0;
    size_t learnerWeeks = 0;
    const ChartWeek* most = nullptr;
    for (const ChartWeek& week : chart.weeks) {
        total += week.classSeconds;
        learnerTotal += week.learnerSeconds;
        if (week.learnerSeconds > 0) ++learnerWeeks;
        if (!most || week.classSeconds > most->classSeconds) most = &week;
    }
    if (chart.weeks.empty() || total == 0) {
        return japanese ? "学習時間の記録はありません。" : "No study time recorded.";
    }
    std::string weeks = std::to_string(chart.weeks.size());
    std::string from = FormatDay(chart.weeks.front().week);
    std::string to = FormatDay(chart.weeks.back().week);
    std::string text;
    if (japanese) {
        text = "週ごとの学習時間、" + from + " の週から " + to + " の週まで " + weeks + " 週。クラス全体で " +
               FormatDuration(total) + "、最も多いのは " + FormatDay(most->week) + " の週の " +
               FormatDuration(most->classSeconds) + "。";
        if (chart.hasLearner) {
            text +=
                learnerName + " は " + std::to_string(learnerWeeks) + " 週で " + FormatDuration(learnerTotal) + "。";
        }
        if (chart.weeksLeftOut)
            text += "これより前の " + std::to_string(chart.weeksLeftOut) + " 週は表示していません。";
    } else {
        text = "Study time per week, " + weeks + " weeks from the week of " + from + " to the week of " + to +
               ". The class studied " + FormatDuration(total) + " in all, the most in the week of " +
               FormatDay(most->week) + ": " + FormatDuration(most->classSeconds) + ".";
        if (chart.hasLearner) {
            text += " " + learnerName + ": " + FormatDuration(learnerTotal) + " in " + std::to_string(learnerWeeks) +
                    " weeks.";
        }
        if (chart.weeksLeftOut) {
            text += " " + std::to_string(chart.weeksLeftOut) + " earlier weeks with study time are not shown.";
        }
    }
    return text;
}

}  // namespace dorv
