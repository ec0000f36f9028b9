#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/presenters/CanvasPageContent.h"
#include "core/text/ByteFormat.h"
#include "tests/app/state/FlowFixture.h"

// The header, crumbs and footer states of the two canvas pages.

namespace korvane {
namespace {

StorageNode folder(std::string path, std::string name, std::int64_t bytes, std::vector<StorageNode> children = {}) {
    StorageNode node;
    node.id = path;
    node.path = std::move(path);
    node.name = std::move(name);
    node.bytes = bytes;
    node.kind = StorageNode::Kind::group;
    node.children = std::move(children);
    return node;
}

class CanvasPageContentTest : public testing::FlowFixture {};

TEST_F(CanvasPageContentTest, GeneralHeaderNamesTheFolderOnShowBelowCrumbsBackToEachFolderAbove) {
    AppState& state = launch();
    state.preferences().setMode(AppState::Mode::general);
    const std::string src = home_ + "/src";
    FileTreeScanner::Result result;
    result.root = folder(src, "~/src", 3000,
                         {folder(src + "/a b", "a b", 2000, {folder(src + "/a b/<i>", "<i>", 1500, {StorageNode{}})})});
    result.root.kind = StorageNode::Kind::root;
    result.fileCount = 1;
    // Below the root, each folder's own count from the walk.
    result.root.children[0].fileCount = 1234;
    result.root.children[0].children[0].fileCount = 1;
    state.folderScan().setGeneralResult(result);

    const struct {
        std::optional<std::string> focus;
        std::vector<std::string> crumbs;  // name, then help, for each
        std::string name;
        std::int64_t bytes;
        std::string files;
    } cases[] = {
        {std::nullopt, {}, "~/src", 3000, "1 file"},
        {src + "/a b", {"~/src", "Go to ~/src"}, "a b", 2000, "1,234 files"},
        {src + "/a b/<i>", {"~/src", "Go to ~/src", "a b", "Go to ~/src/a b"}, "<i>", 1500, "1 file"},
        {"/gone", {}, "~/src", 3000, "1 file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.focus.value_or("(none)"));
        state.navigation().setFocusedID(c.focus);
        const auto content = generalCanvasContent(state.navigation(), state.folderScan());
        std::vector<std::string> crumbs;
        for (const auto& crumb : content.crumbs) {
            crumbs.push_back(crumb.name);
            crumbs.push_back(crumb.help);
            EXPECT_NE(state.folderScan().generalRoot()->find(crumb.id), nullptr);
        }
        EXPECT_EQ(crumbs, c.crumbs);
        EXPECT_EQ(content.name, c.name);
        EXPECT_EQ(content.root->name, c.name);
        EXPECT_EQ(content.bytes, ByteFormat::string(c.bytes));
        EXPECT_EQ(content.files, c.files);
    }
    result.fileCount = 12345;
    state.folderScan().setGeneralResult(result);
    state.navigation().setFocusedID(std::nullopt);
    EXPECT_EQ(generalCanvasContent(state.navigation(), state.folderScan()).files, "12,345 files");
}

TEST_F(CanvasPageContentTest, AFolderNamedWithALineBreakReadsAsOneLineInTheHeaderAndItsCrumbs) {
    AppState& state = launch();
    state.preferences().setMode(AppState::Mode::general);
    const std::string top = home_ + "/a\nb";
    FileTreeScanner::Result result;
    result.root = folder(top, "a\nb", 20, {folder(top + "/c", "c", 10, {StorageNode{}})});
    result.root.kind = StorageNode::Kind::root;
    state.folderScan().setGeneralResult(result);
    state.navigation().setFocusedID(top + "/c");
    const auto content = generalCanvasContent(state.navigation(), state.folderScan());
    ASSERT_EQ(content.crumbs.size(), 1u);
    EXPECT_EQ(content.crumbs[0].name, "a\u23CEb");
    EXPECT_EQ(content.crumbs[0].help, "Go to ~/a\u23CEb");
    state.navigation().setFocusedID(std::nullopt);
    EXPECT_EQ(generalCanvasContent(state.navigation(), state.folderScan()).name, "a\u23CEb");
}

// A rescan of a folder that has since gone must not read as an empty folder.
TEST_F(CanvasPageContentTest, AGeneralScanOfAFolderItCouldNotOpenSaysSoInsteadOfDrawingNothing) {
    AppState& state = launch();
    state.preferences().setMode(AppState::Mode::general);
    const std::string empty = home_ + "/empty";
    ASSERT_EQ(::mkdir(empty.c_str(), 0755), 0);
    const struct {
        std::string root;
        GeneralCanvasContent::Body body;
        std::string message;
    } cases[] = {
        {empty, GeneralCanvasContent::Body::tree, ""},
        {home_ + "/gone", GeneralCanvasContent::Body::unreadable,
         "~/gone is no longer there, or may not be read, so nothing in it was counted. Rescan once it is "
         "back, "
         "or choose another folder."},
        {"/proc", GeneralCanvasContent::Body::unreadable,
         "/proc holds the kernel\u2019s own files (proc), which are not scanned. Choose another folder."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.root);
        state.folderScan().setGeneralResult(FileTreeScanner().scan(c.root));
        const auto content = generalCanvasContent(state.navigation(), state.folderScan());
        EXPECT_EQ(content.body, c.body);
        EXPECT_EQ(content.unreadableMessage, c.message);
    }
}

TEST_F(CanvasPageContentTest, AnEmptyDeveloperScanCountsNoItemAndOffersNoSafePick) {
    AppState& state = launch({"--screen", "explore", "--mode", "developer"});
    auto demonstration = developerCanvasContent(state.navigation(), state.developer());
    EXPECT_TRUE(demonstration.selectSafeEnabled);
    EXPECT_TRUE(demonstration.items.ends_with(" items"));

    state.developer().setScan(ScanResult{});
    state.developer().setShowsProtected(state.developer().showsProtected());  // the tree follows the new scan
    const auto content = developerCanvasContent(state.navigation(), state.developer());
    // The header stands above "Nothing here to clean": the bare root is no item.
    EXPECT_EQ(content.body, DeveloperCanvasContent::Body::nothingHere);
    EXPECT_EQ(content.items, "0 items");
    EXPECT_EQ(content.bytes, ByteFormat::string(0));
    EXPECT_FALSE(content.selectSafeEnabled);

    ScanResult cautious;
    CategoryResult category;
    category.category = CleanupCategory::node;
    CleanupCandidate candidate;
    candidate.safety = SafetyLevel::caution;
    candidate.size = 10;
    category.candidates.push_back(candidate);
    cautious.categories.push_back(category);
    state.developer().setScan(cautious);
    state.developer().setShowsProtected(state.developer().showsProtected());
    EXPECT_FALSE(developerCanvasContent(state.navigation(), state.developer()).selectSafeEnabled);
}

TEST_F(CanvasPageContentTest, BeforeAnyDeveloperScanThePageSaysSoRatherThanNothingToClean) {
    AppState& state = launch({"--mode", "developer"});
    ASSERT_FALSE(state.developer().hasScan());
    const auto before = developerCanvasContent(state.navigation(), state.developer());
    EXPECT_EQ(before.body, DeveloperCanvasContent::Body::notScanned);
    EXPECT_FALSE(before.showsFigures);  // not "0 KB · 1 item"
    EXPECT_FALSE(before.reclaimable);

    // A scan that found nothing is measured: that one has nothing to clean.
    state.developer().setScan(ScanResult{});
    state.developer().rebuildDeveloperTree();
    const auto after = developerCanvasContent(state.navigation(), state.developer());
    EXPECT_EQ(after.body, DeveloperCanvasContent::Body::nothingHere);
    EXPECT_TRUE(after.showsFigures);
}

// "Nothing matches" draws nothing, so the header counts nothing either, also
// with a category opened that the filter hides.
TEST_F(CanvasPageContentTest, AFilterThatMatchesNothingLeavesNoFiguresAboveTheEmptyCanvas) {
    AppState& state = launch({"--screen", "explore", "--mode", "developer"});
    const std::optional<std::string> focuses[] = {std::nullopt, "docker"};
    for (const auto& focus : focuses) {
        SCOPED_TRACE(focus.value_or("root"));
        state.navigation().setSearchText({});
        state.navigation().setFocusedID(focus);
        ASSERT_TRUE(developerCanvasContent(state.navigation(), state.developer()).showsFigures);
        state.navigation().setSearchText("no name holds this");
        const auto content = developerCanvasContent(state.navigation(), state.developer());
        EXPECT_EQ(content.body, DeveloperCanvasContent::Body::noMatch);
        EXPECT_FALSE(content.showsFigures);
        EXPECT_FALSE(content.reclaimable);
    }
}

// The footer counts what the review would list, and says what frees space when.
TEST_F(CanvasPageContentTest, TheFooterCountsWhatTheReviewListsAndFreesOnlyWhatLeavesAtOnce) {
    AppState& state = launch({"--mode", "developer"});
    const auto make = [](SafetyLevel safety, std::int64_t size) {
        CleanupCandidate candidate;
        candidate.id = UUID::random();
        candidate.path = "/home/u/" + candidate.id.text();
        candidate.safety = safety;
        candidate.size = size;
        return candidate;
    };
    const CleanupCandidate safe = make(SafetyLevel::safe, 110'000'000);
    const CleanupCandidate cautious = make(SafetyLevel::caution, 5'600'000'000);
    ScanResult scan;
    scan.volume = VolumeInfo(200'000'000'000, 78'400'000'000);
    scan.categories.push_back(CategoryResult(CleanupCategory::node, 0, {safe, cautious}));
    state.developer().setScan(scan);
    state.developer().rebuildDeveloperTree();

    // An id that names no candidate any more (a staged item since forgotten) is no selected item.
    state.developer().setSelection({safe.id, cautious.id, UUID::random()});
    auto content = developerCanvasContent(state.navigation(), state.developer());
    EXPECT_EQ(content.selectedCount, "2 selected");
    EXPECT_EQ(content.selectedBytes, "5.71 GB");
    EXPECT_EQ(content.reviewTitle, "Review 5.71 GB");
    EXPECT_EQ(content.freeSpace, "Free 78.40 GB \u2192 78.51 GB");
    EXPECT_EQ(content.freeSpaceOnceEmptied, "+5.6 GB once the Trash is emptied");
    state.preferences().setDisposalOverride(Disposal::delete_);
    content = developerCanvasContent(state.navigation(), state.developer());
    EXPECT_EQ(content.freeSpace, "Free 78.40 GB \u2192 84.11 GB");
    EXPECT_FALSE(content.freeSpaceOnceEmptied);

    state.developer().setSelection({UUID::random()});
    content = developerCanvasContent(state.navigation(), state.developer());
    EXPECT_EQ(content.selectedCount, "0 selected");
    EXPECT_EQ(content.reviewTitle, "Review 0 KB");
    EXPECT_FALSE(content.reviewEnabled);
}

TEST_F(CanvasPageContentTest, AnEmptyPageNamesTheCategoriesThatWereSwitchedOff) {
    AppState& state = launch({"--mode", "developer"});
    struct Case {
        std::vector<CleanupCategory> off;
        std::string message;
    };
    const Case cases[] = {
        {{}, DeveloperCanvasContent::nothingHereText},
        {{CleanupCategory::toolchains},
         "Toolchains was switched off in Settings, so this scan did not look at it."},
        {{CleanupCategory::docker, CleanupCategory::toolchains},
         "Docker and Toolchains were switched off in Settings, so this scan did not look at them."},
        {{CleanupCategory::xcode, CleanupCategory::docker, CleanupCategory::toolchains},
         "Xcode, Docker and Toolchains were switched off in Settings, so this scan did not look at them."},
    };
    for (const auto& c : cases) {
        ScanResult scan;
        scan.switchedOff = c.off;
        state.developer().setScan(scan);
        state.developer().rebuildDeveloperTree();
        const auto content = developerCanvasContent(state.navigation(), state.developer());
        EXPECT_EQ(content.body, DeveloperCanvasContent::Body::nothingHere);
        EXPECT_EQ(content.nothingHereMessage, c.message);
    }
}

}  // namespace
}  // namespace korvane
