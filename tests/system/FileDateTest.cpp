#include "core/system/FileDate.h"

#include <gtest/gtest.h>

#include <limits>

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

}  // namespace
}  // namespace korvane
