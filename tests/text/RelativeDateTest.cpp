#include "core/text/RelativeDate.h"

#include "tests/support/LocalTimeFixture.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <ctime>

namespace korvane {
namespace {

using testing::ScopedEnv;
using TimePoint = std::chrono::system_clock::time_point;
using std::chrono::hours;

class LocalTimeTest : public testing::LocalTimeFixture {};

TEST_F(LocalTimeTest, RelativeActivityWordsTheLargestWholeUnit) {
    const auto now = local(2024, 6, 15, 12);
    EXPECT_EQ(RelativeDate::string(std::nullopt, now), "Unknown");
    EXPECT_EQ(RelativeDate::string(now, now), "Now");
    EXPECT_EQ(RelativeDate::string(now - std::chrono::seconds(42), now), "42 seconds ago");
    EXPECT_EQ(RelativeDate::string(now - std::chrono::minutes(1), now), "1 minute ago");
    EXPECT_EQ(RelativeDate::string(now - hours(5), now), "5 hours ago");
    EXPECT_EQ(RelativeDate::string(local(2024, 6, 14, 12), now), "Yesterday");
    EXPECT_EQ(RelativeDate::string(local(2024, 6, 14, 13), now), "23 hours ago");
    EXPECT_EQ(RelativeDate::string(local(2024, 6, 12, 9), now), "3 days ago");
    EXPECT_EQ(RelativeDate::string(local(2024, 6, 8, 12), now), "Last week");
    EXPECT_EQ(RelativeDate::string(local(2024, 6, 1, 12), now), "2 weeks ago");
    EXPECT_EQ(RelativeDate::string(local(2024, 5, 15, 12), now), "Last month");
    EXPECT_EQ(RelativeDate::string(local(2024, 3, 1, 12), now), "3 months ago");
    EXPECT_EQ(RelativeDate::string(local(2023, 6, 15, 12), now), "Last year");
    EXPECT_EQ(RelativeDate::string(local(2021, 1, 1, 0), now), "3 years ago");
    EXPECT_EQ(RelativeDate::string(local(2024, 6, 18, 12), now), "In 3 days");
    EXPECT_EQ(RelativeDate::string(local(2024, 6, 16, 12), now), "Tomorrow");
    EXPECT_EQ(RelativeDate::string(now + hours(2), now), "In 2 hours");
}

TEST_F(LocalTimeTest, FullDaysCountWallClockDaysAcrossDaylightSaving) {
    const auto before = local(2024, 3, 9, 12);  // the clocks go forward on the night to 10 March
    EXPECT_EQ(RelativeDate::fullDaysBetween(before, local(2024, 3, 10, 11, 30)), 0);
    EXPECT_EQ(RelativeDate::fullDaysBetween(before, local(2024, 3, 10, 12)), 1);  // only 23 hours later
    EXPECT_EQ(RelativeDate::fullDaysBetween(before, before), 0);
    EXPECT_EQ(RelativeDate::fullDaysBetween(before, before + hours(24 * 60)), 60);
    EXPECT_EQ(RelativeDate::fullDaysBetween(before, before - hours(24 * 3)), -3);
    EXPECT_EQ(RelativeDate::fullDaysBetween(before, before - hours(47)), -1);
}

TEST_F(LocalTimeTest, FarAwayDatesAreWordedWithoutOverflow) {
    const auto now = local(2024, 6, 15, 12);
    const auto farPast = TimePoint::min() + hours(1);
    const auto farFuture = TimePoint::max() - hours(1);
    EXPECT_EQ(RelativeDate::string(std::chrono::system_clock::from_time_t(0) - hours(24 * 366), now), "55 years ago");
    EXPECT_EQ(RelativeDate::string(farPast, now), "In 1827 or earlier");
    EXPECT_EQ(RelativeDate::string(farFuture, now), "In 2112 or later");
    EXPECT_GT(RelativeDate::fullDaysBetween(farPast, now), 40000);
    EXPECT_LT(RelativeDate::fullDaysBetween(farFuture, now), -20000);
}

TEST_F(LocalTimeTest, TheEndsOfTheRangeAreWholeYearsApart) {
    const TimePoint first{std::chrono::seconds(-RelativeDate::limitSeconds)};
    const TimePoint last{std::chrono::seconds(RelativeDate::limitSeconds)};
    EXPECT_EQ(RelativeDate::clamped(TimePoint::min()), first);
    EXPECT_EQ(RelativeDate::clamped(TimePoint::max()), last);
    EXPECT_EQ(RelativeDate::string(first + hours(1), last - hours(1)), "285 years ago");
    EXPECT_EQ(RelativeDate::string(last - hours(1), first + hours(1)), "In 285 years");
    EXPECT_GT(RelativeDate::fullDaysBetween(first, last), 92000);
}

}  // namespace
}  // namespace korvane
