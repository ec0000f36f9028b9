#include <gtest/gtest.h>

#include <ctime>
#include <limits>
#include <optional>

#include "core/system/FileDate.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using std::chrono::seconds;
using TimePoint = FileDate::TimePoint;

TEST(FileDateTest, FileTimesKeepTheirFractionWithinTheLimit) {
    const TimePoint date = FileDate::fromTimespec({1700000000, 250000000});
    EXPECT_EQ(date, TimePoint(seconds(1700000000)) + std::chrono::milliseconds(250));
    EXPECT_EQ(FileDate::fromTimespec({-86400, 0}), TimePoint(seconds(-86400)));
}

TEST(FileDateTest, FarAwayTimesStopAtTheLimit) {
    const TimePoint high{seconds(FileDate::limitSeconds)};
    const TimePoint low{seconds(-FileDate::limitSeconds)};
    EXPECT_EQ(FileDate::fromTimespec({std::numeric_limits<time_t>::max(), 0}), high);
    EXPECT_EQ(FileDate::fromTimespec({std::numeric_limits<time_t>::min(), 0}), low);
    EXPECT_EQ(FileDate::clamped(TimePoint::max()), high);
    EXPECT_EQ(FileDate::clamped(TimePoint::min()), low);
    EXPECT_EQ(FileDate::clamped(TimePoint(seconds(12345))), TimePoint(seconds(12345)));
    // Two clamped dates are always far from overflowing when subtracted.
    EXPECT_EQ(FileDate::clamped(TimePoint::max()) - FileDate::clamped(TimePoint::min()),
              seconds(2 * FileDate::limitSeconds));
}

TEST(FileDateTest, AFileDatedInTheNextCenturyKeepsItsDate) {
    const time_t year2100 = 4'102'444'800;  // 1 January 2100, 00:00 UTC
    EXPECT_EQ(FileDate::fromTimespec({year2100, 0}), TimePoint(seconds(year2100)));
}

TEST(FileDateTest, ShiftingByDaysKeepsTheWallClockAcrossAClockChange) {
    std::optional<testing::ScopedEnv> zone;
    zone.emplace("TZ", std::string("Europe/Berlin"));
    ::tzset();
    // 2024-03-30 12:00:00.5 CET; the clocks go forward in the night after.
    const TimePoint noon = TimePoint(seconds(1711796400)) + std::chrono::milliseconds(500);
    EXPECT_EQ(FileDate::shiftedByDays(noon, 1), noon + std::chrono::hours(23));
    EXPECT_EQ(FileDate::shiftedByDays(noon + std::chrono::hours(23), -1), noon);
    EXPECT_EQ(FileDate::shiftedByDays(noon, -2), noon - std::chrono::hours(48));
    EXPECT_EQ(FileDate::shiftedByDays(noon, 0), noon);
    zone.reset();
    ::tzset();
}

}  // namespace
}  // namespace korvane
