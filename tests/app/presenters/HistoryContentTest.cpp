#include <gtest/gtest.h>

#include <ctime>
#include <optional>

#include "app/presenters/HistoryContent.h"
#include "core/text/ByteFormat.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using TimePoint = std::chrono::system_clock::time_point;
using Status = CleanupOutcome::Status;

class HistoryContentTest : public ::testing::Test {
protected:
    void SetUp() override {
        zone.emplace("TZ", std::string("UTC"));
        ::tzset();
    }
    void TearDown() override {
        zone.reset();
        ::tzset();
    }

    // 2025-02-03 16:05 UTC plus whole days.
    static TimePoint day(int offset) {
        return std::chrono::system_clock::from_time_t(1738598700) + std::chrono::hours(24 * offset);
    }
    static HistoryStore::Snapshot snapshot(int offset, std::int64_t storage) {
        return {day(offset), storage, 0, 0, {}};
    }
    static CleanupReport report(int offset, std::vector<Status> statuses) {
        std::vector<CleanupOutcome> outcomes;
        for (Status status : statuses)
            outcomes.emplace_back(UUID::random(), CleanupCategory::node, "item", "/home/u/item", 1'000'000'000, status,
                                  std::nullopt);
        return {day(offset), 1, std::move(outcomes), {}, {}};
    }

    std::optional<testing::ScopedEnv> zone;
};

TEST_F(HistoryContentTest, TrendSentence) {
    struct Case {
        std::vector<HistoryStore::Snapshot> snapshots;
        std::optional<std::string> trend;
        bool chart;
    };
    const Case cases[] = {
        {{}, std::nullopt, false},
        {{snapshot(0, 5'000'000'000)}, std::nullopt, false},
        {{snapshot(0, 5'000'000'000), snapshot(3, 3'800'000'000)}, "Down 1.2 GB since Feb 3, 2025", true},
        {{snapshot(0, 3'800'000'000), snapshot(1, 9), snapshot(9, 5'000'000'000)}, "Up 1.2 GB since Feb 3, 2025", true},
        {{snapshot(0, 7), snapshot(2, 7)}, "Up " + ByteFormat::string(0) + " since Feb 3, 2025", true},
        // Same date at both ends: the chart shows, the sentence does not.
        {{snapshot(0, 1), snapshot(0, 2)}, std::nullopt, true},
        // A stored negative size counts as nothing.
        {{snapshot(0, -4'000'000'000), snapshot(1, 1'000'000'000)}, "Up 1 GB since Feb 3, 2025", true},
    };
    for (const Case& c : cases) {
        const HistoryContent content = historyContent(c.snapshots, {}, 0, day(40));
        EXPECT_EQ(content.trend, c.trend) << c.snapshots.size();
        EXPECT_EQ(content.showsChart(), c.chart);
        EXPECT_EQ(content.points.size(), c.snapshots.size());
        EXPECT_FALSE(content.pastCleanups);
    }
    const HistoryContent two = historyContent({snapshot(0, 2'500'000'000), snapshot(1, 0)}, {}, 0, day(40));
    EXPECT_EQ(two.points[0], (HistoryPoint{day(0), 2.5}));
    EXPECT_EQ(two.points[1], (HistoryPoint{day(1), 0}));
}

// A snapshot dated after now (the clock was ahead, or the file came from
// another machine) is left out: the chart and its trend end at the latest
// scan that has happened.
TEST_F(HistoryContentTest, SnapshotsDatedAfterNowAreLeftOut) {
    const std::vector<HistoryStore::Snapshot> snapshots = {
        snapshot(0, 50'000'000'000), snapshot(5, 40'000'000'000), snapshot(30, 90'000'000'000)};
    const HistoryContent content = historyContent(snapshots, {}, 0, day(5) + std::chrono::hours(1));
    EXPECT_EQ(content.points, (std::vector<HistoryPoint>{{day(0), 50}, {day(5), 40}}));
    EXPECT_EQ(content.trend, "Down 10 GB since Feb 3, 2025");
    // With only one snapshot up to now there is no chart yet.
    const HistoryContent early = historyContent(snapshots, {}, 0, day(2));
    EXPECT_EQ(early.points, (std::vector<HistoryPoint>{{day(0), 50}}));
    EXPECT_FALSE(early.showsChart());
    EXPECT_EQ(early.trend, std::nullopt);
}

TEST_F(HistoryContentTest, PastCleanupRows) {
    std::vector<CleanupReport> reports;
    reports.push_back(report(12, {Status::deleted, Status::trashed, Status::pruned, Status::skipped, Status::failed}));
    reports.push_back(report(11, {Status::failed, Status::failed}));
    for (int offset = 10; offset >= 0; --offset) reports.push_back(report(offset, {Status::deleted}));
    const HistoryContent content = historyContent({}, reports, 123'000'000'000, day(40));
    ASSERT_TRUE(content.pastCleanups);
    EXPECT_EQ(content.pastCleanups->total, "123 GB total");
    ASSERT_EQ(content.pastCleanups->rows.size(), 12u);
    EXPECT_EQ(content.pastCleanups->rows[0],
              (PastCleanupRow{"Feb 15, 2025 at 4:05 PM", "3 items \u00b7 1 failed \u00b7 1 not removed", "3 GB",
                              std::nullopt}));
    EXPECT_EQ(content.pastCleanups->rows[1], (PastCleanupRow{"Feb 14, 2025 at 4:05 PM", "0 items \u00b7 2 failed",
                                                             ByteFormat::string(0), std::nullopt}));
    EXPECT_EQ(content.pastCleanups->rows[2], (PastCleanupRow{"Feb 13, 2025 at 4:05 PM", "1 item", "1 GB", std::nullopt}));
    // The thirteenth (oldest) report is left out of the rows.
    EXPECT_EQ(content.pastCleanups->rows.back().date, "Feb 4, 2025 at 4:05 PM");
}

TEST_F(HistoryContentTest, APutBackRunIsMarkedAndCountsOnlyWhatStayedRemoved) {
    // Three items of 1 GB each went; some came back from the Trash.
    struct Case {
        std::vector<bool> putBack;
        std::string freed;
        std::optional<std::string> mark;
    };
    const Case cases[] = {
        {{false, false, false}, "3 GB", std::nullopt},
        {{true, false, false}, "2 GB", "\u00b7 1 GB put back"},
        {{true, true, true}, ByteFormat::string(0), "\u00b7 all put back"},
    };
    for (const Case& c : cases) {
        CleanupReport run = report(0, {Status::trashed, Status::trashed, Status::trashed});
        for (std::size_t index = 0; index < c.putBack.size(); ++index)
            run.outcomes[index].putBack = c.putBack[index];
        const HistoryContent content = historyContent({}, {run}, run.keptFreedBytes(), day(40));
        const PastCleanupRow& row = content.pastCleanups->rows.at(0);
        EXPECT_EQ(row.freed, c.freed);
        EXPECT_EQ(row.putBack, c.mark);
        EXPECT_EQ(content.pastCleanups->total, c.freed + " total");
    }
}

// Each item is counted once: one that went partly is among the items, named
// as partly removed, and one that was not removed at all says so.
TEST_F(HistoryContentTest, EachItemIsCountedOnceWhateverBecameOfIt) {
    const auto partly = [](CleanupReport run, std::size_t index) {
        run.outcomes[index].removedBytes = 291'700'000;
        return run;
    };
    struct Case {
        CleanupReport run;
        std::string summary;
    };
    const Case cases[] = {
        // A deletion that failed partway.
        {partly(report(0, {Status::failed}), 0), "1 item \u00b7 partly removed"},
        // A stop: one item partway, the next not reached.
        {partly(report(0, {Status::skipped, Status::skipped}), 0), "1 item \u00b7 partly removed \u00b7 1 not removed"},
        {partly(report(0, {Status::deleted, Status::skipped}), 1), "2 items \u00b7 1 partly removed"},
        {partly(report(0, {Status::failed, Status::failed}), 1), "1 item \u00b7 partly removed \u00b7 1 failed"},
        // Refused by the check before anything was touched.
        {report(0, {Status::skipped}), "0 items \u00b7 1 not removed"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(historyContent({}, {c.run}, 0, day(40)).pastCleanups->rows.at(0).summary, c.summary);
}

}  // namespace
}  // namespace korvane
