#include <gtest/gtest.h>

#include "app/state/PostScanAlert.h"

namespace korvane {
namespace {

TEST(PostScanAlert, Decision) {
    struct Row {
        const char* name;
        std::int64_t reclaimable;
        std::int64_t freeSpace;
        bool alertsEnabled;
        std::optional<PostScanAlert> expected;
    };
    const PostScanAlert lowSpace{"Only 15 GB free", "Korvane can reclaim 0 KB from your development tools."};
    const PostScanAlert reclaimable{"10 GB is reclaimable",
                                    "Your development tools have built up enough to be worth clearing."};
    const std::vector<Row> rows = {
        {"low space wins even with nothing reclaimable", 0, 15'000'000'000, true, lowSpace},
        {"low space wins over a large total", 10'000'000'000, 15'000'000'000, true,
         PostScanAlert{"Only 15 GB free", "Korvane can reclaim 10 GB from your development tools."}},
        {"free space equal to the threshold is not low", 0, 20'000'000'000, true, std::nullopt},
        {"reclaimable equal to the threshold alerts", 10'000'000'000, 25'000'000'000, true, reclaimable},
        {"one byte short of the threshold", 9'999'999'999, 25'000'000'000, true, std::nullopt},
        {"alerts off", 10'000'000'000, 15'000'000'000, false, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Automation::Schedule schedule;  // 10 GB reclaimable, 20 GB low space
        schedule.alertsEnabled = row.alertsEnabled;
        EXPECT_EQ(PostScanAlert::decide(row.reclaimable, row.freeSpace, schedule), row.expected);
    }
}

TEST(PostScanAlert, HugeOrNegativeThresholdsDoNotWrapAround) {
    Automation::Schedule schedule;
    schedule.lowSpaceAlertGB = std::numeric_limits<std::int64_t>::max();
    schedule.reclaimableAlertGB = std::numeric_limits<std::int64_t>::max();
    // Every disk is below an enormous low-space threshold.
    EXPECT_TRUE(PostScanAlert::decide(0, 500'000'000'000'000, schedule));
    schedule.lowSpaceAlertGB = std::numeric_limits<std::int64_t>::min();
    // No total reaches an enormous reclaimable threshold.
    EXPECT_FALSE(PostScanAlert::decide(std::numeric_limits<std::int64_t>::max() / 2, 0, schedule));
}

}  // namespace
}  // namespace korvane
