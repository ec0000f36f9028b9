#include "core/text/AbbreviatedDate.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <ctime>
#include <optional>

namespace korvane {
namespace {

using TimePoint = std::chrono::system_clock::time_point;

class AbbreviatedDateTest : public ::testing::Test {
protected:
    void SetUp() override {
        zone.emplace("TZ", std::string("Europe/Berlin"));
        ::tzset();
    }
    void TearDown() override {
        zone.reset();
        ::tzset();
    }

    static TimePoint local(int year, int month, int day, int hour, int minute) {
        std::tm tm{};
        tm.tm_year = year - 1900;
        tm.tm_mon = month - 1;
        tm.tm_mday = day;
        tm.tm_hour = hour;
        tm.tm_min = minute;
        tm.tm_isdst = -1;
        return std::chrono::system_clock::from_time_t(std::mktime(&tm));
    }

    std::optional<testing::ScopedEnv> zone;
};

TEST_F(AbbreviatedDateTest, WritesMonthDayAndYearAndTwelveHourTimes) {
    struct Case {
        TimePoint date;
        const char* day;
        const char* withTime;
    };
    const Case cases[] = {
        {local(2025, 2, 3, 16, 5), "Feb 3, 2025", "Feb 3, 2025 at 4:05 PM"},
        {local(2024, 12, 31, 0, 0), "Dec 31, 2024", "Dec 31, 2024 at 12:00 AM"},
        {local(2024, 7, 14, 12, 30), "Jul 14, 2024", "Jul 14, 2024 at 12:30 PM"},
        {local(2023, 1, 1, 11, 59), "Jan 1, 2023", "Jan 1, 2023 at 11:59 AM"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AbbreviatedDate::string(c.date), c.day);
        EXPECT_EQ(AbbreviatedDate::withTime(c.date), c.withTime);
    }
}

TEST_F(AbbreviatedDateTest, UsesTheLocalCalendarDay) {
    // 23:30 UTC on 3 March is already 4 March in Berlin.
    const TimePoint late = std::chrono::system_clock::from_time_t(1741044600);
    EXPECT_EQ(AbbreviatedDate::withTime(late), "Mar 4, 2025 at 12:30 AM");
}

TEST_F(AbbreviatedDateTest, FarDatesStayWithinTheCalendarsRange) {
    EXPECT_EQ(AbbreviatedDate::withTime(TimePoint::max()), "Aug 7, 2112 at 10:00 AM");
    EXPECT_EQ(AbbreviatedDate::string(TimePoint::min()), "May 27, 1827");
}

}  // namespace
}  // namespace korvane
