#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

class AppStateNavigationTest : public testing::FlowFixture {
protected:
    // The demonstration scan in the developer explorer, default selection made.
    AppState& explore() { return launch({"--mode", "developer", "--screen", "explore"}); }
    static const StorageNode& node(const AppState& state, std::string_view id) {
        const auto* found = state.tree().find(id);
        EXPECT_NE(found, nullptr) << id;
        return found ? *found : state.tree();
    }
    static const StorageNode& item(const AppState& state, const std::string& title) {
        for (const auto* leaf : state.tree().leaves())
            if (leaf->name == title) return *leaf;
        ADD_FAILURE() << title;
        return state.tree();
    }
};

TEST_F(AppStateNavigationTest, SelectingFocusesFoldersButNotLeaves) {
    AppState& state = explore();
    EXPECT_EQ(state.selectedID(), "root");
    EXPECT_EQ(state.focusedNode(), nullptr);

    state.select("node");
    EXPECT_EQ(state.focusedID(), "node");
    ASSERT_EQ(state.breadcrumb().size(), 2u);
    EXPECT_EQ(state.breadcrumb()[1]->id, "node");
    state.select(item(state, "atlas-api").id);
    EXPECT_EQ(state.focusedID(), "node");  // a leaf changes the inspector only
    EXPECT_EQ(state.selectedNode()->name, "atlas-api");
    state.select(std::string_view("root"));
    EXPECT_EQ(state.focusedID(), std::nullopt);
    EXPECT_EQ(state.breadcrumb().size(), 1u);
    state.select("no such node");
    EXPECT_EQ(state.selectedID(), "root");
}

TEST_F(AppStateNavigationTest, FilterNarrowsTheFocusButNotTheInspector) {
    AppState& state = explore();
    state.select("node/node.modules");
    state.select(item(state, "storefront").id);
    state.setSearchText("ATLAS");
    EXPECT_EQ(state.visibleItemCount(), 2u);
    ASSERT_EQ(state.focusedNode()->children.size(), 1u);  // only atlas-api matches below it
    EXPECT_EQ(state.focusedNode()->children[0].name, "atlas-api");
    EXPECT_EQ(state.selectedNode()->name, "storefront");  // filtered away, still inspected
    state.setShowsProtected(false);                       // a rebuilt tree keeps the filter
    EXPECT_EQ(state.visibleItemCount(), 2u);

    state.setSearchText("   ");
    EXPECT_EQ(state.visibleTree().children.size(), state.tree().children.size());
    EXPECT_FALSE(state.searchHasNoMatches());
    state.setSearchText("no match at all");
    EXPECT_TRUE(state.searchHasNoMatches());
    EXPECT_EQ(state.visibleTree().name, "Developer storage");
}

TEST_F(AppStateNavigationTest, GeneralModeLooksInTheFolderTree) {
    AppState& state = explore();
    state.setFocusedID(std::string("node"));
    state.setMode(AppState::Mode::general);
    EXPECT_EQ(state.focusedNode(), nullptr);  // no folder scan yet
    EXPECT_EQ(state.selectedNode(), nullptr);

    FileTreeScanner::Result result;
    result.root.id = "/data";
    result.root.children.emplace_back();
    result.root.children.back().id = "node";
    result.root.children.back().name = "a folder";
    state.setGeneralResult(result);
    EXPECT_EQ(state.focusedNode()->name, "a folder");
    state.setMode(AppState::Mode::developer);
    EXPECT_EQ(state.focusedNode()->name, "Node.js");
}

// The way back out of a drilled folder: one level at a time, or straight to
// any folder above (the root meaning no focus), always in the mode's own tree.
TEST_F(AppStateNavigationTest, FocusGoesUpOneLevelOrStraightToAFolderAbove) {
    AppState& state = explore();
    FileTreeScanner::Result result;
    result.root.id = "/data";
    result.root.name = "/data";
    StorageNode a;
    a.id = "/data/a";
    StorageNode b;
    b.id = "/data/a/b";
    StorageNode file;
    file.id = "/data/a/b/file";
    b.children.push_back(file);
    a.children.push_back(b);
    result.root.children.push_back(a);
    state.setGeneralResult(result);
    state.setMode(AppState::Mode::general);
    EXPECT_FALSE(state.canFocusUp());

    state.focusOn("/data/a/b");
    EXPECT_EQ(state.focusedID(), "/data/a/b");
    EXPECT_EQ(state.selectedID(), "/data/a/b");
    ASSERT_EQ(state.focusPath().size(), 3u);
    EXPECT_EQ(state.focusPath()[1]->id, "/data/a");
    state.focusOn("/data/a/b/file");  // a file is no place to go
    state.focusOn("node");            // nor a node of the other mode's tree
    EXPECT_EQ(state.focusedID(), "/data/a/b");

    EXPECT_TRUE(state.canFocusUp());
    state.focusUp();
    EXPECT_EQ(state.focusedID(), "/data/a");
    EXPECT_EQ(state.selectedID(), "/data/a");
    state.focusUp();
    EXPECT_EQ(state.focusedID(), std::nullopt);
    EXPECT_EQ(state.selectedID(), "/data");
    EXPECT_FALSE(state.canFocusUp());
    state.focusUp();  // at the root: nothing changes
    EXPECT_EQ(state.selectedID(), "/data");

    state.focusOn("/data/a/b");
    state.focusOn("/data");  // the first crumb: the root in one step
    EXPECT_EQ(state.focusedID(), std::nullopt);
    EXPECT_EQ(state.focusPath().size(), 1u);

    state.setMode(AppState::Mode::developer);
    state.select("node/node.modules");
    state.focusUp();
    EXPECT_EQ(state.focusedID(), "node");
    state.focusUp();
    EXPECT_EQ(state.focusedID(), std::nullopt);
    EXPECT_EQ(state.selectedID(), "root");
}

TEST_F(AppStateNavigationTest, SelectionTogglesReviewsAndSumsCandidates) {
    AppState& state = explore();
    const auto& modules = node(state, "node/node.modules");
    // Safe ones chosen at first: storefront, npm cache and Atlas.
    EXPECT_EQ(state.selectedBytes(), 6'900'000'000 + 1'200'000'000 + 4'099'999'999);
    EXPECT_FALSE(state.isSelected(modules));
    state.toggleSelection(modules);
    EXPECT_TRUE(state.isSelected(modules));
    EXPECT_EQ(state.selection().size(), 4u);
    state.toggleSelection(modules);
    EXPECT_EQ(state.selection().size(), 2u);

    // Several nodes at once: storefront chosen, atlas-api not, so both become chosen;
    // a category node has no candidate of its own.
    const std::vector<StorageNode> nodes{item(state, "storefront"), item(state, "atlas-api"),
                                         node(state, "docker")};
    state.toggleSelection(nodes);
    EXPECT_EQ(state.selection().size(), 4u);
    state.toggleSelection(nodes);
    EXPECT_EQ(state.selection().size(), 2u);

    state.selectAllSafe();
    EXPECT_EQ(state.selection().size(), 3u);
    EXPECT_EQ(state.selectedCandidates().front().title, "Atlas");  // category order: Xcode first
    state.reviewCandidates(node(state, "docker"));
    EXPECT_EQ(state.selection(), std::set<UUID>{*item(state, "9 images with no container").candidateID});
    EXPECT_EQ(state.sheet(), AppState::Sheet::review);
    EXPECT_EQ(state.reclaimableBytes(), 25'199'999'999);
}

TEST_F(AppStateNavigationTest, DangerousItemsAreNeverSelectable) {
    AppState& state = explore();
    ScanResult scan = *state.scan();
    scan.categories[0].candidates[0].safety = SafetyLevel::dangerous;  // Atlas, alone in Xcode
    state.setScan(scan);
    state.rebuildDeveloperTree();
    state.setSelection({});
    state.setSheet(std::nullopt);

    const auto& xcode = node(state, "xcode");
    state.toggleSelection(xcode);
    state.reviewCandidates(xcode);
    state.toggleSelection(std::vector<StorageNode>{item(state, "Atlas")});
    EXPECT_TRUE(state.selection().empty());
    EXPECT_FALSE(state.isSelected(xcode));
    EXPECT_EQ(state.sheet(), std::nullopt);
}

TEST_F(AppStateNavigationTest, RevealAndCopyNeedAPath) {
    AppState& state = explore();
    state.revealInFileManager(node(state, "node"));
    state.copyPath(node(state, "node"));
    state.revealFocusedInFileManager();  // no focus
    EXPECT_TRUE(desktop_.revealed.empty());
    EXPECT_TRUE(desktop_.copied.empty());

    state.revealInFileManager(item(state, "storefront"));
    state.copyPath(item(state, "storefront"));
    EXPECT_EQ(desktop_.revealed, std::vector<std::vector<std::string>>{{at("Developer/storefront")}});
    EXPECT_EQ(desktop_.copied, std::vector<std::string>{at("Developer/storefront")});
}

TEST_F(AppStateNavigationTest, ProjectRootsAreAddedOnceAndSaved) {
    AppState& state = launch();
    const auto& roots = state.settings().projectRoots;
    const auto stored = [this] {
        return nlohmann::json::parse(settings_.values.at("scan.settings"))["projectRoots"]
            .get<std::vector<std::string>>();
    };
    state.chooseProjectRoots();  // cancelled: nothing changes, no scan starts
    EXPECT_EQ(
        desktop_.requests.at(0),
        (Desktop::FolderRequest{home_, "Add", "Choose a folder Korvane should search for projects.", true}));
    EXPECT_NE(state.route(), AppState::Route::scanning);

    state.addProjectRoot(at("Work"));
    state.addProjectRoot(at("Work"));
    desktop_.answers.push_back({at("A"), at("Work"), at("B")});
    state.chooseProjectRoots();
    EXPECT_EQ(std::vector<std::string>(roots.end() - 3, roots.end()),
              (std::vector<std::string>{at("Work"), at("A"), at("B")}));
    EXPECT_EQ(std::count(roots.begin(), roots.end(), at("Work")), 1);
    EXPECT_EQ(stored(), roots);
    EXPECT_EQ(state.route(), AppState::Route::scanning);
    EXPECT_TRUE(testing::waitUntil([&] { return state.route() == AppState::Route::explore; }));

    state.removeProjectRoot(at("A"));
    EXPECT_EQ(std::count(roots.begin(), roots.end(), at("A")), 0);
    EXPECT_EQ(stored(), roots);
}

}  // namespace
}  // namespace korvane
