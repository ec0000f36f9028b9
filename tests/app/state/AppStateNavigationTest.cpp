#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

class AppStateNavigationTest : public testing::FlowFixture {
protected:
    // The demonstration scan in the developer explorer, default selection made.
    AppState& explore() {
        AppState& state = launch({"--mode", "developer", "--screen", "explore"});
        EXPECT_EQ(state.route(), AppState::Route::explore);
        return state;
    }
    static const StorageNode& node(const AppState& state, std::string_view id) {
        const auto* found = state.tree().find(id);
        EXPECT_NE(found, nullptr) << id;
        return *found;
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
    EXPECT_EQ(state.selectedID(), "node");
    ASSERT_EQ(state.breadcrumb().size(), 2u);
    EXPECT_EQ(state.breadcrumb()[1]->id, "node");

    const std::string leaf = item(state, "atlas-api").id;
    state.select(leaf);
    EXPECT_EQ(state.focusedID(), "node");  // a leaf changes the inspector only
    EXPECT_EQ(state.selectedNode()->name, "atlas-api");

    state.select(std::string_view("root"));
    EXPECT_EQ(state.focusedID(), std::nullopt);
    EXPECT_EQ(state.selectedID(), "root");
    ASSERT_EQ(state.breadcrumb().size(), 1u);
    EXPECT_EQ(state.breadcrumb()[0]->id, "root");

    state.select("no such node");
    EXPECT_EQ(state.selectedID(), "root");
}

TEST_F(AppStateNavigationTest, FilterNarrowsTheFocusButNotTheInspector) {
    AppState& state = explore();
    state.select("node/node.modules");
    state.select(item(state, "storefront").id);
    state.setSearchText("ATLAS");
    EXPECT_FALSE(state.searchHasNoMatches());
    EXPECT_EQ(state.visibleItemCount(), 2u);
    ASSERT_NE(state.focusedNode(), nullptr);
    ASSERT_EQ(state.focusedNode()->children.size(), 1u);  // only atlas-api matches below it
    EXPECT_EQ(state.focusedNode()->children[0].name, "atlas-api");
    EXPECT_EQ(state.selectedNode()->name, "storefront");  // filtered away, still inspected

    state.setSearchText("docker");
    EXPECT_EQ(state.focusedNode()->children.size(), 2u);  // not visible: the whole node

    state.setSearchText("   ");
    EXPECT_EQ(state.visibleTree().children.size(), state.tree().children.size());
    EXPECT_FALSE(state.searchHasNoMatches());

    state.setSearchText("no match at all");
    EXPECT_TRUE(state.searchHasNoMatches());
    EXPECT_EQ(state.visibleTree().name, "Developer storage");
    EXPECT_EQ(state.visibleItemCount(), 1u);
}

TEST_F(AppStateNavigationTest, ARebuiltTreeKeepsTheFilter) {
    AppState& state = explore();
    state.setSearchText("atlas");
    state.setShowsProtected(false);
    EXPECT_EQ(state.visibleItemCount(), 2u);
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
    ASSERT_NE(state.focusedNode(), nullptr);
    EXPECT_EQ(state.focusedNode()->name, "a folder");
    state.setMode(AppState::Mode::developer);
    ASSERT_NE(state.focusedNode(), nullptr);
    EXPECT_EQ(state.focusedNode()->name, "Node.js");
}

TEST_F(AppStateNavigationTest, SelectionTogglesReviewsAndSumsCandidates) {
    AppState& state = explore();
    const auto& modules = node(state, "node/node.modules");
    // Safe ones chosen at first: storefront, npm cache and Atlas.
    EXPECT_EQ(state.selection().size(), 3u);
    EXPECT_EQ(state.selectedBytes(), 6'900'000'000 + 1'200'000'000 + 4'099'999'999);
    EXPECT_FALSE(state.isSelected(modules));

    state.toggleSelection(modules);
    EXPECT_TRUE(state.isSelected(modules));
    EXPECT_EQ(state.selection().size(), 4u);
    state.toggleSelection(modules);
    EXPECT_FALSE(state.isSelected(modules));
    EXPECT_EQ(state.selection().size(), 2u);

    state.selectAllSafe();
    EXPECT_EQ(state.selection().size(), 3u);
    EXPECT_EQ(state.selectedCandidates().front().title, "Atlas");  // category order: Xcode first

    state.reviewCandidates(node(state, "docker"));
    EXPECT_EQ(state.selection(), std::set<UUID>{*item(state, "9 images with no container").candidateID});
    EXPECT_EQ(state.sheet(), AppState::Sheet::review);
    EXPECT_EQ(state.sidebarItems().size(), 4u);
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

TEST_F(AppStateNavigationTest, SeveralNodesToggleTogether) {
    AppState& state = explore();
    const std::vector<StorageNode> nodes{item(state, "storefront"), item(state, "atlas-api"),
                                         node(state, "docker")};  // a category node has no candidate
    state.toggleSelection(nodes);  // storefront chosen, atlas-api not: both become chosen
    EXPECT_TRUE(state.selection().contains(*nodes[0].candidateID));
    EXPECT_TRUE(state.selection().contains(*nodes[1].candidateID));
    state.toggleSelection(nodes);
    EXPECT_FALSE(state.selection().contains(*nodes[0].candidateID));
    EXPECT_FALSE(state.selection().contains(*nodes[1].candidateID));
}

TEST_F(AppStateNavigationTest, RevealAndCopyNeedAPath) {
    AppState& state = explore();
    state.revealInFinder(node(state, "node"));
    state.copyPath(node(state, "node"));
    state.revealFocusedInFinder();  // no focus
    EXPECT_TRUE(desktop_.revealed.empty());
    EXPECT_TRUE(desktop_.copied.empty());

    const auto& storefront = item(state, "storefront");
    state.revealInFinder(storefront);
    state.copyPath(storefront);
    EXPECT_EQ(desktop_.revealed, std::vector<std::vector<std::string>>{{at("Developer/storefront")}});
    EXPECT_EQ(desktop_.copied, std::vector<std::string>{at("Developer/storefront")});

    FileTreeScanner::Result result;
    result.root.id = "/data";
    result.root.path = "/data";
    state.setGeneralResult(result);
    state.setMode(AppState::Mode::general);
    state.setFocusedID(std::string("/data"));
    state.revealFocusedInFinder();
    state.copyFocusedPath();
    EXPECT_EQ(desktop_.revealed.back(), std::vector<std::string>{"/data"});
    EXPECT_EQ(desktop_.copied.back(), "/data");
}

TEST_F(AppStateNavigationTest, ProjectRootsAreAddedOnceAndSaved) {
    AppState& state = launch();
    const auto before = state.settings().projectRoots.size();
    state.addProjectRoot(at("Work"));
    state.addProjectRoot(at("Work"));
    EXPECT_EQ(state.settings().projectRoots.size(), before + 1);
    const auto stored = nlohmann::json::parse(settings_.values.at("scan.settings"));
    EXPECT_EQ(stored["projectRoots"].back(), at("Work"));

    // Cancelled: nothing changes, no scan starts.
    state.chooseProjectRoots();
    ASSERT_EQ(desktop_.requests.size(), 1u);
    EXPECT_EQ(
        desktop_.requests[0],
        (Desktop::FolderRequest{home_, "Add", "Choose a folder Korvane should search for projects.", true}));
    EXPECT_NE(state.route(), AppState::Route::scanning);

    desktop_.answers.push_back({at("A"), at("Work"), at("B")});
    state.chooseProjectRoots();
    const auto& roots = state.settings().projectRoots;
    EXPECT_EQ(std::vector<std::string>(roots.end() - 3, roots.end()),
              (std::vector<std::string>{at("Work"), at("A"), at("B")}));
    EXPECT_EQ(state.route(), AppState::Route::scanning);
    EXPECT_TRUE(testing::waitUntil([&] { return state.route() == AppState::Route::explore; }));

    state.removeProjectRoot(at("A"));
    EXPECT_EQ(std::count(roots.begin(), roots.end(), at("A")), 0);
    EXPECT_EQ(nlohmann::json::parse(settings_.values.at("scan.settings"))["projectRoots"].size(),
              roots.size());
}

}  // namespace
}  // namespace korvane
