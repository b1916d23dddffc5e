// The values of the history's records as the course pages write them: total
// times ("754", "0:12:34", "12:34") and dates ("2026/04/01", "2026-4-1"), and
// how the class records show them again.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace dorv {

// A civil day: the number of days since 1970-01-01 (earlier days are
// negative).
using CivilDay = int;

// A total time in whole seconds: "754" (seconds), "0:12:34" (h:mm:ss, the
// hours any number) or "12:34" (m:ss), with spaces or tabs around it.
// Minutes and seconds after a colon are two digits below 60. Nothing for
// anything else (a sign, a fraction, an empty text).
std::optional<long long> ParseDuration(std::string_view text);

// A date "YYYY/MM/DD" or "YYYY-MM-DD", month and day with one digit or two
// ("2026/4/1"), the same separator twice, with spaces or tabs around it.
// Nothing for a day that is not in the calendar (2026/02/29, 2026/13/01).
std::optional<CivilDay> ParseDay(std::string_view text);

// The civil day of a year, month (1 to 12) and day of the month.
CivilDay DayFromDate(int year, int month, int day);

// "h:mm:ss", the hours as many digits as they take ("0:00:00", "123:04:05").
std::string FormatDuration(long long seconds);

// "YYYY-MM-DD".
std::string FormatDay(CivilDay day);

// The Monday that starts the week of `day`.
CivilDay WeekOf(CivilDay day);

// Host text (code page 932, as the pages and the learners' folder names
// are written) as UTF-8, never failing (see Cp932ToUtf8Lenient). ASCII,
// which most of the records are, is taken as it is without a conversion.
std::string HostTextToUtf8(std::string_view bytes);

// A moment in the local time zone as "YYYY-MM-DD HH:MM".
std::string FormatLocalMinute(std::time_t moment);

}  // namespace dorv
