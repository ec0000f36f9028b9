#include <gtest/gtest.h>

#include "app/state/TreeNavigation.h"

namespace korvane {
namespace {

using Kind = StorageNode::Kind;
using Ids = std::vector<std::string>;

StorageNode node(std::string id, std::vector<StorageNode> children = {}, std::int64_t reclaimable = 0) {
    StorageNode n;
    n.id = id;
    n.name = std::move(id);
    n.kind = children.empty() ? Kind::item : Kind::group;
    n.reclaimable = reclaimable;
    n.children = std::move(children);
    return n;
}

StorageNode item(std::string id, SafetyLevel safety, std::optional<UUID> candidate) {
    StorageNode n = node(std::move(id), {}, 1);
    n.safety = safety;
    n.candidateID = candidate;
    return n;
}

Ids ids(const std::vector<const StorageNode*>& nodes) {
    Ids result;
    for (const auto* n : nodes) result.push_back(n->id);
    return result;
}

// Developer storage → two categories → groups → items, with one id per candidate.
class HandBuiltTree : public ::testing::Test {
protected:
    HandBuiltTree() {
        tree =
            node("root",
                 {node("node", {node("node/modules", {item("shop", SafetyLevel::safe, shop),
                                                      item("api", SafetyLevel::caution, api),
                                                      item("keys", SafetyLevel::dangerous, keys)}),
                                node("node/cache", {item("npm", SafetyLevel::safe, npm)})}),
                  node("xcode", {node("xcode/archives", {item("Archive", SafetyLevel::dangerous, archive)}),
                                 node("xcode/plain", {item("noid", SafetyLevel::safe, std::nullopt)})})});
        tree.kind = Kind::root;
    }

    UUID shop = UUID::random(), api = UUID::random(), keys = UUID::random(), npm = UUID::random(),
         archive = UUID::random();
    StorageNode tree;
};

TEST_F(HandBuiltTree, FilterFocusAndBreadcrumb) {
    // The filter ignores case and surrounding blanks and keeps the ancestors.
    const auto visible = TreeNavigation::visibleTree(tree, "  SHO ");
    EXPECT_EQ(ids(visible.leaves()), Ids{"shop"});
    EXPECT_EQ(visible.find("node/modules")->children.size(), 1u);
    EXPECT_FALSE(TreeNavigation::searchHasNoMatches("  SHO ", visible));
    EXPECT_EQ(TreeNavigation::visibleItemCount(visible), 1u);

    // Focus looks in the filtered tree first, then in the whole tree.
    EXPECT_EQ(ids(TreeNavigation::findVisibleFirst(visible, tree, "node/modules")->leaves()), Ids{"shop"});
    EXPECT_EQ(TreeNavigation::findVisibleFirst(visible, tree, "xcode/archives")->children.size(), 1u);
    EXPECT_EQ(TreeNavigation::findVisibleFirst(visible, tree, "gone"), nullptr);

    EXPECT_EQ(ids(TreeNavigation::breadcrumb(tree, std::nullopt)), Ids{"root"});
    EXPECT_EQ(ids(TreeNavigation::breadcrumb(tree, "gone")), Ids{"root"});
    EXPECT_EQ(ids(TreeNavigation::breadcrumb(tree, "api")), (Ids{"root", "node", "node/modules", "api"}));
}

TEST_F(HandBuiltTree, ItemsAreTheCandidatesNotTheLeaves) {
    const auto nothing = TreeNavigation::visibleTree(tree, "no such name");
    ASSERT_TRUE(nothing.children.empty());
    // What a toolchain holds beyond its items, and a category nobody looked
    // into, are leaves that nobody can remove.
    StorageNode withLeftovers = tree;
    StorageNode notOffered = node("node/not-offered");
    notOffered.reclaimable = 0;
    notOffered.name = "Not offered";
    notOffered.kind = Kind::uninspected;
    withLeftovers.children[0].children.push_back(notOffered);
    StorageNode uninspected = node("flutter");
    uninspected.kind = Kind::uninspected;
    withLeftovers.children.push_back(uninspected);
    const struct {
        const char* what;
        StorageNode shown;
        std::size_t items;
    } cases[] = {
        {"tree", tree, 5},
        {"tree with leftovers", withLeftovers, 5},
        {"tree with no match", nothing, 0},
        {"category with a protected item and a leaf of no candidate", *tree.find("xcode"), 1},
        {"emptied group", [] { StorageNode g = node("g", {node("x")}); g.children.clear(); return g; }(), 0},
        {"item", *tree.find("shop"), 1},
        {"leaf of no candidate", *tree.find("noid"), 0},
        {"uninspected category", uninspected, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TreeNavigation::itemCount(c.shown), c.items);
    }
    EXPECT_EQ(TreeNavigation::visibleItemCount(nothing), 0u);
}

TEST_F(HandBuiltTree, OneLevelUpFromTheFocusEndsAtTheRoot) {
    const struct {
        std::optional<std::string> focus;
        std::optional<std::string> up;  // none: the root is on show already
    } cases[] = {
        {"node/modules", "node"}, {"node", "root"}, {"api", "node/modules"},
        {"root", std::nullopt},   {std::nullopt, std::nullopt}, {"gone", std::nullopt},
    };
    for (const auto& c : cases) {
        const StorageNode* up = TreeNavigation::focusParent(tree, c.focus);
        EXPECT_EQ(up ? std::optional(up->id) : std::nullopt, c.up) << c.focus.value_or("(none)");
    }
}

TEST_F(HandBuiltTree, CandidatesLeaveOutDangerousAndUnidentifiedLeaves) {
    EXPECT_EQ(TreeNavigation::candidateIDs(tree), (std::vector<UUID>{shop, api, npm}));
    EXPECT_EQ(TreeNavigation::candidateIDs(*tree.find("xcode")), std::vector<UUID>{});
    // Given nodes count themselves only, not their leaves.
    const std::vector<StorageNode> picked{*tree.find("keys"), *tree.find("npm"), *tree.find("node/modules"),
                                          *tree.find("shop")};
    EXPECT_EQ(TreeNavigation::candidateIDs(picked), (std::vector<UUID>{npm, shop}));
}

TEST_F(HandBuiltTree, TogglingGoesFromPartToAllToNoneAndNeverSelectsTheDangerous) {
    std::set<UUID> selection{api, archive};
    const auto& modules = *tree.find("node/modules");
    EXPECT_FALSE(TreeNavigation::isSelected(modules, selection));
    EXPECT_TRUE(TreeNavigation::toggle(selection, TreeNavigation::candidateIDs(modules)));
    EXPECT_EQ(selection, (std::set<UUID>{shop, api, archive}));
    EXPECT_TRUE(TreeNavigation::isSelected(modules, selection));
    EXPECT_TRUE(TreeNavigation::toggle(selection, TreeNavigation::candidateIDs(modules)));
    EXPECT_EQ(selection, std::set<UUID>{archive});

    // Even with the dangerous candidate's id chosen, its node is not "selected".
    const auto& archives = *tree.find("xcode/archives");
    EXPECT_FALSE(TreeNavigation::isSelected(archives, selection));
    EXPECT_FALSE(TreeNavigation::toggle(selection, TreeNavigation::candidateIDs(archives)));
    EXPECT_EQ(selection, std::set<UUID>{archive});
}

TEST_F(HandBuiltTree, ANodeIsSelectedWhenEveryCandidateBelowItIs) {
    struct Case {
        const char* node;
        std::set<UUID> selection;
        bool selected;
    };
    const std::vector<Case> cases{
        {"root", {}, false},
        {"root", {shop, api, npm}, true},  // across both groups of "node"
        {"root", {shop, api}, false},      // npm, in the other group, is missing
        {"root", {api, npm}, false},
        {"root", {shop, api, npm, keys, archive}, true},
        {"node/cache", {npm}, true},
        {"shop", {shop}, true},  // a leaf stands for itself
        {"shop", {api}, false},
        {"noid", {shop, api, npm}, false},  // nothing to select
        {"xcode", {archive}, false},        // only a dangerous one and one without an id
    };
    for (const auto& c : cases)
        EXPECT_EQ(TreeNavigation::isSelected(*tree.find(c.node), c.selection), c.selected)
            << c.node << " with " << c.selection.size() << " chosen";
}

TEST(TreeNavigationTest, QuickWinsAreTheSevenLargestReclaimableGroupsInStableOrder) {
    StorageNode tree =
        node("root", {node("a", {node("a1", {}, 5), node("a2", {}, 0), node("a3", {}, 9), node("a4", {}, 5)}),
                      node("b", {node("b1", {}, 5), node("b2", {}, 1), node("b3", {}, 7), node("b4", {}, 5),
                                 node("b5", {}, 2)})});
    EXPECT_EQ(ids(TreeNavigation::sidebarItems(tree)), (Ids{"a3", "b3", "a1", "a4", "b1", "b4", "b5"}));
    tree.children[1].children.resize(2);
    EXPECT_EQ(ids(TreeNavigation::sidebarItems(tree)), (Ids{"a3", "a1", "a4", "b1", "b2"}));
}

}  // namespace
}  // namespace korvane
