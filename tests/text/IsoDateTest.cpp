#include "core/text/IsoDate.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

using namespace std::chrono;

system_clock::time_point at(std::int64_t seconds) { return system_clock::time_point{} + std::chrono::seconds{seconds}; }

TEST(IsoDateTest, FormatsUtcWholeSeconds) {
    EXPECT_EQ(IsoDate::format(at(0)), "1970-01-01T00:00:00Z");
    EXPECT_EQ(IsoDate::format(at(1709993100)), "2024-03-09T14:05:00Z");
    EXPECT_EQ(IsoDate::format(at(1709993100) + milliseconds(999)), "2024-03-09T14:05:00Z");
    EXPECT_EQ(IsoDate::format(at(-1)), "1969-12-31T23:59:59Z");
}

TEST(IsoDateTest, ParsesFractionsAndOffsets) {
    EXPECT_EQ(IsoDate::parse("2024-03-09T14:05:00Z"), at(1709993100));
    EXPECT_EQ(IsoDate::parse("2024-03-09T14:05:00.250Z"), at(1709993100) + milliseconds(250));
    EXPECT_EQ(IsoDate::parse("2024-03-09T14:05:00.123456789012Z"), at(1709993100) + nanoseconds(123456789));
    EXPECT_EQ(IsoDate::parse("2024-03-09T15:05:00+01:00"), at(1709993100));
    EXPECT_EQ(IsoDate::parse("2024-03-09T09:35:00-0430"), at(1709993100));
    EXPECT_EQ(IsoDate::parse(IsoDate::format(at(951782400))), at(951782400));  // 2000-02-29
}

TEST(IsoDateTest, RefusesMalformedDates) {
    for (const char* text : {"", "2024-03-09", "2024-03-09T14:05:00", "2024-03-09 14:05:00Z", "2024-02-30T00:00:00Z",
                             "2023-02-29T00:00:00Z", "2024-13-01T00:00:00Z", "2024-03-09T24:00:00Z",
                             "2024-03-09T14:60:00Z", "2024-03-09T14:05:00.Z", "2024-03-09T14:05:00ZZ",
                             "2024-3-09T14:05:00Z", "yesterday", "9999-01-01T00:00:00Z", "1000-01-01T00:00:00Z"})
        EXPECT_FALSE(IsoDate::parse(text)) << text;
}

}  // namespace
}  // namespace korvane
