#include <gtest/gtest.h>

#include "app/state/TreeNavigation.h"

namespace korvane {
namespace {

using Kind = StorageNode::Kind;

StorageNode node(std::string id, std::vector<StorageNode> children = {}, std::int64_t reclaimable = 0) {
    StorageNode n;
    n.id = id;
    n.name = std::move(id);
    n.kind = children.empty() ? Kind::item : Kind::group;
    n.reclaimable = reclaimable;
    n.children = std::move(children);
    return n;
}

StorageNode item(std::string id, SafetyLevel safety, std::optional<UUID> candidate,
                 std::int64_t reclaimable = 1) {
    StorageNode n = node(std::move(id), {}, reclaimable);
    n.safety = safety;
    n.candidateID = candidate;
    return n;
}

std::vector<std::string> ids(const std::vector<const StorageNode*>& nodes) {
    std::vector<std::string> result;
    for (const auto* n : nodes) result.push_back(n->id);
    return result;
}

// Developer storage → two categories → groups → items, with one id per candidate.
class HandBuiltTree : public ::testing::Test {
protected:
    HandBuiltTree() {
        tree = node(
            "root",
            {node("node", {node("node/modules", {item("shop", SafetyLevel::safe, shop),
                                                 item("api", SafetyLevel::caution, api),
                                                 item("keys", SafetyLevel::dangerous, keys, 0)}),
                           node("node/cache", {item("npm", SafetyLevel::safe, npm)})}),
             node("xcode", {node("xcode/archives", {item("Archive", SafetyLevel::dangerous, archive, 0)}),
                            node("xcode/plain", {item("noid", SafetyLevel::safe, std::nullopt)})})});
        tree.name = "Developer storage";
        tree.kind = Kind::root;
    }

    UUID shop = UUID::random(), api = UUID::random(), keys = UUID::random(), npm = UUID::random(),
         archive = UUID::random();
    StorageNode tree;
};

TEST_F(HandBuiltTree, SearchIgnoresCaseAndKeepsAncestors) {
    const auto visible = TreeNavigation::visibleTree(tree, "  SHO ");
    ASSERT_EQ(visible.children.size(), 1u);
    EXPECT_EQ(ids(visible.leaves()), std::vector<std::string>{"shop"});
    EXPECT_EQ(visible.find("node/modules")->children.size(), 1u);
    EXPECT_FALSE(TreeNavigation::searchHasNoMatches("  SHO ", visible));
    EXPECT_EQ(TreeNavigation::visibleItemCount(visible), 1u);
}

TEST_F(HandBuiltTree, FocusLooksInTheFilteredTreeThenInTheWholeTree) {
    const auto visible = TreeNavigation::visibleTree(tree, "api");
    const auto* focused = TreeNavigation::findVisibleFirst(visible, tree, "node/modules");
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(ids(focused->leaves()), std::vector<std::string>{"api"});
    // Filtered away: the whole tree still knows it.
    focused = TreeNavigation::findVisibleFirst(visible, tree, "xcode/archives");
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->children.size(), 1u);
    EXPECT_EQ(TreeNavigation::findVisibleFirst(visible, tree, "gone"), nullptr);
}

TEST_F(HandBuiltTree, BreadcrumbRunsFromTheRootToTheFocus) {
    using Chain = std::vector<std::string>;
    EXPECT_EQ(ids(TreeNavigation::breadcrumb(tree, std::nullopt)), Chain{"root"});
    EXPECT_EQ(ids(TreeNavigation::breadcrumb(tree, "gone")), Chain{"root"});
    EXPECT_EQ(ids(TreeNavigation::breadcrumb(tree, "api")), (Chain{"root", "node", "node/modules", "api"}));
    EXPECT_EQ(ids(TreeNavigation::breadcrumb(tree, "xcode")), (Chain{"root", "xcode"}));
}

TEST_F(HandBuiltTree, CandidatesUnderANodeLeaveOutDangerousAndUnidentifiedLeaves) {
    EXPECT_EQ(TreeNavigation::candidateIDs(tree), (std::vector<UUID>{shop, api, npm}));
    EXPECT_EQ(TreeNavigation::candidateIDs(*tree.find("xcode")), std::vector<UUID>{});
    EXPECT_EQ(TreeNavigation::candidateIDs(*tree.find("api")), std::vector<UUID>{api});
    // Given nodes count themselves only, not their leaves.
    const std::vector<StorageNode> picked{*tree.find("keys"), *tree.find("npm"), *tree.find("node/modules"),
                                          *tree.find("shop")};
    EXPECT_EQ(TreeNavigation::candidateIDs(picked), (std::vector<UUID>{npm, shop}));
}

TEST_F(HandBuiltTree, TogglingAPartlySelectedNodeSelectsAllThenNone) {
    std::set<UUID> selection{api, archive};
    const auto& modules = *tree.find("node/modules");
    EXPECT_FALSE(TreeNavigation::isSelected(modules, selection));
    EXPECT_TRUE(TreeNavigation::toggle(selection, TreeNavigation::candidateIDs(modules)));
    EXPECT_EQ(selection, (std::set<UUID>{shop, api, archive}));
    EXPECT_TRUE(TreeNavigation::isSelected(modules, selection));
    EXPECT_TRUE(TreeNavigation::toggle(selection, TreeNavigation::candidateIDs(modules)));
    EXPECT_EQ(selection, std::set<UUID>{archive});
}

TEST_F(HandBuiltTree, DangerousOnlyNodesAreNeverSelectable) {
    // Even with the dangerous candidate's id chosen, the node is not "selected".
    std::set<UUID> selection{archive};
    const auto& archives = *tree.find("xcode/archives");
    EXPECT_FALSE(TreeNavigation::isSelected(archives, selection));
    EXPECT_FALSE(TreeNavigation::toggle(selection, TreeNavigation::candidateIDs(archives)));
    EXPECT_EQ(selection, std::set<UUID>{archive});
}

TEST(TreeNavigationTest, QuickWinsAreTheSevenLargestReclaimableGroupsInStableOrder) {
    StorageNode tree =
        node("root", {node("a", {node("a1", {}, 5), node("a2", {}, 0), node("a3", {}, 9), node("a4", {}, 5)}),
                      node("b", {node("b1", {}, 5), node("b2", {}, 1), node("b3", {}, 7), node("b4", {}, 5),
                                 node("b5", {}, 2)})});
    EXPECT_EQ(ids(TreeNavigation::sidebarItems(tree)),
              (std::vector<std::string>{"a3", "b3", "a1", "a4", "b1", "b4", "b5"}));
    tree.children[1].children.resize(2);
    EXPECT_EQ(ids(TreeNavigation::sidebarItems(tree)),
              (std::vector<std::string>{"a3", "a1", "a4", "b1", "b2"}));
    EXPECT_TRUE(TreeNavigation::sidebarItems(node("root")).empty());
}

}  // namespace
}  // namespace korvane
