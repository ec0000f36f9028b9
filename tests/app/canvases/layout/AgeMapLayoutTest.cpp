#include <gtest/gtest.h>

#include "app/canvases/layout/AgeMapLayout.h"
#include "app/canvases/layout/MonthGridLayout.h"
#include "tests/app/canvases/layout/CanvasTrees.h"
#include "tests/app/canvases/layout/FixedClock.h"

using namespace korvane;
using namespace canvastest;

namespace {

StorageNode uninspected(StorageNode node) {
    node.kind = StorageNode::Kind::uninspected;
    return node;
}

}  // namespace

// now is two days after New York's spring change, so each span is an hour short of whole days.
TEST(AgeMapLayout, BucketBoundariesInLocalDays) {
    struct Case {
        int daysAgo;
        std::size_t bucket;
    };
    // clang-format off
    for (const auto& c : {Case{-2, 0}, Case{7, 0}, Case{8, 1}, Case{30, 1}, Case{31, 2}, Case{92, 2}, Case{93, 3},
                          Case{365, 3}, Case{366, 4}, Case{730, 4}, Case{731, 5}, Case{5000, 5}}) {
        // clang-format on
        const auto root = folder("r", {datedLeaf("x", 10, daysAgo(c.daysAgo))});
        const auto layout = AgeMapLayout::make(root, fixedClock());
        ASSERT_EQ(layout.buckets.size(), 6u) << c.daysAgo;
        for (std::size_t i = 0; i < 6; ++i)
            EXPECT_EQ(layout.buckets[i].bytes, i == c.bucket ? 10 : 0) << c.daysAgo << " in bucket " << i;
    }
}

TEST(AgeMapLayout, SpecialBucketsBarsAndShares) {
    auto root = folder("r", {uninspected(datedLeaf("hidden", 5, daysAgo(3))), leaf("undated", 7),
                             datedLeaf("recent", 9000, daysAgo(1)), datedLeaf("weeks", 5, daysAgo(10)),
                             datedLeaf("months", 990, daysAgo(40)), leaf("empty", 0)});
    root.bytes += 100;  // bytes no leaf accounts for
    const auto layout = AgeMapLayout::make(root, fixedClock());
    std::vector<std::int64_t> bytes;
    for (const auto& bucket : layout.buckets) bytes.push_back(bucket.bytes);
    EXPECT_EQ(bytes, (std::vector<std::int64_t>{9000, 5, 990, 0, 0, 0, 5, 7, 100}));
    EXPECT_EQ(layout.buckets[6].id, 90);
    EXPECT_FALSE(layout.buckets[8].isAge);
    // A leaf root is its own only leaf; empty special buckets are left out.
    const auto alone = leaf("alone", 9);
    EXPECT_EQ(AgeMapLayout::make(alone, fixedClock()).buckets.size(), 7u);

    EXPECT_EQ(layout.barScale(), 9000);
    EXPECT_DOUBLE_EQ(layout.barWidth(layout.buckets[0], 200), 200);
    EXPECT_DOUBLE_EQ(layout.barWidth(layout.buckets[1], 200), 3);  // at least 3 points when it holds bytes
    EXPECT_DOUBLE_EQ(layout.barWidth(layout.buckets[3], 200), 0);
    // Shares of the root's 10,107 bytes.
    EXPECT_EQ(layout.shareText(layout.buckets[0]), "89.0%");
    EXPECT_EQ(layout.shareText(layout.buckets[1]), "<0.1%");
    EXPECT_EQ(layout.shareText(layout.buckets[3]), "\u2014");
    EXPECT_NEAR(AgeMapLayout::bucketOpacity(5), 0.95, 1e-12);
    EXPECT_NEAR(AgeMapLayout::bucketOpacity(92), 0.95, 1e-12);
    EXPECT_FALSE(AgeMapLayout::isWide(719.5));
    EXPECT_TRUE(AgeMapLayout::isWide(720));
}

TEST(AgeMapLayout, BigAndUntouchedListsTheFourteenLargestOverAYearOld) {
    std::vector<StorageNode> leaves{
        datedLeaf("year", 1000, daysAgo(365)), datedLeaf("year+1", 10, daysAgo(366)),
        uninspected(datedLeaf("hidden", 5000, daysAgo(900))), leaf("undated", 5000)};
    for (int i = 0; i < 16; ++i)
        leaves.push_back(datedLeaf("old" + std::to_string(i), 100 + i % 3, daysAgo(800)));
    const auto root = folder("r", std::move(leaves));
    const auto layout = AgeMapLayout::make(root, fixedClock());
    ASSERT_EQ(layout.bigUntouched.size(), 14u);
    // 102-byte leaves first in leaf order, then 101, then 100; "year+1" and two 100s fall off.
    EXPECT_EQ(layout.bigUntouched[0].node->id, "old2");
    EXPECT_EQ(layout.bigUntouched[1].node->id, "old5");
    EXPECT_EQ(layout.bigUntouched[5].node->id, "old1");
    EXPECT_EQ(layout.bigUntouchedTotal, 5 * 102 + 5 * 101 + 4 * 100);
    EXPECT_EQ(layout.bigUntouchedSummary(), "1 KB across 14 items");

    const auto lone = folder("r", {datedLeaf("year+1", 2'500'000, daysAgo(366))});
    EXPECT_EQ(AgeMapLayout::make(lone, fixedClock()).bigUntouchedSummary(), "2.5 MB across 1 item");
    const auto fresh = folder("r", {datedLeaf("year", 10, daysAgo(365))});
    EXPECT_TRUE(AgeMapLayout::make(fresh, fixedClock()).bigUntouched.empty());
}

// Thirty five-year-old photos folded with one from today into a folder's
// smaller items: their bytes are listed as that folder's old files, and the
// list is empty only when no byte is over a year old.
TEST(AgeMapLayout, BigAndUntouchedCountsOldFilesFoldedBesideNewOnes) {
    const CanvasClock clock = fixedClock();
    const auto withAges = [&](StorageNode node, const std::vector<std::pair<int, std::int64_t>>& daysAndBytes) {
        for (const auto& [days, bytes] : daysAndBytes)
            node.ages.add(AgeProfile::stamp(clock.localNow(), clock.localNow().day - days, 0), bytes);
        return node;
    };
    auto photos = withAges(datedLeaf("/home/u/Summer 2021//rest", 31 * 100, daysAgo(0)),
                           {{0, 100}, {1830, 30 * 100}});
    photos.name = "31 smaller items";
    auto letters = withAges(datedLeaf("/home/u/Old letters", 700, daysAgo(1)), {{1, 40}, {400, 600}, {1100, 60}});
    letters.name = "Old letters";  // a folder below the tree's depth
    auto oldRest = withAges(datedLeaf("/home/u/Music//rest", 500, daysAgo(800)), {{800, 200}, {900, 300}});
    oldRest.name = "2 smaller items";
    // The folder's own blocks are as old as the photos: one row holds both.
    auto summer = withAges(folder("/home/u/Summer 2021", {photos}), {{1830, 4}});
    summer.name = "Summer 2021";
    summer.bytes += 4;
    const auto root = folder("r", {summer, letters, oldRest, datedLeaf("new", 9000, daysAgo(2)),
                                   datedLeaf("iso", 2000, daysAgo(731))});
    const auto layout = AgeMapLayout::make(root, clock);
    struct Row {
        const char* name;
        std::int64_t bytes;
        bool isPart;
        const char* age;
    };
    const Row expected[] = {
        {"Old files in Summer 2021", 3004, true, "5 years ago"},
        {"iso", 2000, false, "2 years ago"},
        {"Old files in Old letters", 660, true, "1 year ago"},
        {"2 smaller items in Music", 500, false, "2 years ago"},
    };
    ASSERT_EQ(layout.bigUntouched.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const AgeMapLayout::Untouched& row = layout.bigUntouched[i];
        EXPECT_EQ(AgeMapLayout::untouchedName(row), expected[i].name);
        EXPECT_EQ(row.bytes, expected[i].bytes) << expected[i].name;
        EXPECT_EQ(row.isPart, expected[i].isPart) << expected[i].name;
        EXPECT_EQ(AgeMapLayout::relativeAge(row.days), expected[i].age) << expected[i].name;
    }
    EXPECT_EQ(layout.bigUntouchedTotal, layout.buckets[4].bytes + layout.buckets[5].bytes);

    const auto young = folder("r", {withAges(datedLeaf("/home/u/a//rest", 100, daysAgo(0)), {{0, 40}, {365, 60}})});
    const auto none = AgeMapLayout::make(young, clock);
    EXPECT_TRUE(none.bigUntouched.empty());
    EXPECT_EQ(none.buckets[4].bytes + none.buckets[5].bytes, 0);
}

TEST(AgeMapLayout, RelativeAgeTexts) {
    struct Case {
        std::optional<int> daysAgo;
        const char* text;
    };
    // clang-format off
    for (const auto& c : {Case{730, "2 years ago"}, Case{729, "1 year ago"}, Case{365, "1 year ago"},
                          Case{364, "12 months ago"}, Case{59, "1 months ago"}, Case{-4, "0 months ago"},
                          Case{std::nullopt, "No date"}}) {
        // clang-format on
        const auto node = datedLeaf("x", 1, c.daysAgo ? std::optional(daysAgo(*c.daysAgo)) : std::nullopt);
        EXPECT_EQ(AgeMapLayout::relativeAge(node, fixedClock()), c.text) << c.daysAgo.value_or(-1);
    }
}

TEST(MonthGridLayout, CellsByLocalMonthWithEveryYearBetweenKept) {
    const auto at = [](int y, int m, int d, int h) {
        return timePoint(QDateTime(QDate(y, m, d), QTime(h, 0), newYork()));
    };
    const auto root = folder("r", {
                                      datedLeaf("march", 400, at(2024, 3, 1, 0)),
                                      // 1 March in UTC, still February in New York.
                                      datedLeaf("february", 100, at(2024, 2, 29, 20)),
                                      uninspected(datedLeaf("hidden", 25, at(2022, 7, 4, 12))),
                                      leaf("undated", 999),
                                      datedLeaf("zero", 0, at(2021, 1, 1, 12)),
                                  });
    const auto grid = MonthGridLayout::make(root, fixedClock());
    ASSERT_EQ(grid.cells.size(), 3u);
    EXPECT_EQ(grid.cells[0].id, "2022-7");
    EXPECT_EQ(grid.years, (std::vector<int>{2024, 2023, 2022}));  // 2023 holds nothing, yet keeps its row

    // A date centuries off (an age profile keeps any day) does not bring
    // a row for every year between.
    const CanvasClock clock = fixedClock();
    auto ancient = leaf("ancient", 50);
    ancient.ages.add(AgeProfile::stamp(clock.localNow(), -700'000, 0), 50);
    int ancientYear = 0, ancientMonth = 0;
    AgeProfile::yearMonth(-700'000, ancientYear, ancientMonth);
    const auto spreadRoot = folder("r", {datedLeaf("march", 400, at(2024, 3, 1, 0)), ancient});
    const auto spread = MonthGridLayout::make(spreadRoot, clock);
    EXPECT_EQ(spread.years, (std::vector<int>{2024, ancientYear}));
    EXPECT_EQ(grid.scale, 400);
    EXPECT_EQ(grid.bytes(2024, 3), 400);
    EXPECT_EQ(grid.bytes(2024, 2), 100);
    EXPECT_EQ(grid.bytes(2024, 4), 0);

    struct Case {
        std::int64_t bytes;
        double strength, opacity;
        bool text;
    };
    // √ fill: a quarter of the busiest month is half strength; text from 0.55 up.
    for (const auto& c : {Case{400, 1, 0.90, true}, Case{100, 0.5, 0.52, false},
                          Case{121, 0.55, 0.558, false}, Case{0, 0, 0.14, false}}) {
        EXPECT_NEAR(grid.strength(c.bytes), c.strength, 1e-12) << c.bytes;
        if (c.bytes > 0) {
            EXPECT_NEAR(grid.fillOpacity(c.bytes), c.opacity, 1e-12) << c.bytes;
        }
        EXPECT_EQ(grid.showsText(c.bytes), c.text) << c.bytes;
    }
    EXPECT_TRUE(grid.showsText(122));
    EXPECT_EQ(MonthGridLayout::tooltip(0), "Nothing modified this month");

    const auto undated = folder("r", {leaf("a", 5), uninspected(leaf("b", 6))});
    const auto empty = MonthGridLayout::make(undated, fixedClock());
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.scale, 1);
}

TEST(MonthGridLayout, AFutureDateCountsInThisMonth) {
    const auto at = [](int y, int m, int d) {
        return timePoint(QDateTime(QDate(y, m, d), QTime(12, 0), newYork()));
    };
    // A folder's own blocks dated in 2100 through its age profile, and a file dated 2100 too.
    StorageNode remainder = leaf("rest", 300);
    const CanvasClock clock = fixedClock();
    const auto future = clock.localNow().day + 27'000;
    remainder.ages.add(AgeProfile::stamp(clock.localNow(), future, 43'200), 300);
    const auto root = folder(
        "r", {datedLeaf("ahead", 700, at(2100, 1, 1)), datedLeaf("old", 100, at(2022, 5, 1)), remainder});
    const auto grid = MonthGridLayout::make(root, clock);
    EXPECT_EQ(grid.years, (std::vector<int>{2024, 2023, 2022}));
    EXPECT_EQ(grid.bytes(2024, 3), 1000);
    EXPECT_EQ(grid.bytes(2100, 1), 0);
}

TEST(MonthGridLayout, ACellShowsItsSizeOnlyWhereItFits) {
    struct Case {
        double widthAt8;  // the text's width at 8 points; it scales with the size
        double room;
        std::optional<double> points;
    };
    // clang-format off
    for (const auto& c : {Case{30, 40, 8}, Case{30, 30, 8}, Case{30, 27, 7}, Case{30, 22.5, 6},
                          Case{30, 22, std::nullopt}, Case{30, 0, std::nullopt}}) {
        // clang-format on
        const auto widthAt = [&c](double points) { return c.widthAt8 * points / 8; };
        EXPECT_EQ(MonthGridLayout::sizeTextPoints(widthAt, c.room), c.points) << c.room;
    }
}
