#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/presenters/CanvasPageContent.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

class AppStateNavigationTest : public testing::FlowFixture {
protected:
    // The demonstration scan in the developer explorer, default selection made.
    AppState& explore() { return launch({"--mode", "developer", "--screen", "explore"}); }
    static const StorageNode& node(const AppState& state, std::string_view id) {
        const auto* found = state.developer().tree().find(id);
        EXPECT_NE(found, nullptr) << id;
        return found ? *found : state.developer().tree();
    }
    static const StorageNode& item(const AppState& state, const std::string& title) {
        for (const auto* leaf : state.developer().tree().leaves())
            if (leaf->name == title) return *leaf;
        ADD_FAILURE() << title;
        return state.developer().tree();
    }
};

TEST_F(AppStateNavigationTest, SelectingFocusesFoldersButNotLeaves) {
    AppState& state = explore();
    EXPECT_EQ(state.navigation().selectedID(), "root");
    EXPECT_EQ(state.navigation().focusedNode(), nullptr);

    state.navigation().select("node");
    EXPECT_EQ(state.navigation().focusedID(), "node");
    ASSERT_EQ(state.navigation().breadcrumb().size(), 2u);
    EXPECT_EQ(state.navigation().breadcrumb()[1]->id, "node");
    state.navigation().select(item(state, "atlas-api").id);
    EXPECT_EQ(state.navigation().focusedID(), "node");  // a leaf changes the inspector only
    EXPECT_EQ(state.navigation().selectedNode()->name, "atlas-api");
    state.navigation().select(std::string_view("root"));
    EXPECT_EQ(state.navigation().focusedID(), std::nullopt);
    EXPECT_EQ(state.navigation().breadcrumb().size(), 1u);
    state.navigation().select("no such node");
    EXPECT_EQ(state.navigation().selectedID(), "root");
}

TEST_F(AppStateNavigationTest, FilterNarrowsTheFocusButNotTheInspector) {
    AppState& state = explore();
    state.navigation().select("node/node.modules");
    state.navigation().select(item(state, "storefront").id);
    state.navigation().setSearchText("ATLAS");
    EXPECT_EQ(state.navigation().visibleItemCount(), 2u);
    ASSERT_EQ(state.navigation().focusedNode()->children.size(), 1u);  // only atlas-api matches below it
    EXPECT_EQ(state.navigation().focusedNode()->children[0].name, "atlas-api");
    EXPECT_EQ(state.navigation().selectedNode()->name, "storefront");  // filtered away, still inspected
    state.developer().setShowsProtected(false);                        // a rebuilt tree keeps the filter
    EXPECT_EQ(state.navigation().visibleItemCount(), 2u);

    state.navigation().setSearchText("   ");
    EXPECT_EQ(state.navigation().visibleTree().children.size(), state.developer().tree().children.size());
    EXPECT_FALSE(state.navigation().searchHasNoMatches());
    state.navigation().setSearchText("no match at all");
    EXPECT_TRUE(state.navigation().searchHasNoMatches());
    EXPECT_EQ(state.navigation().visibleTree().name, "Developer storage");
}

TEST_F(AppStateNavigationTest, GeneralModeLooksInTheFolderTree) {
    AppState& state = explore();
    state.navigation().setFocusedID(std::string("node"));
    state.preferences().setMode(AppState::Mode::general);
    EXPECT_EQ(state.navigation().focusedNode(), nullptr);  // no folder scan yet
    EXPECT_EQ(state.navigation().selectedNode(), nullptr);

    FileTreeScanner::Result result;
    result.root.id = "/data";
    result.root.children.emplace_back();
    result.root.children.back().id = "node";
    result.root.children.back().name = "a folder";
    state.folderScan().setGeneralResult(result);
    // Each mode keeps its own place: general mode's focus is its own.
    EXPECT_EQ(state.navigation().focusedNode(), nullptr);
    state.navigation().setFocusedID(std::string("node"));
    ASSERT_NE(state.navigation().focusedNode(), nullptr);
    EXPECT_EQ(state.navigation().focusedNode()->name, "a folder");
    state.preferences().setMode(AppState::Mode::developer);
    ASSERT_NE(state.navigation().focusedNode(), nullptr);
    EXPECT_EQ(state.navigation().focusedNode()->name, "Node.js");
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
    state.folderScan().setGeneralResult(result);
    state.preferences().setMode(AppState::Mode::general);
    EXPECT_FALSE(state.navigation().canFocusUp());

    state.navigation().focusOn("/data/a/b");
    EXPECT_EQ(state.navigation().focusedID(), "/data/a/b");
    EXPECT_EQ(state.navigation().selectedID(), "/data/a/b");
    ASSERT_EQ(state.navigation().focusPath().size(), 3u);
    EXPECT_EQ(state.navigation().focusPath()[1]->id, "/data/a");
    state.navigation().focusOn("/data/a/b/file");  // a file is no place to go
    state.navigation().focusOn("node");            // nor a node of the other mode's tree
    EXPECT_EQ(state.navigation().focusedID(), "/data/a/b");

    // One level up, with the folder just left selected among the items there.
    EXPECT_TRUE(state.navigation().canFocusUp());
    state.navigation().focusUp();
    EXPECT_EQ(state.navigation().focusedID(), "/data/a");
    EXPECT_EQ(state.navigation().selectedID(), "/data/a/b");
    state.navigation().focusUp();
    EXPECT_EQ(state.navigation().focusedID(), std::nullopt);
    EXPECT_EQ(state.navigation().selectedID(), "/data/a");
    EXPECT_FALSE(state.navigation().canFocusUp());
    state.navigation().focusUp();  // at the root: nothing changes
    EXPECT_EQ(state.navigation().selectedID(), "/data/a");

    state.navigation().focusOn("/data/a/b");
    state.navigation().focusOn("/data");  // the first crumb: the root in one step
    EXPECT_EQ(state.navigation().focusedID(), std::nullopt);
    EXPECT_EQ(state.navigation().focusPath().size(), 1u);

    state.preferences().setMode(AppState::Mode::developer);
    state.navigation().select("node/node.modules");
    state.navigation().focusUp();
    EXPECT_EQ(state.navigation().focusedID(), "node");
    state.navigation().focusUp();
    EXPECT_EQ(state.navigation().focusedID(), std::nullopt);
    EXPECT_EQ(state.navigation().selectedID(), "node");
}

TEST_F(AppStateNavigationTest, SelectionTogglesReviewsAndSumsCandidates) {
    AppState& state = explore();
    const auto& modules = node(state, "node/node.modules");
    // Safe ones chosen at first: storefront, npm cache and Atlas.
    EXPECT_EQ(state.developer().selectedBytes(), 6'900'000'000 + 1'200'000'000 + 4'099'999'999);
    EXPECT_FALSE(state.developer().isSelected(modules));
    state.developer().toggleSelection(modules);
    EXPECT_TRUE(state.developer().isSelected(modules));
    EXPECT_EQ(state.developer().selection().size(), 4u);
    state.developer().toggleSelection(modules);
    EXPECT_EQ(state.developer().selection().size(), 2u);

    // Several nodes at once: storefront chosen, atlas-api not, so both become chosen;
    // a category node has no candidate of its own.
    const std::vector<StorageNode> nodes{item(state, "storefront"), item(state, "atlas-api"),
                                         node(state, "docker")};
    state.developer().toggleSelection(nodes);
    EXPECT_EQ(state.developer().selection().size(), 4u);
    state.developer().toggleSelection(nodes);
    EXPECT_EQ(state.developer().selection().size(), 2u);

    state.developer().selectAllSafe();
    EXPECT_EQ(state.developer().selection().size(), 3u);
    EXPECT_EQ(state.developer().selectedCandidates().front().title, "Atlas");  // category order: Xcode first
    state.developer().reviewCandidates(node(state, "docker"));
    EXPECT_EQ(state.developer().selection(),
              std::set<UUID>{*item(state, "9 images with no container").candidateID});
    EXPECT_EQ(state.navigation().sheet(), AppState::Sheet::review);
    EXPECT_EQ(state.developer().reclaimableBytes(), 25'199'999'999);
}

TEST_F(AppStateNavigationTest, SelectSafeChoosesTheSafeItemsTheCanvasShowsUnderTheFilter) {
    AppState& state = explore();
    const struct {
        std::string filter;
        std::optional<std::string> focus;
        std::set<std::string> chosen;  // empty: "Select safe" is disabled and chooses nothing
    } cases[] = {
        {"", std::nullopt, {"Atlas", "storefront", "npm cache"}},
        {"atlas-api", std::nullopt, {}},  // only an item that needs review is on show
        {"NPM", std::nullopt, {"npm cache"}},
        {"", "xcode", {"Atlas"}},
        {"atlas", "node", {}},  // drilled into Node, where the filter leaves atlas-api alone
        {"atlas", std::nullopt, {"Atlas"}},
        {"no such thing", std::nullopt, {}},
        {"no such thing", "node", {}},  // the canvas draws nothing, whatever it is drilled into
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter + " in " + c.focus.value_or("root"));
        state.navigation().setSearchText(c.filter);
        state.navigation().setFocusedID(c.focus);
        state.developer().setSelection({});
        EXPECT_EQ(developerCanvasContent(state.navigation(), state.developer()).selectSafeEnabled,
                  !c.chosen.empty());
        state.developer().selectAllSafe();
        std::set<std::string> chosen;
        for (const auto& candidate : state.developer().selectedCandidates()) chosen.insert(candidate.title);
        EXPECT_EQ(chosen, c.chosen);
    }
    // What was chosen before stays chosen.
    state.navigation().setSearchText("NPM");
    state.navigation().setFocusedID(std::nullopt);
    state.developer().setSelection({*item(state, "atlas-api").candidateID});
    state.developer().selectAllSafe();
    EXPECT_EQ(state.developer().selection().size(), 2u);
}

TEST_F(AppStateNavigationTest, DangerousItemsAreNeverSelectable) {
    AppState& state = explore();
    ScanResult scan = *state.developer().scan();
    scan.categories[0].candidates[0].safety = SafetyLevel::dangerous;  // Atlas, alone in Xcode
    state.developer().setScan(scan);
    state.developer().rebuildDeveloperTree();
    state.developer().setSelection({});
    state.navigation().setSheet(std::nullopt);

    const auto& xcode = node(state, "xcode");
    state.developer().toggleSelection(xcode);
    state.developer().reviewCandidates(xcode);
    state.developer().toggleSelection(std::vector<StorageNode>{item(state, "Atlas")});
    EXPECT_TRUE(state.developer().selection().empty());
    EXPECT_FALSE(state.developer().isSelected(xcode));
    EXPECT_EQ(state.navigation().sheet(), std::nullopt);
}

TEST_F(AppStateNavigationTest, RevealAndCopyNeedAPath) {
    AppState& state = explore();
    state.desktop().revealInFileManager(node(state, "node"));
    state.desktop().copyPath(node(state, "node"));
    EXPECT_EQ(state.navigation().focusedNode(), nullptr);
    EXPECT_TRUE(desktop_.revealed.empty());
    EXPECT_TRUE(desktop_.copied.empty());

    state.desktop().revealInFileManager(item(state, "storefront"));
    state.desktop().copyPath(item(state, "storefront"));
    EXPECT_EQ(desktop_.revealed, std::vector<std::vector<std::string>>{{at("Developer/storefront")}});
    EXPECT_EQ(desktop_.copied, std::vector<std::string>{at("Developer/storefront")});
}

TEST_F(AppStateNavigationTest, ProjectRootsAreAddedOnceAndSaved) {
    AppState& state = launch();
    const auto& roots = state.preferences().settings().projectRoots;
    const auto stored = [this] {
        return nlohmann::json::parse(settings_.values.at("scan.settings"))["projectRoots"]
            .get<std::vector<std::string>>();
    };
    state.developer().chooseProjectRoots();  // cancelled: nothing changes, no scan starts
    EXPECT_EQ(
        desktop_.requests.at(0),
        (Desktop::FolderRequest{home_, "Add", "Choose a folder Korvane should search for projects.", true}));
    EXPECT_NE(state.navigation().route(), AppState::Route::scanning);

    state.preferences().addProjectRoot(at("Work"));
    state.preferences().addProjectRoot(at("Work"));
    desktop_.answers.push_back({at("A"), at("Work"), at("B")});
    state.developer().chooseProjectRoots();
    EXPECT_EQ(std::vector<std::string>(roots.end() - 3, roots.end()),
              (std::vector<std::string>{at("Work"), at("A"), at("B")}));
    EXPECT_EQ(std::count(roots.begin(), roots.end(), at("Work")), 1);
    EXPECT_EQ(stored(), roots);
    EXPECT_EQ(state.navigation().route(), AppState::Route::scanning);
    EXPECT_TRUE(testing::waitUntil([&] { return state.navigation().route() == AppState::Route::explore; }));

    state.preferences().removeProjectRoot(at("A"));
    EXPECT_EQ(std::count(roots.begin(), roots.end(), at("A")), 0);
    EXPECT_EQ(stored(), roots);
}

TEST_F(AppStateNavigationTest, TheSidebarsFolderPickerRefusesTheWholeComputerWithAnAlertAndNoScan) {
    AppState& state = launch();
    const auto before = state.preferences().settings();
    desktop_.answers.push_back({"/"});
    state.developer().chooseProjectRoots();
    EXPECT_EQ(state.preferences().settings(), before);
    EXPECT_EQ(state.developer().errorMessage(),
              "Korvane does not search the whole computer for projects. Choose the folders that hold them.");
    EXPECT_NE(state.navigation().route(), AppState::Route::scanning);
}

}  // namespace
}  // namespace korvane
