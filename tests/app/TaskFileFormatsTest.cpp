#include "app/TaskFileFormats.h"
#include "support/TestEnvironment.h"

#include <ctime>
#include <gtest/gtest.h>

using namespace kelvo;
using namespace kelvo::TaskFileFormats;

namespace {

TDateTime Encode(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    TDateTime value = 0;
    EXPECT_TRUE(TryEncodeDateTime({y, mo, d, h, mi, s, ms}, value));
    return value;
}

} // namespace

TEST(TaskFileFormatsTest, DaysCountFromTheLastDaysOf1899) {
    EXPECT_EQ(Encode(1899, 12, 30), 0.0);
    EXPECT_EQ(Encode(1900, 1, 1), 2.0);
    EXPECT_EQ(Encode(2000, 1, 1), 36526.0);
    EXPECT_DOUBLE_EQ(Encode(2000, 1, 1, 18), 36526.75);
    EXPECT_DOUBLE_EQ(Encode(1899, 12, 29, 6), -1.25); // the fraction counts forward
    const DateTimeParts p = DecodeDateTime(-1.25);
    EXPECT_EQ(p.day, 29);
    EXPECT_EQ(p.hour, 6);
    TDateTime ignored;
    EXPECT_FALSE(TryEncodeDateTime({2023, 2, 29}, ignored));
    EXPECT_TRUE(TryEncodeDateTime({2024, 2, 29}, ignored));
    EXPECT_FALSE(TryEncodeDateTime({2024, 1, 1, 24}, ignored));
}

TEST(TaskFileFormatsTest, DecodingRoundTripsToTheMillisecond) {
    for (TDateTime value : {Encode(2026, 12, 11, 23, 59, 59, 999), Encode(1970, 1, 1, 0, 0, 0, 1),
                            Encode(1601, 3, 1, 12, 30), Encode(9999, 12, 31, 23, 59, 59)}) {
        const DateTimeParts p = DecodeDateTime(value);
        TDateTime again = 0;
        ASSERT_TRUE(TryEncodeDateTime(p, again));
        EXPECT_DOUBLE_EQ(again, value);
    }
}

TEST(TaskFileFormatsTest, ConvertsThroughTheLocalTimeZone) {
    test::ScopedEnv zone("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    ::tzset();
    // 2026-07-01 10:00:00 UTC is noon in summer time.
    const SystemTime summer =
        std::chrono::sys_days{std::chrono::year{2026} / 7 / 1} + std::chrono::hours(10);
    EXPECT_EQ(FormatDateTime(DateTimeFromSystem(summer)), "01/07/2026 12:00:00");
    EXPECT_EQ(SystemFromDateTime(DateTimeFromSystem(summer)), summer);
    const SystemTime winter = std::chrono::sys_days{std::chrono::year{2026} / 1 / 15} +
                              std::chrono::hours(23) + std::chrono::milliseconds(250);
    EXPECT_EQ(FormatDateTime(DateTimeFromSystem(winter)), "16/01/2026"); // midnight: no time
    EXPECT_EQ(SystemFromDateTime(DateTimeFromSystem(winter)), winter);
}

TEST(TaskFileFormatsTest, WritesNumbersInTheShortestGeneralForm) {
    const std::pair<double, const char*> cases[] = {
        {0, "0"},
        {1, "1"},
        {-2.5, "-2.5"},
        {0.1, "0.1"},
        {45678.541666666664, "45678.5416666667"},
        {1.0 / 3, "0.333333333333333"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E15"},
        {1e20, "1E20"},
        {0.00001, "0.00001"},
        {0.000001234, "1.234E-6"},
        {12345.678, "12345.678"},
        {99999999999999.99, "100000000000000"}, // 16 digits round to 15
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FormatNumber(value), text) << value;
    for (const auto& [value, text] : cases)
        EXPECT_NEAR(*ParseNumber(text), value, std::abs(value) * 1e-14);
    EXPECT_FALSE(ParseNumber("1,5"));
    EXPECT_FALSE(ParseNumber("nan"));
    EXPECT_FALSE(ParseNumber("-inf"));
    EXPECT_EQ(FormatDate(1e300), "30/12/1899"); // beyond any calendar: the zero date
    EXPECT_FALSE(ParseNumber(""));
}

TEST(TaskFileFormatsTest, ParsesDatesInEitherOrderAndTimes) {
    EXPECT_EQ(ParseDate("11/12/2026", DateOrder::DayMonthYear), Encode(2026, 12, 11));
    EXPECT_EQ(ParseDate("12/11/2026", DateOrder::MonthDayYear), Encode(2026, 12, 11));
    EXPECT_EQ(ParseDate("1/2/26", DateOrder::DayMonthYear), Encode(2026, 2, 1));
    EXPECT_EQ(ParseDate("1/2/99", DateOrder::DayMonthYear), Encode(1999, 2, 1));
    EXPECT_FALSE(ParseDate("31/02/2026", DateOrder::DayMonthYear));
    EXPECT_FALSE(ParseDate("13/13/2026", DateOrder::MonthDayYear));
    EXPECT_FALSE(ParseDate("2026-12-11", DateOrder::DayMonthYear));
    EXPECT_FALSE(ParseDate("11/12", DateOrder::DayMonthYear));
    EXPECT_DOUBLE_EQ(*ParseTime("18:00"), 0.75);
    EXPECT_DOUBLE_EQ(*ParseTime("06:00:30"), (6 * 3600 + 30) / 86400.0);
    EXPECT_FALSE(ParseTime("24:00"));
    EXPECT_FALSE(ParseTime("12:60"));
    EXPECT_FALSE(ParseTime("noon"));
    const TDateTime moment = Encode(2026, 3, 5, 7, 8, 9);
    EXPECT_EQ(FormatDate(moment), "05/03/2026");
    EXPECT_EQ(FormatShortTime(moment), "07:08");
    EXPECT_EQ(FormatLongTime(moment), "07:08:09");
}
