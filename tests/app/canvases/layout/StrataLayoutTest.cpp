#include <gtest/gtest.h>

#include <set>

#include "app/canvases/layout/StrataLayout.h"
#include "app/presenters/SummaryNode.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/model/CategoryResult.h"
#include "tests/app/canvases/layout/CanvasTrees.h"
#include "tests/app/canvases/layout/FixedClock.h"

using namespace korvane;
using namespace canvastest;

TEST(StrataLayout, DatesLandInTheirBandAcrossDaylightSaving) {
    struct Case {
        std::optional<int> daysAgo;
        int band;
    };
    // now is two days after the spring change: each span is an hour short of whole days.
    // clang-format off
    for (const auto& c : {Case{7, 0}, Case{8, 1}, Case{30, 1}, Case{31, 2}, Case{92, 2}, Case{93, 3}, Case{365, 3},
                          Case{366, 4}, Case{-3, 0}, Case{std::nullopt, 4}}) {
        // clang-format on
        auto node = datedLeaf("x", 1, c.daysAgo ? std::optional(daysAgo(*c.daysAgo)) : std::nullopt);
        EXPECT_EQ(StrataLayout::bandFor(StrataLayout::age(node, fixedClock())), c.band)
            << c.daysAgo.value_or(-1);
    }
}

TEST(StrataLayout, BandHeightsAndDepositWidths) {
    auto hidden = leaf("hidden", 600);
    hidden.kind = StorageNode::Kind::uninspected;
    auto root = folder("r", {datedLeaf("recent-small", 100, daysAgo(1)), datedLeaf("zero", 0, daysAgo(1)),
                             datedLeaf("recent-big", 300, daysAgo(2)), hidden});
    const auto layout = StrataLayout::make(root, {600, 300}, fixedClock());
    ASSERT_EQ(layout.bands.size(), 2u);
    // 300 high less one 6-point gap, shared 400 : 600.
    EXPECT_EQ(layout.bands[0].total, 400);
    EXPECT_DOUBLE_EQ(layout.bands[0].row.height(), 117.6);
    EXPECT_EQ(layout.bands[1].bandIndex, 4);
    EXPECT_DOUBLE_EQ(layout.bands[1].row.top(), 123.6);
    EXPECT_DOUBLE_EQ(layout.bands[1].row.height(), 176.4);

    // The strip is 600 − 118 = 482 wide; 300 of 400 bytes is 361.5 points.
    ASSERT_EQ(layout.deposits.size(), 3u);
    EXPECT_EQ(layout.deposits[0].node->id, "recent-big");
    EXPECT_DOUBLE_EQ(layout.deposits[0].nominalWidth, 361.5);
    EXPECT_EQ(layout.deposits[0].rect, QRectF(118, 0, 360, 117.6));
    EXPECT_DOUBLE_EQ(layout.deposits[1].rect.left(), 479.5);
    EXPECT_DOUBLE_EQ(layout.deposits[1].rect.width(), 119);
    EXPECT_TRUE(layout.deposits[1].hasLabel);
    EXPECT_EQ(layout.deposits[2].rect, QRectF(118, 123.6, 480.5, 176.4));
    EXPECT_TRUE(layout.deposits[2].isUninspected);
    EXPECT_EQ(layout.deposits[2].nameNote, " \u00B7 not inspected");

    EXPECT_EQ(layout.depositAt({200, 50}), 0u);
    EXPECT_EQ(layout.depositAt({478.5, 50}), std::nullopt);  // in the 1.5-point gap
    EXPECT_EQ(layout.depositAt({500, 50}), 1u);
    EXPECT_EQ(layout.depositAt({300, 120}), std::nullopt);  // between the bands
    EXPECT_EQ(layout.depositAt({300, 200}), 2u);
    EXPECT_EQ(layout.headerAt({50, 200}), 1u);
    EXPECT_EQ(layout.headerAt({112, 200}), std::nullopt);
}

TEST(StrataLayout, MinimumHeightsNarrowTilesAndEmptyRoots) {
    auto root = folder("r", {datedLeaf("big", 1000, daysAgo(1)), datedLeaf("tiny", 1, daysAgo(400))});
    auto layout = StrataLayout::make(root, {400, 200}, fixedClock());
    EXPECT_DOUBLE_EQ(layout.bands[0].row.height(), 160);
    EXPECT_DOUBLE_EQ(layout.bands[1].row.height(), 34);
    // When 34 points per band do not fit, each band gets an equal share.
    layout = StrataLayout::make(root, {400, 50}, fixedClock());
    EXPECT_DOUBLE_EQ(layout.bands[0].row.height(), 22);
    EXPECT_DOUBLE_EQ(layout.bands[1].row.height(), 22);

    // Many small deposits are summed into one tile instead of running on as slivers.
    std::vector<StorageNode> many{datedLeaf("huge", 1'000'000, daysAgo(1))};
    for (int i = 0; i < 50; ++i) many.push_back(datedLeaf("s" + std::to_string(i), 1, daysAgo(1)));
    const auto crowded = folder("r", std::move(many));
    layout = StrataLayout::make(crowded, {300, 100}, fixedClock());
    ASSERT_EQ(layout.deposits.size(), 2u);
    EXPECT_TRUE(layout.deposits[1].isSummary);
    EXPECT_DOUBLE_EQ(layout.deposits[1].rect.width(), 2);
    EXPECT_EQ(layout.deposits[1].node->bytes, 50);

    for (const auto& empty : {folder("r", {leaf("z", 0)}), folder("r", {})})
        EXPECT_TRUE(StrataLayout::make(empty, {400, 300}, fixedClock()).isEmpty());
    const auto lone = datedLeaf("lone", 5, daysAgo(40));  // a leaf root is its own deposit
    layout = StrataLayout::make(lone, {400, 300}, fixedClock());
    ASSERT_EQ(layout.bands.size(), 1u);
    EXPECT_DOUBLE_EQ(layout.bands[0].row.height(), 300);
    EXPECT_EQ(layout.deposits[0].node, &lone);
}

TEST(StrataLayout, FullySelectedBands) {
    const UUID a = UUID::random(), b = UUID::random(), protectedID = UUID::random();
    auto candidate = [&](std::string id, const UUID& uuid, SafetyLevel safety, int age) {
        auto node = datedLeaf(std::move(id), 10, daysAgo(age));
        node.candidateID = uuid;
        node.safety = safety;
        return node;
    };
    auto root = folder(
        "r", {candidate("a", a, SafetyLevel::safe, 1), candidate("b", b, SafetyLevel::caution, 1),
              candidate("p", protectedID, SafetyLevel::dangerous, 1), datedLeaf("plain", 10, daysAgo(1)),
              candidate("old", protectedID, SafetyLevel::dangerous, 500),
              datedLeaf("old-plain", 3, daysAgo(500))});
    const auto layout = StrataLayout::make(root, {600, 300}, fixedClock());
    ASSERT_EQ(layout.bands.size(), 2u);
    struct Case {
        std::set<UUID> selection;
        bool recentFull;
    };
    for (const auto& c :
         {Case{{}, false}, Case{{a}, false}, Case{{a, b}, true}, Case{{a, b, protectedID}, true}}) {
        const auto contains = [&](const UUID& id) { return c.selection.count(id) > 0; };
        EXPECT_EQ(layout.isFullySelected(layout.bands[0], contains), c.recentFull) << c.selection.size();
        // Only protected nodes and nodes without a candidate: never fully selected.
        EXPECT_FALSE(layout.isFullySelected(layout.bands[1], contains));
    }
    EXPECT_EQ(layout.nodes(layout.bands[0]).size(), 4u);
}

TEST(StrataLayout, TilesTooNarrowToReadAreSummedPerBand) {
    struct Case {
        std::vector<std::int64_t> recent;  // bytes of the leaves of the recent band
        std::size_t tiles;                 // drawn, the summing tile included
        std::optional<std::string> summary;
        std::int64_t summed;
    };
    // The strip is 500 − 118 = 382 wide: a tile is readable from 24 points on.
    // clang-format off
    for (const auto& c : {Case{{1000, 10, 10, 10}, 2, "3 smaller items", 30},
                          Case{{500, 500}, 2, std::nullopt, 0},
                          Case{{1000, 10}, 2, std::nullopt, 0},               // a single thin tile stays itself
                          Case{{600, 300, 30, 20, 20, 10, 10, 10}, 3, "6 smaller items", 100},
                          Case{std::vector<std::int64_t>(300, 1), 1, "300 smaller items", 300}}) {
        // clang-format on
        std::vector<StorageNode> leaves;
        for (std::size_t i = 0; i < c.recent.size(); ++i)
            leaves.push_back(datedLeaf("n" + std::to_string(i), c.recent[i], daysAgo(1)));
        leaves.push_back(datedLeaf("old", 7, daysAgo(900)));
        const auto root = folder("r", std::move(leaves));
        const auto layout = StrataLayout::make(root, {500, 300}, fixedClock());
        SCOPED_TRACE(c.recent.size());
        ASSERT_EQ(layout.bands.size(), 2u);
        const auto& band = layout.bands[0];
        ASSERT_EQ(band.depositCount, c.tiles);
        const auto& last = layout.deposits[band.firstDeposit + band.depositCount - 1];
        EXPECT_EQ(last.isSummary, c.summary.has_value());
        if (c.summary) {
            EXPECT_EQ(last.node->name, *c.summary);
            EXPECT_EQ(last.node->bytes, c.summed);
        }
        // The header still toggles every leaf of the band, summed ones included.
        EXPECT_EQ(layout.nodes(band).size(), c.recent.size());
        // Tiles fill the strip and no more.
        EXPECT_LE(last.rect.right(), band.strip.right() + 1e-9);
        EXPECT_EQ(layout.bands[1].depositCount, 1u);
    }
}

TEST(StrataLayout, HeaderLinesThatDoNotFitAreLeftOutWhole) {
    struct Case {
        double band;
        int hintLines;
        StrataLayout::HeaderLines lines;
    };
    // Title 13, size 15, description lines 13 each, 2 points above and below.
    // clang-format off
    for (const auto& c : {Case{32, 2, {false, 0}}, Case{34, 2, {true, 0}}, Case{46, 2, {true, 0}},
                          Case{47, 2, {true, 0}}, Case{47, 1, {true, 1}}, Case{59, 2, {true, 0}},
                          Case{60, 2, {true, 2}}, Case{200, 1, {true, 1}}, Case{10, 2, {false, 0}}}) {
        // clang-format on
        EXPECT_EQ(StrataLayout::headerLines(c.band, 13, 15, 13, c.hintLines), c.lines) << c.band;
    }
}

TEST(StrataLayout, OnlyBandsWithCandidatesOfferSelection) {
    auto candidate = datedLeaf("c", 10, daysAgo(1));
    candidate.candidateID = UUID::random();
    auto protectedLeaf = datedLeaf("p", 10, daysAgo(500));
    protectedLeaf.candidateID = UUID::random();
    protectedLeaf.safety = SafetyLevel::dangerous;
    const auto root = folder("r", {candidate, datedLeaf("plain", 10, daysAgo(40)), protectedLeaf});
    const auto layout = StrataLayout::make(root, {600, 300}, fixedClock());
    ASSERT_EQ(layout.bands.size(), 3u);
    EXPECT_TRUE(layout.hasCandidates(layout.bands[0]));
    EXPECT_FALSE(layout.hasCandidates(layout.bands[1]));
    EXPECT_FALSE(layout.hasCandidates(layout.bands[2]));
}

// A remainder sits in the band of its newest file; its hover card says when
// its bytes lie in other bands too, and so does a tile summing such leaves.
TEST(StrataLayout, ATileSaysWhichBandsItsBytesSpan) {
    const CanvasClock clock = fixedClock();
    const auto withAges = [&](StorageNode node,
                              const std::vector<std::pair<int, std::int64_t>>& daysAgoAndBytes) {
        for (const auto& [days, bytes] : daysAgoAndBytes)
            node.ages.add(AgeProfile::stamp(clock.localNow(), clock.localNow().day - days, 0), bytes);
        return node;
    };
    struct Case {
        std::vector<std::pair<int, std::int64_t>> ages;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {{}, std::nullopt},
        {{{1, 50}, {3, 50}}, std::nullopt},
        {{{1, 50}, {1800, 50}}, "Spans Days and Buried"},
        {{{1, 10}, {20, 10}, {200, 10}, {400, 70}}, "Spans 4 bands, Days to Buried"},
    };
    for (const Case& c : cases) {
        const auto rest = withAges(datedLeaf("rest", 100, daysAgo(1)), c.ages);
        EXPECT_EQ(StrataLayout::spanText(StrataLayout::ageBands(rest, clock)), c.text) << c.ages.size();
    }

    // Tiles too thin to read are summed: the sum spans what its leaves span.
    std::vector<StorageNode> leaves{datedLeaf("big", 100'000, daysAgo(1))};
    for (int i = 0; i < 30; ++i) leaves.push_back(datedLeaf("small" + std::to_string(i), 10, daysAgo(2)));
    leaves.push_back(withAges(datedLeaf("small-rest", 10, daysAgo(2)), {{2, 5}, {100, 5}}));
    const auto root = folder("r", std::move(leaves));
    const auto layout = StrataLayout::make(root, QSizeF(900, 500), clock);
    ASSERT_EQ(layout.deposits.size(), 3u);
    EXPECT_EQ(StrataLayout::spanText(layout.deposits[0].ageBands), std::nullopt);
    EXPECT_TRUE(layout.deposits[1].isSummary);
    EXPECT_EQ(StrataLayout::spanText(layout.deposits[1].ageBands), "Spans Days and Seasons");
    // The sum holds the leaf's recent half only, and so do its parts in the inspector.
    EXPECT_EQ(layout.deposits[1].bytes, 30 * 10 + 5);
    const StorageNode held = summaryWithParts(*layout.deposits[1].node, layout.summed(layout.deposits[1]),
                                              layout.summedBytes(layout.deposits[1]));
    EXPECT_EQ(held.bytes, 305);
    EXPECT_EQ(held.children.back().id, "small-rest");
    EXPECT_EQ(held.children.back().bytes, 5);
    // The leaf's older half lies in its own band.
    EXPECT_EQ(layout.deposits[2].node->id, "small-rest");
    EXPECT_EQ(layout.deposits[2].bandIndex, 3);
    EXPECT_EQ(layout.deposits[2].bytes, 5);
}

// A tile summing a folder's smaller items says how many files it holds,
// not how many nodes stand for them; a remainder whose files lie in two
// bands is a tile in each, each saying how many of its files lie there.
TEST(StrataLayout, SumsAndPiecesOfSumsCountTheFilesTheyHold) {
    const CanvasClock clock = fixedClock();
    const auto remainder = [&](const std::string& folder, std::int64_t bytes, std::uint32_t files) {
        StorageNode rest = datedLeaf(FileTreeScanner::remainderID(folder), bytes, daysAgo(2));
        rest.name = std::to_string(files) + " smaller items";
        rest.fileCount = files;
        return rest;
    };
    StorageNode summer = remainder("/h/Summer 2021", 1000, 31);
    summer.ages.add(AgeProfile::stamp(clock.localNow(), clock.localNow().day - 2, 0), 400, 1);
    summer.ages.add(AgeProfile::stamp(clock.localNow(), clock.localNow().day - 900, 0), 600, 30);
    {
        const auto root = folder("r", {summer});
        const auto layout = StrataLayout::make(root, QSizeF(900, 500), clock);
        ASSERT_EQ(layout.deposits.size(), 2u);
        EXPECT_EQ(layout.deposits[0].node->name, "1 smaller item");
        EXPECT_EQ(layout.deposits[0].node->bytes, 400);
        EXPECT_EQ(layout.deposits[1].node->name, "30 smaller items");
        EXPECT_EQ(layout.deposits[1].node->id, summer.id) << "each piece selects the remainder itself";
    }

    std::vector<StorageNode> leaves{datedLeaf("big", 1'000'000, daysAgo(2))};
    for (int i = 0; i < 30; ++i) leaves.push_back(remainder("/h/f" + std::to_string(i), 10, 1000));
    const auto root = folder("r", std::move(leaves));
    const auto layout = StrataLayout::make(root, QSizeF(900, 500), clock);
    ASSERT_EQ(layout.deposits.size(), 2u);
    ASSERT_TRUE(layout.deposits[1].isSummary);
    EXPECT_EQ(layout.deposits[1].node->name, "30,000 smaller items");
}

// What a toolchain holds besides its items has no date: it lies in a band of
// its own below the ages, so that the bands hold what the page's header
// counts; its header selects nothing. So does a footprint no child names.
TEST(StrataLayout, AToolchainsBytesBesideItsItemsLieBelowTheAges) {
    auto candidate = datedLeaf("modules", 300, daysAgo(3));
    candidate.candidateID = UUID::random();
    for (const bool named : {true, false}) {
        SCOPED_TRACE(named ? "a not-offered node" : "an unnamed footprint");
        auto toolchain = folder("node", {folder("node/modules", {candidate})});
        if (named) {
            toolchain.children.push_back(
                StorageNode::notOfferedNode(CategoryResult(CleanupCategory::node, 1000, {}), 700));
        }
        toolchain.bytes = 1000;  // its footprint: 700 bytes were measured but offered as no item
        auto root = folder("root", {toolchain, folder("xcode", {datedLeaf("derived", 200, daysAgo(400))})});
        const auto layout = StrataLayout::make(root, QSizeF(900, 500), fixedClock());
        std::vector<std::pair<int, std::int64_t>> bands;
        for (const auto& band : layout.bands) bands.emplace_back(band.bandIndex, band.total);
        EXPECT_EQ(bands, (std::vector<std::pair<int, std::int64_t>>{{0, 300}, {4, 200}, {5, 700}}));
        const auto& notOffered = layout.deposits[layout.bands[2].firstDeposit];
        EXPECT_EQ(notOffered.node->id, named ? "node//notOffered" : "node");
        EXPECT_EQ(notOffered.bytes, 700);
        EXPECT_EQ(notOffered.nameNote, "");  // it was measured, not "not inspected"
        EXPECT_TRUE(layout.nodes(layout.bands[2]).empty());
        EXPECT_FALSE(layout.hasCandidates(layout.bands[2]));
    }
    EXPECT_EQ(StrataLayout::bandTable[5].name, "Not offered");
}
