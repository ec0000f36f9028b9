#include <gtest/gtest.h>

#include "app/state/PostScanAlert.h"

namespace korvane {
namespace {

constexpr std::int64_t huge = std::numeric_limits<std::int64_t>::max();

TEST(PostScanAlert, Decision) {
    struct Row {
        const char* name;
        std::int64_t reclaimable, freeSpace;
        bool alertsEnabled;
        std::optional<PostScanAlert> expected;
        std::int64_t reclaimableGB = 10, lowSpaceGB = 20;
    };
    const PostScanAlert reclaimable{"10 GB is reclaimable",
                                    "Your development tools have built up enough to be worth clearing."};
    const std::vector<Row> rows = {
        {"low space wins even with nothing reclaimable", 0, 15'000'000'000, true,
         PostScanAlert{"Only 15 GB free", "Korvane can reclaim 0 KB from your development tools."}},
        {"low space wins over a large total", 10'000'000'000, 15'000'000'000, true,
         PostScanAlert{"Only 15 GB free", "Korvane can reclaim 10 GB from your development tools."}},
        {"free space equal to the threshold is not low", 0, 20'000'000'000, true, std::nullopt},
        {"reclaimable equal to the threshold alerts", 10'000'000'000, 25'000'000'000, true, reclaimable},
        {"one byte short of the threshold", 9'999'999'999, 25'000'000'000, true, std::nullopt},
        {"alerts off", 10'000'000'000, 15'000'000'000, false, std::nullopt},
        // Thresholds in GB must not wrap around when turned into bytes.
        {"every disk is below an enormous low-space threshold", 0, 500'000'000'000'000, true,
         PostScanAlert{"Only 500 TB free", "Korvane can reclaim 0 KB from your development tools."}, huge,
         huge},
        {"no total reaches an enormous reclaimable threshold", huge / 2, 0, true, std::nullopt, huge,
         std::numeric_limits<std::int64_t>::min()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Automation::Schedule schedule;
        schedule.alertsEnabled = row.alertsEnabled;
        schedule.reclaimableAlertGB = row.reclaimableGB;
        schedule.lowSpaceAlertGB = row.lowSpaceGB;
        EXPECT_EQ(PostScanAlert::decide(row.reclaimable, row.freeSpace, schedule), row.expected);
    }
}

}  // namespace
}  // namespace korvane
