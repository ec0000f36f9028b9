#include <gtest/gtest.h>

#include <filesystem>

#include "app/presenters/CanvasPageContent.h"
#include "app/presenters/InspectorContent.h"
#include "app/presenters/SummaryNode.h"
#include "app/state/ScanFollowsDisk.h"
#include "core/scanners/CocoaPodsScanner.h"
#include "core/scanners/FlutterScanner.h"
#include "core/scanners/NodeScanner.h"
#include "core/scanners/ReactNativeScanner.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"
#include "core/explorer/RemainderListing.h"
#include "tests/app/state/FlowFixture.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using Kind = StorageNode::Kind;
using Mode = AppState::Mode;

StorageNode node(std::string id, std::int64_t bytes, Kind kind = Kind::item,
                 std::optional<std::string> path = std::nullopt) {
    StorageNode made;
    made.id = id;
    made.name = std::move(id);
    made.bytes = bytes;
    made.kind = kind;
    made.path = std::move(path);
    return made;
}

std::vector<std::string> labels(const std::vector<InspectorDetailRow>& rows) {
    std::vector<std::string> result;
    for (const InspectorDetailRow& row : rows) result.push_back(row.label);
    return result;
}

std::string valueOf(const std::vector<InspectorDetailRow>& rows, const std::string& label) {
    for (const InspectorDetailRow& row : rows)
        if (row.label == label) return row.value;
    return "(absent)";
}

TEST(InspectorContent, KindLabels) {
    StorageNode managed = node("simulators", 5, Kind::item);
    managed.category = CleanupCategory::xcode;
    const std::pair<StorageNode, const char*> cases[] = {
        {node("root", 5, Kind::root), "Scan root"},
        {node("xcode", 5, Kind::category), "Toolchain"},
        {node("group", 5, Kind::group, "/home/u/folder"), "Group"},
        {node("file", 5, Kind::item, "/home/u/movie.mov"), "Folder"},
        {managed, "Managed by Xcode"},
        {node("images", 5, Kind::item), "Managed by tool"},
        {node("docker", 5, Kind::uninspected), "Not inspected"},
        {StorageNode::notOfferedNode(CategoryResult(CleanupCategory::node, 9, {}), 5), "Measured, not offered"},
    };
    for (const auto& [shown, label] : cases) EXPECT_EQ(inspectorKindLabel(shown), label) << shown.id;
}

TEST(InspectorContent, ShareOfTheScan) {
    struct Case {
        std::int64_t bytes;
        std::int64_t total;
        const char* share;
    };
    const Case cases[] = {
        {25, 100, "25.0% of scan"}, {100, 100, "100.0% of scan"}, {1, 3, "33.3% of scan"},
        {400, 30, "1333.3% of scan"}, {5, 0, "\u2014"},           {0, -4, "\u2014"},
    };
    for (const Case& c : cases) EXPECT_EQ(inspectorShare(node("n", c.bytes), c.total), c.share);
}

TEST(InspectorContent, DetailRowsOfAnItem) {
    const auto now = std::chrono::system_clock::now();
    StorageNode item = node("cache", 2'000'000, Kind::item, "/home/u/cache");
    item.reclaimable = 2'000'000;
    item.lastModified = now - std::chrono::hours(24 * 21);
    item.details = {{"Note", "kept"}, {"Items", "40"}, {"Matched on", "name"}};
    const auto rows = inspectorDetailRows(item, Mode::developer, std::nullopt, std::nullopt, now);
    // Reclaimable equals the size: no row; a detail key may repeat a fixed label.
    EXPECT_EQ(labels(rows), (std::vector<std::string>{"Size on disk", "Modified", "Items", "Matched on", "Note"}));
    EXPECT_EQ(valueOf(rows, "Size on disk"), "2 MB");
    EXPECT_EQ(valueOf(rows, "Modified"), "3 weeks ago");

    item.reclaimable = 0;
    item.lastModified.reset();
    item.details.clear();
    EXPECT_EQ(inspectorDetailRows(item, Mode::developer, std::nullopt, std::nullopt, now),
              (std::vector<InspectorDetailRow>{{"Size on disk", "2 MB"}, {"Reclaimable", "None"}}));
}

TEST(InspectorContent, DetailRowsOfAFolderScanRoot) {
    StorageNode root = node("/home/u", 4'000'000, Kind::root, "/home/u");
    for (int index = 0; index < 3; ++index) root.children.push_back(node("child" + std::to_string(index), 10));
    FileTreeScanner::Result result;
    result.duration = 1.26;
    result.fileCount = 12345;
    result.folderCount = 678;
    const auto now = std::chrono::system_clock::now();
    // No count of the tiles drawn: the walk's counts say what it holds.
    EXPECT_EQ(inspectorDetailRows(root, Mode::general, std::nullopt, result, now),
              (std::vector<InspectorDetailRow>{{"Size on disk", "4 MB"},
                                               {"Reclaimable", "None"},
                                               {"Scan time", "1.3s"},
                                               {"Files", "12,345"},
                                               {"Folders", "678"}}));
    // The scan rows follow the mode: a folder root in developer mode has none.
    EXPECT_EQ(labels(inspectorDetailRows(root, Mode::developer, std::nullopt, result, now)),
              (std::vector<std::string>{"Size on disk", "Reclaimable", "Items"}));
}

TEST(InspectorContent, AFolderScanRootSaysWhatTheScanLeftOutAndWhy) {
    const StorageNode root = node("/srv", 4'000'000, Kind::root, "/srv");
    const struct {
        std::int64_t unreadable, tooDeep, trash;
        std::vector<std::string> mounts;
        std::optional<std::string> leftOut;
    } cases[] = {
        {0, 0, 0, {}, std::nullopt},
        {1, 0, 0, {}, "1 folder it could not read, not counted"},
        {0, 3, 0, {}, "3 folders deeper than 40 levels, not counted"},
        {2, 1, 0, {}, "2 folders it could not read \u00B7 1 folder deeper than 40 levels, not counted"},
        {0, 0, 80'000'000, {}, "the Trash, 80 MB, not counted"},
        {1, 0, 80'000'000, {"/srv/ram"}, "the Trash, 80 MB \u00B7 /srv/ram, another file system \u00B7 "
                                         "1 folder it could not read, not counted"},
        {0, 0, 0, {"/srv/a", "/srv/b\nc"}, "/srv/a and /srv/b\u23CEc, other file systems, not counted"},
        {0, 0, 0, {Paths::home() + "/ram", "/srv/a", "/srv/b", "/srv/c"},
         "~/ram, /srv/a, /srv/b and 1 more, other file systems, not counted"},
        {0, 0, 0, {"/srv/b\nc"}, "/srv/b\u23CEc, another file system, not counted"},
    };
    for (const auto& c : cases) {
        FileTreeScanner::Result result;
        result.unreadableFolders = c.unreadable;
        result.tooDeepFolders = c.tooDeep;
        result.trashBytes = c.trash;
        result.mountPoints = c.mounts;
        const auto rows = inspectorDetailRows(root, Mode::general, std::nullopt, result, {});
        const auto found = std::find_if(
            rows.begin(), rows.end(), [](const InspectorDetailRow& row) { return row.label == "Left out"; });
        EXPECT_EQ(found == rows.end() ? std::nullopt : std::optional(found->value), c.leftOut)
            << c.unreadable << " " << c.tooDeep;
    }
}

// Another file system mounted in the scanned folder counts for nothing.
TEST(InspectorContent, AMountPointSaysItIsNotCounted) {
    StorageNode mount = node("/srv/ram", 0, Kind::group, "/srv/ram");
    mount.details = {{std::string(FileTreeScanner::mountPointDetail), "tmpfs"}};
    const auto rows = inspectorDetailRows(mount, Mode::general, std::nullopt, std::nullopt, {});
    EXPECT_EQ(rows, (std::vector<InspectorDetailRow>{{"Size on disk", "Not counted"}, {"Mount point", "tmpfs"}}));
}

TEST(InspectorContent, LargestInsideKeepsEightWithBarsOfTheLargest) {
    StorageNode parent = node("parent", 0, Kind::group);
    parent.category = CleanupCategory::docker;
    for (int index = 0; index < 20; ++index) parent.children.push_back(node("c" + std::to_string(index), index * 10));
    parent.children[3].bytes = 190;  // ties with c19: c3 comes first, as in the tree
    parent.children[5].category = CleanupCategory::xcode;
    parent.children[5].bytes = 0;
    const auto largest = largestInside(parent);
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->count, "20 items");
    std::vector<std::string> ids;
    for (const LargestInsideRow& row : largest->rows) ids.push_back(row.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"c3", "c19", "c18", "c17", "c16", "c15", "c14", "c13"}));
    EXPECT_EQ(largest->rows[0].barFraction, 1.0);
    EXPECT_EQ(largest->rows[2].barFraction, 180.0 / 190.0);
    EXPECT_EQ(largest->rows[0].bytes, ByteFormat::string(190));
    EXPECT_EQ(largest->rows[0].colorCategory, CleanupCategory::docker);
    EXPECT_EQ(largestInsideBarWidth(largest->rows[0], 200), 200);

    // A child of no size still gets the narrowest bar; its own category colours it.
    StorageNode few = node("few", 0, Kind::group);
    few.children = {node("big", 100), node("none", 0)};
    few.children[1].category = CleanupCategory::xcode;
    const auto two = largestInside(few);
    EXPECT_EQ(two->rows[1].barFraction, 0.0);
    EXPECT_EQ(largestInsideBarWidth(two->rows[1], 200), LargestInside::minimumBarWidth);
    EXPECT_EQ(two->rows[1].colorCategory, CleanupCategory::xcode);
    EXPECT_EQ(two->rows[0].colorCategory, CleanupCategory::node);
}

// A sum's parts lie in many folders and their names repeat: each row of a
// sum names its folder below the one all of them share.
TEST(InspectorContent, LargestInsideOfASumNamesEachPartsFolder) {
    const std::string sdk = "/home/u/.android/sdk/system-images/";
    StorageNode a = node(sdk + "android-34/google_apis/x86_64/system.img", 300, Kind::item,
                         sdk + "android-34/google_apis/x86_64/system.img");
    a.name = "system.img";
    StorageNode b = a;
    b.id = *(b.path = sdk + "android-33/google_apis/x86_64/system.img");
    b.bytes = 200;
    StorageNode rest = node(FileTreeScanner::remainderID(sdk + "android-33"), 100);
    rest.name = "8 smaller items";
    StorageNode speck = node("speck", 50);  // no place of its own
    const StorageNode* parts[] = {&a, &b, &rest, &speck};
    const StorageNode sum = summaryWithParts(summaryNode("/home/u/Buried", parts), parts);
    const auto largest = largestInside(sum, Mode::general);
    ASSERT_TRUE(largest);
    std::vector<std::string> names;
    for (const auto& row : largest->rows) names.push_back(row.name);
    EXPECT_EQ(names, (std::vector<std::string>{"system.img \u00B7 android-34/google_apis/x86_64",
                                               "system.img \u00B7 android-33/google_apis/x86_64",
                                               "8 smaller items \u00B7 android-33", "speck"}));
    EXPECT_EQ(largest->count, "3 items");
    // A folder's own rows share its place: their names stand alone.
    StorageNode folder = node("/home/u/x", 500, Kind::group, "/home/u/x");
    folder.children = {a, b};
    EXPECT_EQ(largestInside(folder, Mode::general)->rows[1].name, "system.img");
}

TEST(InspectorContent, LargestInsideOfEmptyChildrenDrawsNoBars) {
    StorageNode parent = node("parent", 0, Kind::group);
    parent.children = {node("a", 0), node("b", 0)};
    const auto largest = largestInside(parent);
    ASSERT_TRUE(largest);
    ASSERT_EQ(largest->rows.size(), 2u);
    for (const LargestInsideRow& row : largest->rows) {
        EXPECT_FALSE(row.barFraction) << row.id;
        EXPECT_EQ(largestInsideBarWidth(row, 200), 0);
    }
    EXPECT_FALSE(largestInside(node("leaf", 10)));
}

class InspectorState : public testing::FlowFixture {
protected:
    std::optional<InspectorContent> inspect() {
        return inspectorContent(state().navigation(), state().developer(), state().folderScan(),
                                state().preferences().mode(), clock_.moment);
    }
};

TEST_F(InspectorState, DeveloperRootShowsTheScansFacts) {
    launch({"--screen", "explore", "--mode", "developer"});
    ASSERT_TRUE(state().developer().scan());
    const auto content = inspect();
    ASSERT_TRUE(content);
    EXPECT_EQ(content->kindLabel, "Scan root");
    EXPECT_EQ(content->tileSymbol, "internaldrive");
    EXPECT_EQ(content->tileCategory, CleanupCategory::node);
    EXPECT_FALSE(content->pathLine);
    EXPECT_EQ(content->share, "100.0% of scan");
    EXPECT_FALSE(content->canReveal);
    EXPECT_TRUE(content->canFocus);
    const auto& rows = content->details;
    std::vector<std::string> expected = {"Size on disk"};
    if (state().developer().tree().reclaimable != state().developer().tree().bytes)
        expected.push_back("Reclaimable");
    for (const char* label : {"Items", "Scanned", "Scan time", "Projects found", "Toolchains", "Free space", "Not installed"})
        expected.push_back(label);
    EXPECT_EQ(labels(rows), expected);
    EXPECT_EQ(valueOf(rows, "Items"), "5");  // five candidates; what toolchains hold beyond them is no item
    EXPECT_EQ(valueOf(rows, "Scanned"), "Now");
    EXPECT_EQ(valueOf(rows, "Scan time"), "21.4s");
    EXPECT_EQ(valueOf(rows, "Projects found"), "62");
    EXPECT_EQ(valueOf(rows, "Toolchains"), "3 of 9");
    EXPECT_EQ(valueOf(rows, "Free space"), "18.4 GB");
    EXPECT_EQ(valueOf(rows, "Not installed"), "Flutter");
    ASSERT_TRUE(content->largest);
    EXPECT_EQ(content->largest->count, "3 toolchains");

    // A toolchain's rows are its groups; its items are counted further down.
    const StorageNode& category = state().developer().tree().children.front();
    state().navigation().setSelectedID(category.id);
    const auto toolchain = inspect();
    EXPECT_EQ(valueOf(toolchain->details, "Items"), std::to_string(category.leafCount() - 1));  // less "Not offered"
    EXPECT_EQ(toolchain->largest->count,
              std::to_string(category.children.size()) + (category.children.size() == 1 ? " group" : " groups"));
}

// After a cleanup took every Node.js item, Node.js is still installed: it
// has nothing to clean. Docker, not looked into, says why.
TEST_F(InspectorState, ACleanedToolHasNothingToCleanAndIsStillInstalled) {
    launch({"--screen", "explore", "--mode", "developer"});
    ScanResult scan = *state().developer().scan();
    DiskChange cleanup;
    for (const CategoryResult& result : scan.categories)
        if (result.category == CleanupCategory::node)
            for (const CleanupCandidate& candidate : result.candidates)
                cleanup.left.push_back({candidate.path, candidate.size, candidate.id, false});
    ASSERT_FALSE(cleanup.left.empty());
    std::vector<CleanupCandidate> dropped;
    ScanFollowsDisk::apply(scan, cleanup, dropped);
    for (CategoryResult& result : scan.categories)
        if (result.category == CleanupCategory::docker) result = {CleanupCategory::docker, 0, {}, "Docker is not running."};
    state().developer().setScan(scan);

    const auto rows = inspect()->details;
    EXPECT_EQ(valueOf(rows, "Not installed"), "Flutter");
    EXPECT_EQ(valueOf(rows, "Nothing to clean"), "Node.js");
    EXPECT_EQ(valueOf(rows, "Docker"), "Docker is not running.");
}

// Under a filter the inspector shows the node as the canvas and its header
// do: one size and one count for one thing on the screen.
TEST_F(InspectorState, TheFilteredRootReadsAlikeInTheHeaderAndTheInspector) {
    launch({"--screen", "explore", "--mode", "developer"});
    state().navigation().setSelectedID("root");
    for (const char* filter : {"", "atlas"}) {
        SCOPED_TRACE(filter);
        state().navigation().setSearchText(filter);
        const DeveloperCanvasContent header = developerCanvasContent(state().navigation(), state().developer());
        const auto content = inspect();
        ASSERT_TRUE(content);
        EXPECT_EQ(valueOf(content->details, "Size on disk"), header.bytes);
        EXPECT_EQ(valueOf(content->details, "Items") + " items", header.items);
    }
    EXPECT_NE(valueOf(inspect()->details, "Size on disk"), ByteFormat::string(state().developer().tree().bytes));
}

TEST_F(InspectorState, DeveloperRootNamesTheCategoriesSwitchedOff) {
    launch({"--screen", "explore", "--mode", "developer"});
    ScanResult scan = *state().developer().scan();
    scan.switchedOff = {CleanupCategory::docker, CleanupCategory::toolchains};
    state().developer().setScan(scan);
    state().developer().rebuildDeveloperTree();
    state().navigation().setSelectedID("root");
    const auto content = inspect();
    ASSERT_TRUE(content);
    EXPECT_EQ(valueOf(content->details, "Switched off"), "Docker, Toolchains");
}

TEST_F(InspectorState, ShareAndCleanupButtonOfAnItem) {
    launch({"--screen", "explore", "--mode", "developer"});
    const StorageNode& category = state().developer().tree().children.front();
    const StorageNode* item = category.leaves().front();
    state().navigation().setSelectedID(item->id);
    auto content = inspect();
    ASSERT_TRUE(content);
    EXPECT_EQ(content->share, inspectorShare(*item, state().developer().tree().bytes));
    EXPECT_EQ(content->pathLine, "~/Developer/" + item->name);
    EXPECT_TRUE(content->canReveal);
    EXPECT_FALSE(content->canFocus);
    ASSERT_TRUE(content->reason);
    EXPECT_EQ(content->reason->safety, item->safety);
    EXPECT_EQ(content->reason->restoreHint, "Rebuilt automatically");
    EXPECT_EQ(content->reclaimable, ByteFormat::string(item->reclaimable) + " reclaimable");
    const bool selected = state().developer().isSelected(*item);
    EXPECT_EQ(content->cleanupTitle, selected ? "Remove from cleanup" : "Add to cleanup");
    EXPECT_EQ(content->cleanupSymbol, selected ? "minus.circle" : "trash");
    EXPECT_TRUE(content->showsCleanup);
    state().developer().toggleSelection(*item);
    content = inspect();
    EXPECT_EQ(content->cleanupTitle, selected ? "Add to cleanup" : "Remove from cleanup");
    EXPECT_TRUE(content->cleanupEnabled);
}

TEST_F(InspectorState, GeneralModeShareIsOfTheFolderScan) {
    launch({"--screen", "explore", "--mode", "developer"});
    ASSERT_GT(state().developer().tree().bytes, 0);
    FileTreeScanner::Result result;
    result.root = node(home_, 400, Kind::root, home_);
    result.root.children = {node(home_ + "/Movies", 100, Kind::group, home_ + "/Movies")};
    state().folderScan().setGeneralResult(result);
    state().preferences().setMode(Mode::general);
    state().navigation().setSelectedID(home_ + "/Movies");
    const auto content = inspect();
    ASSERT_TRUE(content);
    EXPECT_EQ(content->share, "25.0% of scan");
    EXPECT_EQ(content->pathLine, "~/Movies");
    EXPECT_EQ(content->kindLabel, "Folder");
    EXPECT_FALSE(content->reclaimable);
    EXPECT_FALSE(content->cleanupEnabled);
    EXPECT_FALSE(content->showsCleanup) << "the page's own Remove is the way in general mode";

    // Without a folder scan there is nothing to show in general mode.
    state().folderScan().setGeneralResult(std::nullopt);
    EXPECT_FALSE(inspect());
    EXPECT_EQ(inspectorEmptyState(Mode::general).message,
              "Pick a tile to see what it is, how big it is, and what is inside it.");
    EXPECT_EQ(inspectorEmptyState(Mode::developer).message,
              "Pick a tile, a bar or a row to see what it is, why it is safe to remove, and how to get it back.");
}

// In general mode "Never touch this" stops removal and keeps nothing out of
// the folder scan: the button says so, a press is answered, and the node
// and all inside it show the mark.
TEST_F(InspectorState, NeverTouchInGeneralModeSaysWhatItDoesAnswersAndShowsTheMark) {
    launch({"--screen", "explore", "--mode", "developer"});
    EXPECT_EQ(inspect()->neverTouchHelp, "Keep this out of every future scan");
    FileTreeScanner::Result result;
    result.root = node(home_, 400, Kind::root, home_);
    StorageNode movies = node(home_ + "/Movies", 300, Kind::group, home_ + "/Movies");
    movies.name = "Movies";
    movies.children = {node(home_ + "/Movies/a.mov", 300, Kind::item, home_ + "/Movies/a.mov")};
    result.root.children = {movies, node(home_ + "/notes.txt", 100, Kind::item, home_ + "/notes.txt")};
    state().folderScan().setGeneralResult(result);
    state().preferences().setMode(Mode::general);
    state().navigation().setSelectedID(home_ + "/Movies");
    auto content = inspect();
    ASSERT_TRUE(content);
    EXPECT_EQ(content->neverTouchHelp,
              "Never remove this or anything in it. It stays in the folder scan, as it is on disk.");
    EXPECT_TRUE(content->neverTouchEnabled);
    EXPECT_EQ(valueOf(content->details, "Never touch"), "(absent)");

    state().developer().neverTouch(*state().navigation().selectedNode());
    EXPECT_EQ(state().developer().errorMessage(),
              "\u201CMovies\u201D is marked Never touch: Korvane will not remove it or anything in it. It stays "
              "in the folder scan, as it is on disk. Settings \u203A Automation lists what is marked.");
    for (const std::string& path : {home_ + "/Movies", home_ + "/Movies/a.mov"}) {
        SCOPED_TRACE(path);
        state().navigation().setSelectedID(path);
        content = inspect();
        ASSERT_TRUE(content) << "the folder scan keeps what is marked";
        EXPECT_FALSE(content->neverTouchEnabled);
        EXPECT_EQ(valueOf(content->details, "Never touch"), "Marked: Korvane will not remove it");
    }
    state().navigation().setSelectedID(home_ + "/notes.txt");
    EXPECT_TRUE(inspect()->neverTouchEnabled);
}

// A file has nothing in it: its mark says only what it does to the file.
TEST_F(InspectorState, NeverTouchOnAFileSaysWhatItDoesToTheFileAlone) {
    launch({"--screen", "explore", "--mode", "general"});
    FileTreeScanner::Result result;
    result.root = node(home_, 100, Kind::root, home_);
    StorageNode notes = node(home_ + "/notes.txt", 100, Kind::item, home_ + "/notes.txt");
    notes.name = "notes.txt";
    result.root.children = {notes};
    state().folderScan().setGeneralResult(result);
    state().navigation().setSelectedID(home_ + "/notes.txt");
    ASSERT_TRUE(inspect());
    EXPECT_EQ(inspect()->neverTouchHelp, "Never remove this. It stays in the folder scan, as it is on disk.");
    state().developer().neverTouch(*state().navigation().selectedNode());
    EXPECT_EQ(state().developer().errorMessage(),
              "\u201Cnotes.txt\u201D is marked Never touch: Korvane will not remove it. It stays in the folder "
              "scan, as it is on disk. Settings \u203A Automation lists what is marked.");
}

// In general mode the inspector says what each node of the folder scan is and
// counts what the walk counted inside it, never the tiles drawn.
TEST_F(InspectorState, GeneralModeNamesFoldersFilesAndSumsAndCountsWhatTheWalkCounted) {
    launch({"--screen", "explore", "--mode", "developer"});
    FileTreeScanner::Result result;
    result.root = node(home_, 4000, Kind::root, home_);
    result.root.name = "~";
    result.fileCount = result.root.fileCount = 5279;
    result.folderCount = result.root.folderCount = 310;
    StorageNode downloads = node(home_ + "/Downloads", 3000, Kind::group, home_ + "/Downloads");
    downloads.fileCount = 40;
    downloads.folderCount = 2;
    StorageNode iso = node(home_ + "/Downloads/debian-12-amd64-netinst.iso", 2000, Kind::item,
                           home_ + "/Downloads/debian-12-amd64-netinst.iso");
    iso.name = "debian-12-amd64-netinst.iso";
    StorageNode rest = node(FileTreeScanner::remainderID(home_ + "/Downloads"), 1000);
    rest.name = "39 smaller items";
    rest.fileCount = 39;
    rest.folderCount = 2;
    rest.details = {{"Items", "39"}};
    downloads.children = {iso, rest};
    result.root.children = {downloads};
    state().folderScan().setGeneralResult(result);
    state().preferences().setMode(Mode::general);

    const struct {
        std::string id;
        const char* kind;
        const char* symbol;
        std::optional<std::string> path;
        std::vector<InspectorDetailRow> counts;  // the rows after "Reclaimable"
        std::optional<std::string> largestCount;
    } cases[] = {
        // The home itself: its name is "~", so the path line says where that is.
        {home_,
         "Scan root",
         "internaldrive",
         home_,
         {{"Scan time", "0.0s"}, {"Files", "5,279"}, {"Folders", "310"}},
         "5,589 items"},
        {home_ + "/Downloads",
         "Folder",
         "folder",
         "~/Downloads",
         {{"Files", "40"}, {"Folders", "2"}},
         "42 items"},
        {iso.id, "Disk image", "opticaldisc", "~/Downloads/debian-12-amd64-netinst.iso", {}, std::nullopt},
        {rest.id,
         "Smaller items",
         "square.stack.3d.up",
         std::nullopt,
         {{"Files", "39"}, {"Folders", "2"}, {"Items", "39"}},
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        state().navigation().setSelectedID(c.id);
        const auto content = inspect();
        ASSERT_TRUE(content);
        EXPECT_EQ(content->kindLabel, c.kind);
        EXPECT_EQ(content->tileSymbol, c.symbol);
        EXPECT_EQ(content->pathLine, c.path);
        ASSERT_GE(content->details.size(), 2u);
        EXPECT_EQ(std::vector<InspectorDetailRow>(content->details.begin() + 2, content->details.end()),
                  c.counts);
        EXPECT_EQ(content->largest ? std::optional(content->largest->count) : std::nullopt, c.largestCount);
        // Every one of them lies in a folder that can be shown, the smaller items in theirs.
        EXPECT_EQ(content->canReveal, c.path.has_value());
        EXPECT_TRUE(content->canShowFolder);
    }
}

// The packager's and the pods' caches were all that showed those tools here:
// once Korvane cleaned them, the tools have nothing to clean, they are not
// uninstalled; a put back brings their caches back on offer.
TEST_F(InspectorState, ToolsWhoseCachesWereCleanedAreNotCalledNotInstalled) {
    const std::string temporary = tree_.folder("tmp");
    testing::ScopedEnv cacheHome("XDG_CACHE_HOME", std::nullopt);
    testing::ScopedEnv tmpdir("TMPDIR", temporary);
    tree_.file("tmp/metro-cache/0a/entry", 2 * 1048576);
    tree_.file("home/.cache/CocoaPods/Pods/Release/entry", 2 * 1048576);
    scanners_ = [temporary] {
        ScannerEngine::Scanners scanners;
        scanners.push_back(std::make_unique<ReactNativeScanner>(temporary));
        scanners.push_back(std::make_unique<CocoaPodsScanner>());
        scanners.push_back(std::make_unique<FlutterScanner>());
        return scanners;
    };
    launch();
    const auto shown = [this] {
        EXPECT_TRUE(testing::waitUntil([&] {
            return state().developer().trashWork() == TrashWork::none && !state().developer().isScanning() &&
                   state().navigation().route() == Route::explore;
        }));
        state().navigation().setSelectedID(Mode::developer, "root");
        const auto content = inspect();
        return content ? content->details : std::vector<InspectorDetailRow>{};
    };
    const auto scanned = [&] {
        state().developer().startScan();
        return shown();
    };
    EXPECT_EQ(valueOf(scanned(), "Not installed"), "Flutter");
    std::set<UUID> all;
    for (const CleanupCandidate& candidate : state().developer().allCandidates()) all.insert(candidate.id);
    ASSERT_EQ(all.size(), 2u);
    state().developer().setSelection(all);
    state().preferences().setDisposalOverride(Disposal::trash);
    state().developer().startCleanup();
    ASSERT_TRUE(testing::waitUntil([&] { return state().navigation().route() == Route::finished; }));
    ASSERT_FALSE(std::filesystem::exists(temporary + "/metro-cache"));

    const auto cleaned = scanned();
    EXPECT_EQ(valueOf(cleaned, "Not installed"), "Flutter");
    EXPECT_EQ(valueOf(cleaned, "Nothing to clean"), "React Native, CocoaPods");

    // The put back takes a new scan itself.
    state().developer().restoreFromTrash();
    const auto back = shown();
    ASSERT_TRUE(std::filesystem::exists(temporary + "/metro-cache"));
    EXPECT_EQ(valueOf(back, "Not installed"), "Flutter");
    EXPECT_EQ(state().developer().allCandidates().size(), 2u);
}

// A scan keeps dates, not phrases: shown a week after it ran, an item says so.
TEST_F(InspectorState, AScanShownLaterSaysHowLongAgoItIsThen) {
    tree_.text("home/projects/web/package.json", "{}");
    tree_.file("home/projects/web/node_modules/x/y", 2 * 1048576);
    scanners_ = [] { ScannerEngine::Scanners all; all.push_back(std::make_unique<NodeScanner>()); return all; };
    launch().developer().startScan();
    ASSERT_TRUE(testing::waitUntil([&] { return state().navigation().route() == Route::explore; }));
    const auto candidates = state().developer().allCandidates();
    ASSERT_EQ(candidates.size(), 1u);
    state().navigation().setSelectedID(Mode::developer, candidates[0].id.text());
    clock_.moment += std::chrono::hours(24 * 8);
    const auto content = inspect();
    ASSERT_TRUE(content && content->reason);
    EXPECT_EQ(valueOf(content->details, "Last activity"), "Last week");
    EXPECT_TRUE(content->reason->reason.starts_with("Dependencies for a project you worked on last week."))
        << content->reason->reason;
}

TEST_F(InspectorState, ALineBreakInANameOrPathIsShownNotFollowed) {
    launch({"--screen", "explore", "--mode", "developer"});
    const std::string folderPath = home_ + "/nl\nproj";
    FileTreeScanner::Result result;
    result.root = node(home_, 30, Kind::root, home_);
    result.root.name = "~";
    StorageNode folder = node(folderPath, 30, Kind::group, folderPath);
    folder.name = "nl\nproj";
    StorageNode file = node(folderPath + "/a\tb", 20, Kind::item, folderPath + "/a\tb");
    file.name = "a\tb";
    folder.children = {file, node(folderPath + "/c", 10, Kind::item, folderPath + "/c")};
    result.root.children = {folder};
    state().folderScan().setGeneralResult(result);
    state().preferences().setMode(Mode::general);
    state().navigation().setSelectedID(folderPath);
    const auto content = inspect();
    ASSERT_TRUE(content);
    EXPECT_EQ(content->name, "nl\u23CEproj");
    EXPECT_EQ(content->pathLine, "~/nl\u23CEproj");
    ASSERT_TRUE(content->largest);
    EXPECT_EQ(content->largest->rows[0].name, "a\u21E5b");
}

TEST_F(InspectorState, FallsBackToTheFocusedNodeThenToNothing) {
    launch({"--screen", "explore", "--mode", "developer"});
    const StorageNode& category = state().developer().tree().children.front();
    state().navigation().select(category);
    state().navigation().setSelectedID("gone");
    const auto content = inspect();
    ASSERT_TRUE(content);
    EXPECT_EQ(content->nodeID, category.id);
    EXPECT_EQ(content->kindLabel, "Toolchain");
    state().navigation().setFocusedID(std::nullopt);
    EXPECT_FALSE(inspect());
}

// A canvas's sum counts what its parts hold, an opened remainder the entries it sums.
TEST(InspectorContent, ASumsCountsAgreeOnAScannedTree) {
    testing::TempTree tree;
    tree.file("Downloads/big.iso", 5'000'000);
    for (const char* name : {"a", "b", "old/c", "old/d", "old/deeper/e"}) tree.file(std::string("Downloads/") + name);
    FileTreeScanner::Options options;
    options.maxChildren = 1;  // the folder "old" is summed too
    FileTreeScanner::Result result = FileTreeScanner(options).scan(tree.root());
    const std::string rest = FileTreeScanner::remainderID(tree.path("Downloads"));
    ASSERT_TRUE(
        RemainderListing::graft(result, *RemainderListing::read(tree.path("Downloads"), {"big.iso"}, rest, options)));
    std::vector<const StorageNode*> parts;  // Downloads's
    for (const StorageNode& child : result.root.children.front().children) parts.push_back(&child);
    EXPECT_EQ(largestInside(summaryWithParts(summaryNode("/x", parts), parts), Mode::general)->count, "8 items");
    EXPECT_EQ(largestInside(*result.root.find(rest), Mode::general)->count, "3 items");
}

}  // namespace
}  // namespace korvane
