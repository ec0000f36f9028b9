#include <gtest/gtest.h>

#include "app/presenters/CanvasPageContent.h"
#include "app/presenters/InspectorContent.h"
#include "app/presenters/DiskGaugeContent.h"
#include "app/presenters/FootprintSegments.h"
#include "app/presenters/GeneralSidebarContent.h"
#include "app/presenters/HoverCardContent.h"
#include "app/presenters/NodeActions.h"
#include "app/presenters/SidebarContent.h"
#include "app/presenters/TopBarContent.h"
#include "app/state/PlatformWords.h"
#include "core/text/ByteFormat.h"
#include "tests/app/state/FlowFixture.h"

// The texts and numbers of the top bar, the developer sidebar, the footprint
// bar, the disk gauge, the hover card and the node menu.

namespace korvane {
namespace {

ScanResult scanOf(std::vector<CategoryResult> categories, VolumeInfo volume = {1000, 400}) {
    ScanResult scan;
    scan.categories = std::move(categories);
    scan.volume = volume;
    return scan;
}

TEST(FootprintSegments, FollowTheColourOrderAndSkipEmptyCategories) {
    const auto segments = footprintSegments(scanOf({
        {CleanupCategory::docker, 300, {}},
        {CleanupCategory::node, 0, {}},
        {CleanupCategory::xcode, 12'300'000'000, {}},
        {CleanupCategory::docker, 999, {}},  // only the first of a category counts
    }));
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0].category, CleanupCategory::xcode);
    EXPECT_EQ(segments[0].tooltip, "Xcode \u00B7 " + ByteFormat::string(12'300'000'000));
    EXPECT_EQ(segments[1].category, CleanupCategory::docker);
    EXPECT_EQ(segments[1].footprint, 300);
    EXPECT_TRUE(footprintSegments(scanOf({{CleanupCategory::node, 0, {}}})).empty());
}

TEST(FootprintSegments, WidthsAreSharesLessTheGapAndNeverUnderTwoPoints) {
    auto segment = [](CleanupCategory category, std::int64_t bytes) {
        FootprintSegment s;
        s.category = category;
        s.footprint = bytes;
        return s;
    };
    EXPECT_EQ(footprintWidths({segment(CleanupCategory::xcode, 5)}, 200), std::vector<double>{198});
    EXPECT_EQ(footprintWidths({segment(CleanupCategory::xcode, 5), segment(CleanupCategory::node, 5)}, 200),
              (std::vector<double>{98, 98}));
    const auto tiny = footprintWidths({segment(CleanupCategory::xcode, 1'000'000), segment(CleanupCategory::node, 1)}, 200);
    EXPECT_EQ(tiny[1], 2);
    EXPECT_TRUE(footprintWidths({}, 200).empty());
}

// The ring shows what df shows: used of used + available, rounded up; the
// root reserve is neither.
TEST(DiskGaugeContent, UsedShareIsClampedAndRoundedUpAsDfRoundsIt) {
    struct Case {
        VolumeInfo volume;
        int percent;
        double fraction;
        bool critical;
    };
    for (const Case& c : {Case{{100, 43}, 57, 0.57, false}, Case{{0, 0}, 0, 0, false}, Case{{100, 150}, 0, 0, false},
                          Case{{1000, 100}, 90, 0.9, false}, Case{{1000, 99}, 91, 0.901, true},
                          Case{{1000, 1}, 100, 0.999, true}, Case{{1000, -500}, 100, 1, true},
                          Case{{1000, 100, 300}, 75, 0.75, false}}) {
        const auto content = diskGaugeContent(c.volume);
        EXPECT_EQ(content.percent, c.percent) << c.volume.totalCapacity << "/" << c.volume.availableCapacity;
        EXPECT_NEAR(content.usedFraction, c.fraction, 1e-9);
        EXPECT_EQ(content.isCritical, c.critical);
        EXPECT_EQ(content.accessibleText, "Disk " + std::to_string(c.percent) + " percent used");
    }
}

TEST(HoverCardContent, SaysSizeShareReclaimableAndAge) {
    StorageNode root;
    root.bytes = 1000;
    StorageNode node;
    node.name = "a&b <i>";
    node.bytes = 50;
    node.reclaimable = 50;
    node.category = CleanupCategory::node;
    const auto now = std::chrono::system_clock::now();
    node.lastModified = now - std::chrono::hours(24 * 21);
    const auto content = hoverCardContent(node, root, now);
    EXPECT_EQ(content.name, "a&b <i>");
    EXPECT_EQ(content.share, "\u00B7 5.0%");
    EXPECT_EQ(content.reclaimable, ByteFormat::string(50) + " reclaimable");
    EXPECT_EQ(content.date, "3 weeks ago");
    node.reclaimable = 0;
    node.lastModified.reset();
    const auto bare = hoverCardContent(node, StorageNode{}, now);
    EXPECT_FALSE(bare.reclaimable);
    EXPECT_FALSE(bare.date);
    EXPECT_EQ(bare.share, "\u00B7 <0.1%");
}

TopBarContent topBarOf(const AppState& state, bool inspectorFits, bool showsInspector, bool showsPopover) {
    return topBarContent(state.preferences(), state.navigation(), state.folderScan(), inspectorFits,
                         showsInspector, showsPopover);
}

SidebarContent sidebarOf(const AppState& state) {
    return sidebarContent(state.navigation(), state.developer());
}

class FrameContent : public testing::FlowFixture {
protected:
    // The demonstration scan in developer mode.
    AppState& developer() { return launch({"--screen", "explore", "--mode", "developer"}); }
};

// The demonstration offers five items; what its toolchains hold beyond them
// is no item, and the header, the inspector and the filter badge all say so.
TEST_F(FrameContent, ItemsAreCountedAlikeInTheHeaderTheInspectorAndTheBadge) {
    AppState& state = developer();
    state.navigation().setSelectedID("root");
    const struct {
        const char* filter;
        const char* items;
    } cases[] = {{"", "5"}, {"node", "3"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        state.navigation().setSearchText(c.filter);
        EXPECT_EQ(developerCanvasContent(state.navigation(), state.developer()).items, std::string(c.items) + " items");
        const auto inspector = inspectorContent(state.navigation(), state.developer(), state.folderScan(),
                                                Mode::developer, std::chrono::system_clock::now());
        ASSERT_TRUE(inspector);
        const auto row = std::find_if(inspector->details.begin(), inspector->details.end(),
                                      [](const InspectorDetailRow& r) { return r.label == "Items"; });
        ASSERT_NE(row, inspector->details.end());
        EXPECT_EQ(row->value, c.items);
    }
    EXPECT_EQ(topBarOf(state, true, true, false).badge, "3");
}

TEST_F(FrameContent, TopBarBadgeCountsMatchesAndShowsZeroWhenNothingMatches) {
    AppState& state = developer();
    EXPECT_FALSE(topBarOf(state, true, true, false).badge);
    state.navigation().setSearchText("node");
    const auto matching = topBarOf(state, true, true, false);
    ASSERT_TRUE(matching.badge);
    EXPECT_EQ(*matching.badge, std::to_string(state.navigation().visibleItemCount()));
    EXPECT_TRUE(matching.showsClear);
    state.navigation().setSearchText("no such thing anywhere");
    EXPECT_EQ(topBarOf(state, true, true, false).badge, "0");
    EXPECT_FALSE(topBarOf(state, false, true, false).showsFilter) << "no filter in a narrow window";
    // There a button opens it, standing out while the filter holds text.
    EXPECT_TRUE(topBarOf(state, false, true, false).showsFilterButton);
    EXPECT_TRUE(topBarOf(state, false, true, false).filterButtonHighlighted);
    EXPECT_FALSE(topBarOf(state, true, true, false).showsFilterButton);
    state.navigation().setSearchText({});
    EXPECT_FALSE(topBarOf(state, false, true, false).filterButtonHighlighted);
}

TEST_F(FrameContent, TopBarCrumbsAndTheScannedFolderWithALeadingTilde) {
    AppState& state = developer();
    auto content = topBarOf(state, true, true, false);
    ASSERT_EQ(content.crumbs.size(), 1u);
    EXPECT_TRUE(content.crumbs[0].isLast);
    EXPECT_EQ(content.crumbs[0].name, "Developer storage");
    state.navigation().select(std::string_view(state.developer().tree().children.front().id));
    content = topBarOf(state, true, true, false);
    ASSERT_EQ(content.crumbs.size(), 2u);
    EXPECT_FALSE(content.crumbs[0].isLast);
    EXPECT_TRUE(content.modes[1].isActive);

    state.preferences().setMode(AppState::Mode::general);
    content = topBarOf(state, true, true, false);
    EXPECT_EQ(content.scannedFolder, "No folder scanned");
    EXPECT_TRUE(content.scannedFolderIsPlaceholder);
    state.folderScan().setGeneralResult(FileTreeScanner::Result{});
    struct Case {
        std::string folder;
        std::string shown;
    };
    for (const Case& c : {Case{home_, "~"}, Case{home_ + "/Projects", "~/Projects"},
                          Case{home_ + "2/x", home_ + "2/x"}, Case{"/mnt" + home_, "/mnt" + home_}}) {
        state.folderScan().setScanRoot(c.folder);
        EXPECT_EQ(topBarOf(state, true, true, false).scannedFolder, c.shown) << c.folder;
    }
    state.navigation().setSheet(AppState::Sheet::settings);
    EXPECT_TRUE(topBarOf(state, true, true, false).settings.isActive);
    state.navigation().setSheet(AppState::Sheet::history);
    EXPECT_FALSE(topBarOf(state, true, true, false).history.isActive);
    EXPECT_EQ(topBarOf(state, false, false, true).inspectorHelp, "Show the inspector");
    EXPECT_TRUE(topBarOf(state, false, false, true).inspectorHighlighted);
}

TEST_F(FrameContent, TopBarSaysTheFirstFolderScanIsRunning) {
    AppState& state = launch();
    state.preferences().setMode(AppState::Mode::general);
    state.folderScan().setScanRoot(home_ + "/src");
    state.folderScan().setIsScanningFolder(true);
    auto content = topBarOf(state, true, true, false);
    EXPECT_EQ(content.scannedFolder, "Scanning ~/src\u2026");
    EXPECT_TRUE(content.scannedFolderIsPlaceholder);
    state.folderScan().setIsScanningFolder(false);
    EXPECT_EQ(topBarOf(state, true, true, false).scannedFolder, "No folder scanned");
}

TEST_F(FrameContent, ALineBreakInAFolderNameShowsInTheCrumbsAndTheSidebar) {
    AppState& state = launch({"--mode", "developer"});
    const std::string folder = home_ + "/two\nlines", shown = "~/two\u23CElines";
    CleanupCandidate candidate;
    candidate.groupTitle = candidate.title = "two\nlines";
    candidate.path = folder;
    state.developer().setScan(ScanResult({}, 1, {CategoryResult(CleanupCategory::node, 0, {candidate})}, {}, {}));
    state.developer().rebuildDeveloperTree();
    state.navigation().select(std::string_view(state.developer().tree().children.front().children.front().id));
    EXPECT_EQ(topBarOf(state, true, true, false).crumbs.back().name, "two\u23CElines");
    state.preferences().setMode(AppState::Mode::general);
    state.folderScan().setScanRoot(folder);
    state.folderScan().setGeneralProgress({1, 1, folder});
    state.folderScan().setGeneralResult(FileTreeScanner::Result{});
    EXPECT_EQ(topBarOf(state, true, true, false).scannedFolder, shown);
    for (const bool scanning : {true, false}) {
        state.folderScan().setIsScanningFolder(scanning);
        const auto sidebar = generalSidebarContent(state.folderScan(), GeneralSection::explore, 0, {}, {});
        EXPECT_EQ(scanning ? sidebar.progressPath : sidebar.thisScan->path, shown);
    }
}

// In a narrow bar the crumbs keep the node on show and those just above it
// whole; the first one that no longer fits is cut short while a readable part
// of it fits, and those before it are left out (a chevron before the first
// one shown says the path goes on).
TEST(TopBarCrumbs, TheLastKeepWholeAndTheFirstGiveWay) {
    struct Case {
        int room;
        std::vector<int> shown;
    };
    // Crumbs 120, 60 and 150 wide, 16 for a chevron between two, 40 the narrowest readable crumb.
    const std::vector<int> whole{120, 60, 150};
    for (const Case& c : {Case{400, {120, 60, 150}}, Case{362, {120, 60, 150}}, Case{361, {119, 60, 150}},
                          Case{282, {40, 60, 150}}, Case{281, {0, 60, 150}}, Case{242, {0, 60, 150}},
                          Case{226, {0, 44, 150}}, Case{221, {0, 0, 150}}, Case{100, {0, 0, 84}},
                          Case{10, {0, 0, 40}}}) {
        SCOPED_TRACE(c.room);
        EXPECT_EQ(crumbWidths(whole, 16, 40, c.room), c.shown);
    }
    EXPECT_EQ(crumbWidths({150}, 16, 40, 100), (std::vector<int>{100}));
}

TEST_F(FrameContent, SidebarTexts) {
    AppState& state = launch();
    auto content = sidebarOf(state);
    EXPECT_EQ(content.scanTitle, platformWords::scanThisComputer);
    EXPECT_FALSE(content.sections) << "without a scan only the scan block";

    state.preferences().setMode(AppState::Mode::developer);
    state.loadDemonstrationScan();
    content = sidebarOf(state);
    ASSERT_TRUE(content.sections);
    const auto& sections = *content.sections;
    EXPECT_EQ(sections.currentView.title, "Developer storage");
    EXPECT_EQ(sections.currentView.subtitle,
              std::to_string(state.developer().scan()->projectCount) + " projects \u00B7 " +
                  std::to_string(state.developer().tree().children.size()) + " toolchains");
    EXPECT_FALSE(sections.currentView.revealEnabled);
    ASSERT_FALSE(sections.quickWins.empty());
    EXPECT_LE(sections.quickWins.size(), 7u);
    for (const auto& win : sections.quickWins) {
        const StorageNode* node = state.developer().tree().find(win.id);
        ASSERT_NE(node, nullptr);
        const std::size_t n = node->children.size();
        EXPECT_EQ(win.subtitle, std::string(title(*node->category)) + " \u00B7 " + std::to_string(n) +
                                    (n == 1 ? " item" : " items"));
    }
    EXPECT_EQ(sections.toolchains, footprintSegments(*state.developer().scan()));

    // A focused group with a path under home shows it with "~"; the row is highlighted.
    const std::string id = sections.quickWins.front().id;
    state.navigation().select(std::string_view(id));
    content = sidebarOf(state);
    EXPECT_TRUE(content.sections->quickWins.front().isFocused);
    EXPECT_EQ(content.sections->currentView.title, state.developer().tree().find(id)->name);

    auto scan = *state.developer().scan();
    scan.volume = {100, 300};
    state.developer().setScan(scan);
    EXPECT_EQ(sidebarOf(state).sections->disk.used, ByteFormat::string(0)) << "never below 0";
    scan.volume = VolumeInfo(1000, 300, 200);  // a reserve of 500 is neither used nor free
    state.developer().setScan(scan);
    EXPECT_EQ(sidebarOf(state).sections->disk.used, ByteFormat::string(200));
    EXPECT_EQ(sidebarOf(state).sections->disk.free, ByteFormat::string(300));
    state.navigation().setRoute(AppState::Route::scanning);
    EXPECT_EQ(sidebarOf(state).scanTitle, "Scanning\u2026");
    EXPECT_FALSE(sidebarOf(state).scanEnabled);
}

TEST_F(FrameContent, NodeMenuEntriesFollowWhatTheNodeHas) {
    AppState& state = developer();
    using Action = NodeActionEntry::Action;
    auto actions = [&](const StorageNode& node) {
        std::vector<std::optional<Action>> result;
        for (const auto& entry : nodeActionEntries(state.developer(), state.desktop(), node))
            result.push_back(entry.action);
        return result;
    };
    StorageNode bare;
    bare.id = "bare";
    EXPECT_EQ(actions(bare), (std::vector<std::optional<Action>>{Action::neverTouch}));

    const StorageNode& category = state.developer().tree().children.front();
    ASSERT_FALSE(state.developer().candidateIDs(category).empty());
    state.developer().setSelection({});
    auto entries = nodeActionEntries(state.developer(), state.desktop(), category);
    EXPECT_EQ(entries[0].title, "Clean this\u2026");
    EXPECT_EQ(entries[1].title, "Add to selection");
    EXPECT_FALSE(entries[2].action);
    EXPECT_EQ(entries[3].action, Action::focusHere);
    EXPECT_EQ(entries.back().title, "Never touch this");
    runNodeAction(state.developer(), state.navigation(), state.desktop(), Action::toggleSelection, category);
    EXPECT_EQ(nodeActionEntries(state.developer(), state.desktop(), category)[1].title,
              "Remove from selection");
}

}  // namespace
}  // namespace korvane
