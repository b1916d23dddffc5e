// The values of history records: total times and dates in the forms the
// course pages write, and how the records show them.
#include "records/RecordValues.h"

#include <gtest/gtest.h>

#include "records/ClassRecords.h"
#include "records/CsvFile.h"

namespace dorv {
namespace {

TEST(RecordValues, TotalTimesInEachForm) {
    EXPECT_EQ(ParseDuration("754"), 754);
    EXPECT_EQ(ParseDuration("0"), 0);
    EXPECT_EQ(ParseDuration("0:12:34"), 754);
    EXPECT_EQ(ParseDuration("12:34"), 754);
    EXPECT_EQ(ParseDuration("75:00"), 4500);  // minutes beyond an hour
    EXPECT_EQ(ParseDuration("123:04:05"), 123 * 3600 + 4 * 60 + 5);
    EXPECT_EQ(ParseDuration(" \t0:12:34 "), 754);
    EXPECT_EQ(ParseDuration("9999999999"), 9999999999LL);
}

TEST(RecordValues, TotalTimesThatAreNone) {
    for (const char* garbage : {"", " ", "-5", "+5", "1.5", "12:3", "12:60", "1:60:00", "1:2:3", "1:02:03:04", ":30",
                                "12:", "abc", "12:34 x", "1 2", "0x10", "99999999999", "\xef\xbc\x91\xef\xbc\x92"}) {
        EXPECT_FALSE(ParseDuration(garbage)) << garbage;
    }
}

TEST(RecordValues, DatesInEachForm) {
    CivilDay april1 = DayFromDate(2026, 4, 1);
    for (const char* form : {"2026/04/01", "2026-04-01", "2026/4/1", "2026-4-1", "2026/4/01", " 2026/04/01\t"}) {
        EXPECT_EQ(ParseDay(form), april1) << form;
    }
    EXPECT_EQ(ParseDay("2024/02/29"), DayFromDate(2024, 2, 29));
    EXPECT_EQ(ParseDay("2000-2-29"), DayFromDate(2000, 2, 29));
    EXPECT_EQ(DayFromDate(1970, 1, 1), 0);
    EXPECT_EQ(DayFromDate(2000, 3, 1), 11017);
    EXPECT_EQ(DayFromDate(1969, 12, 31), -1);
}

TEST(RecordValues, DatesThatAreNone) {
    for (const char* garbage :
         {"2026/02/29", "1900/02/29", "2026/13/01", "2026/00/10", "2026/04/31", "2026/04/00", "2026/04-01", "26/04/01",
          "2026/004/01", "2026.04.01", "20260401", "", "2026/4/", "0000/01/01", "2026/04/01 9:00", "２０２６/04/01"}) {
        EXPECT_FALSE(ParseDay(garbage)) << garbage;
    }
}

TEST(RecordValues, DaysAndTimesShown) {
    EXPECT_EQ(FormatDuration(0), "0:00:00");
    EXPECT_EQ(FormatDuration(754), "0:12:34");
    EXPECT_EQ(FormatDuration(100 * 3600 + 65), "100:01:05");
    EXPECT_EQ(FormatDay(0), "1970-01-01");
    EXPECT_EQ(FormatDay(DayFromDate(2024, 2, 29)), "2024-02-29");
    // Every shown day reads back as itself, across centuries and leap years.
    for (CivilDay day = -200000; day < 200000; day += 13) ASSERT_EQ(ParseDay(FormatDay(day)), day) << day;
}

TEST(RecordValues, WeeksStartOnMonday) {
    CivilDay monday = DayFromDate(2026, 3, 30);
    EXPECT_EQ(WeekOf(monday), monday);
    EXPECT_EQ(WeekOf(DayFromDate(2026, 4, 1)), monday);  // a Wednesday
    EXPECT_EQ(WeekOf(DayFromDate(2026, 4, 5)), monday);  // the Sunday after
    EXPECT_EQ(WeekOf(DayFromDate(2026, 4, 6)), DayFromDate(2026, 4, 6));
    EXPECT_EQ(WeekOf(0), DayFromDate(1969, 12, 29));  // before 1970 as after
    EXPECT_EQ(WeekOf(-1), DayFromDate(1969, 12, 29));
}

TEST(RecordValues, LecturesByNumberThenText) {
    std::vector<std::string> lectures = {"B", "10", "2", "A", "02", "1"};
    std::sort(lectures.begin(), lectures.end(), LectureLess);
    EXPECT_EQ(lectures, (std::vector<std::string>{"1", "02", "2", "10", "A", "B"}));
    std::vector<std::string> names = {"student10", "student2", "Aoki", "student02b", "太郎"};
    std::sort(names.begin(), names.end(), NameLess);
    EXPECT_EQ(names, (std::vector<std::string>{"Aoki", "student2", "student02b", "student10", "太郎"}));
}

TEST(RecordValues, FieldsForSpreadsheets) {
    EXPECT_EQ(CsvField("plain"), "plain");
    EXPECT_EQ(CsvField("Sato, \"Jr\""), "\"Sato, \"\"Jr\"\"\"");
    EXPECT_EQ(CsvField("two\r\nlines"), "\"two\r\nlines\"");
    EXPECT_EQ(SpreadsheetText("=HYPERLINK(\"x\")"), "'=HYPERLINK(\"x\")");
    EXPECT_EQ(SpreadsheetText("@SUM(A1)"), "'@SUM(A1)");
    EXPECT_EQ(SpreadsheetText("+1+2"), "'+1+2");
    EXPECT_EQ(SpreadsheetText("-12.5"), "-12.5");  // a number stays a number
    EXPECT_EQ(SpreadsheetText("2026-04-01"), "2026-04-01");
    EXPECT_EQ(SpreadsheetText("太郎"), "太郎");
}

}  // namespace
}  // namespace dorv
