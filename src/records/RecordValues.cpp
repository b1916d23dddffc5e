#include "records/RecordValues.h"

#include <algorithm>
#include <cstdio>

#include "common/TextEncoding.h"

namespace dorv {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The value of one to `maxDigits` decimal digits and nothing else. The limit
// keeps every sum of many values far from overflowing.
std::optional<long long> Number(std::string_view text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Minutes or seconds after a colon: exactly two digits, below 60.
std::optional<long long> Sixtieths(std::string_view text) {
    if (text.size() != 2) return std::nullopt;
    std::optional<long long> value = Number(text, 2);
    if (!value || *value >= 60) return std::nullopt;
    return value;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

struct Date {
    int year;
    int month;
    int day;
};

// The inverse of DayFromDate (the proleptic Gregorian calendar, counted in
// eras of 400 years).
Date DateFromDay(CivilDay civil) {
    long long z = static_cast<long long>(civil) + 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long dayOfEra = z - era * 146097;
    long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    long long shifted = (5 * dayOfYear + 2) / 153;  // the month counted from March
    int day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    int month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

}  // namespace

std::optional<long long> ParseDuration(std::string_view text) {
    text = Trimmed(text);
    size_t first = text.find(':');
    if (first == std::string_view::npos) return Number(text, 10);
    size_t second = text.find(':', first + 1);
    if (second == std::string_view::npos) {
        std::optional<long long> minutes = Number(text.substr(0, first), 8);
        std::optional<long long> seconds = Sixtieths(text.substr(first + 1));
        if (!minutes || !seconds) return std::nullopt;
        return *minutes * 60 + *seconds;
    }
    std::optional<long long> hours = Number(text.substr(0, first), 7);
    std::optional<long long> minutes = Sixtieths(text.substr(first + 1, second - first - 1));
    std::optional<long long> seconds = Sixtieths(text.substr(second + 1));
    if (!hours || !minutes || !seconds) return std::nullopt;
    return *hours * 3600 + *minutes * 60 + *seconds;
}

std::optional<CivilDay> ParseDay(std::string_view text) {
    text = Trimmed(text);
    if (text.size() < 8 || text.size() > 10) return std::nullopt;
    char separator = text[4];
    if (separator != '/' && separator != '-') return std::nullopt;
    size_t second = text.find(separator, 5);
    if (second == std::string_view::npos) return std::nullopt;
    std::string_view monthText = text.substr(5, second - 5);
    std::string_view dayText = text.substr(second + 1);
    if (monthText.size() > 2 || dayText.size() > 2) return std::nullopt;
    std::optional<long long> year = Number(text.substr(0, 4), 4);
    std::optional<long long> month = Number(monthText, 2);
    std::optional<long long> day = Number(dayText, 2);
    if (!year || !month || !day || *year == 0 || *month < 1 || *month > 12) return std::nullopt;
    if (*day < 1 || *day > DaysInMonth(static_cast<int>(*year), static_cast<int>(*month))) return std::nullopt;
    return DayFromDate(static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day));
}

CivilDay DayFromDate(int year, int month, int day) {
    long long y = month <= 2 ? year - 1 : year;
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yearOfEra = y - era * 400;
    long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<CivilDay>(era * 146097 + dayOfEra - 719468);
}

std::string FormatDuration(long long seconds) {
    if (seconds < 0) seconds = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

std::string FormatDay(CivilDay day) {
    Date date = DateFromDay(day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

CivilDay WeekOf(CivilDay day) {
    // 1970-01-01 was a Thursday, the fourth day of its week.
    int weekday = ((day + 3) % 7 + 7) % 7;
    return day - weekday;
}

std::string HostTextToUtf8(std::string_view bytes) {
    bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii ? std::string(bytes) : Cp932ToUtf8Lenient(bytes);
}

std::string FormatLocalMinute(std::time_t moment) {
    std::tm local{};
    if (!localtime_r(&moment, &local)) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_hour, local.tm_min);
    return text;
}

}  // namespace dorv
