#include <gtest/gtest.h>

#include "app/state/MonthRecord.h"

namespace korvane {
namespace {

TEST(MonthRecordTest, KeysBecomeYearAndMonthInKeyOrder) {
    EXPECT_TRUE(monthRecords({}).empty());
    const std::vector<MonthRecord> expected{
        {"--7-", 7, 1, 9},  // empty pieces dropped
        {"2023-12", 2023, 12, 5},   {"2024-7", 2024, 7, 1'000'000'000'000},
        {"2024-x", 2024, 1, 3},      // a month that is no number
        {"99999999999-1", 0, 1, 6},  // out of range
        {"abc-def", 0, 1, 2},        // neither piece a number
        {"solo", 0, 1, 4},           // no second piece
    };
    std::map<std::string, std::int64_t> input;
    for (const auto& record : expected) input[record.key] = record.bytes;
    EXPECT_EQ(monthRecords(input), expected);
}

}  // namespace
}  // namespace korvane
