#include "core/model/StorageNode.h"

#include <limits>
#include <map>
#include <unordered_set>

#include <gtest/gtest.h>

#include "core/model/ScanResult.h"
#include "core/model/UUID.h"
#include "tests/model/ModelSamples.h"

namespace korvane {
namespace {

using samples::candidate;

ScanResult scanOf(std::vector<CategoryResult> categories) {
    return ScanResult(samples::date(0), 1, std::move(categories), VolumeInfo(), {}, 0, 0);
}

std::vector<std::string> ids(const std::vector<StorageNode>& nodes) {
    std::vector<std::string> result;
    for (const auto& node : nodes) result.push_back(node.id);
    return result;
}

StorageNode leaf(std::string id, std::string name, std::int64_t bytes) {
    StorageNode node;
    node.id = std::move(id);
    node.name = std::move(name);
    node.kind = StorageNode::Kind::item;
    node.bytes = bytes;
    node.reclaimable = bytes;
    return node;
}

TEST(StorageNodeTest, KindTextForms) {
    EXPECT_EQ(rawValue(StorageNode::Kind::uninspected), "uninspected");
    EXPECT_EQ(storageNodeKindFromRawValue("group"), StorageNode::Kind::group);
    EXPECT_FALSE(storageNodeKindFromRawValue("Group"));
}

TEST(StorageNodeTest, EmptyScanGivesAnEmptyRoot) {
    auto root = StorageNode::developerTree(scanOf({}), false);
    EXPECT_EQ(root.id, "root");
    EXPECT_EQ(root.name, "Developer storage");
    EXPECT_EQ(root.kind, StorageNode::Kind::root);
    EXPECT_EQ(root.bytes, 0);
    EXPECT_EQ(root.reclaimable, 0);
    EXPECT_TRUE(root.children.empty());
    EXPECT_FALSE(root.category);
}

TEST(StorageNodeTest, DangerousOnlyCategoryShowsWhatItCountsOrIsUninspected) {
    CategoryResult result(CleanupCategory::xcode, 5000,
                          {candidate(CleanupCategory::xcode, "xcode.archives", 4000, SafetyLevel::dangerous)});
    // What it counts is shown, though nothing is offered.
    const auto counted = StorageNode::developerTree(scanOf({result}), false);
    ASSERT_EQ(counted.children.size(), 1u);
    EXPECT_EQ(ids(counted.children[0].children), std::vector<std::string>{"xcode//notOffered"});

    // Hidden candidates, but a footprint and a note: an uninspected node.
    result.note = "Archives are kept";
    auto hidden = StorageNode::categoryNode(result, false);
    ASSERT_TRUE(hidden);
    EXPECT_EQ(hidden->kind, StorageNode::Kind::uninspected);
    EXPECT_EQ(hidden->bytes, 1000) << "the hidden archives take their bytes with them";
    EXPECT_EQ(hidden->reclaimable, 0);
    EXPECT_TRUE(hidden->children.empty());

    CategoryResult noted(CleanupCategory::docker, 1, {}, "Docker is not running");
    auto node = StorageNode::categoryNode(noted, false);
    ASSERT_TRUE(node);
    EXPECT_EQ(node->kind, StorageNode::Kind::uninspected);
    EXPECT_EQ(node->id, "docker");
    EXPECT_EQ(node->name, "Docker");
    EXPECT_EQ(node->bytes, 1);
    EXPECT_EQ(node->reclaimable, 0);
    EXPECT_EQ(node->reason, "Docker is not running");
    EXPECT_EQ(node->details, (std::map<std::string, std::string>{{"Note", "Docker is not running"}}));
    EXPECT_FALSE(node->safety);
    EXPECT_TRUE(node->children.empty());
    EXPECT_FALSE(StorageNode::categoryNode(CategoryResult(CleanupCategory::docker, 0, {}, "note"), false));

    // Shown when protected items are shown: the item counts in bytes, not reclaimable.
    auto shown = StorageNode::developerTree(scanOf({result}), true);
    ASSERT_EQ(shown.children.size(), 1u);
    const auto& category = shown.children[0];
    EXPECT_EQ(category.kind, StorageNode::Kind::category);
    EXPECT_EQ(category.bytes, 5000);  // never below the footprint
    EXPECT_EQ(category.reclaimable, 0);
    EXPECT_EQ(category.details.at("Note"), "Archives are kept");
    ASSERT_EQ(category.children.size(), 2u);  // and what the item leaves of the footprint
    EXPECT_EQ(category.children[1].bytes, 1000);
    EXPECT_EQ(category.children[0].safety, SafetyLevel::dangerous);
    EXPECT_EQ(category.children[0].bytes, 4000);
    EXPECT_EQ(category.children[0].reclaimable, 0);
    EXPECT_EQ(category.children[0].children[0].reclaimable, 0);
}

// The canvas page's header reads the tree's root: with protected items
// hidden, their bytes leave the category's size, and what the category holds
// besides its items (its footprint) stays.
TEST(StorageNodeTest, HiddenProtectedItemsLeaveTheCategorysSize) {
    CategoryResult result(CleanupCategory::toolchains, 1000,
                          {candidate(CleanupCategory::toolchains, "rust.toolchain", 600, SafetyLevel::dangerous),
                           candidate(CleanupCategory::toolchains, "rust.target", 100, SafetyLevel::safe)});
    EXPECT_EQ(StorageNode::developerTree(scanOf({result}), true).bytes, 1000);
    EXPECT_EQ(StorageNode::developerTree(scanOf({result}), false).bytes, 400);
    result.footprint = 650;  // measured before the protected item grew
    EXPECT_EQ(StorageNode::developerTree(scanOf({result}), false).bytes, 100);
}

TEST(StorageNodeTest, WhatAFootprintCountsBeyondItsCandidatesIsShownAsNotOffered) {
    const auto offered = candidate(CleanupCategory::node, "node.modules", 3000, SafetyLevel::safe, "a");
    struct Case {
        const char* name;
        std::int64_t footprint;
        std::vector<CleanupCandidate> candidates;
        std::vector<std::string> children;
        std::int64_t notOffered;  // 0: no such child
    };
    const Case cases[] = {
        // A project outside the home: measured, refused, nothing offered.
        {"nothing offered", 7000, {}, {"node//notOffered"}, 7000},
        {"part offered", 10000, {offered}, {"node/node.modules", "node//notOffered"}, 7000},
        {"all offered", 3000, {offered}, {"node/node.modules"}, 0},
        {"a footprint below the candidates", 10, {offered}, {"node/node.modules"}, 0},
        {"nothing counted", 0, {}, {}, 0},
    };
    for (const auto& c : cases) {
        const auto tree = StorageNode::developerTree(
            scanOf({CategoryResult(CleanupCategory::node, c.footprint, c.candidates)}), false);
        if (c.children.empty()) {
            EXPECT_TRUE(tree.children.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(tree.children.size(), 1u) << c.name;
        const StorageNode& category = tree.children[0];
        EXPECT_EQ(ids(category.children), c.children) << c.name;
        EXPECT_EQ(category.bytes,
                  std::max<std::int64_t>(c.footprint, 3000 * static_cast<std::int64_t>(c.candidates.size())))
            << c.name;
        EXPECT_EQ(category.reclaimable, 3000 * static_cast<std::int64_t>(c.candidates.size())) << c.name;
        if (c.notOffered == 0) continue;
        const StorageNode& rest = category.children.back();
        EXPECT_EQ(rest.bytes, c.notOffered) << c.name;
        EXPECT_EQ(rest.reclaimable, 0) << c.name;
        EXPECT_EQ(rest.kind, StorageNode::Kind::uninspected) << c.name;
        EXPECT_FALSE(rest.candidateID) << c.name;
        EXPECT_TRUE(rest.reason) << c.name;
    }
}

TEST(StorageNodeTest, TreeShapeAndOrdering) {
    auto a = candidate(CleanupCategory::node, "node.modules", 10, SafetyLevel::safe, "a");
    auto b = candidate(CleanupCategory::node, "node.modules", 30, SafetyLevel::caution, "b");
    auto c = candidate(CleanupCategory::node, "node.npm", 100, SafetyLevel::safe, "c");
    auto d = candidate(CleanupCategory::docker, "docker.prune", 130, SafetyLevel::safe, "d");
    d.removal = RemovalKind::command(ExternalTool::docker, {"system", "prune"});
    a.groupTitle = "Dependencies";
    CategoryResult node(CleanupCategory::node, 50, {a, b, c}, std::nullopt);
    CategoryResult docker(CleanupCategory::docker, 0, {d});
    auto root = StorageNode::developerTree(scanOf({docker, node}), false);

    EXPECT_EQ(root.bytes, 270);
    EXPECT_EQ(root.reclaimable, 270);
    EXPECT_EQ(ids(root.children), (std::vector<std::string>{"node", "docker"}));
    const auto& nodeCategory = root.children[0];
    EXPECT_EQ(nodeCategory.name, "Node.js");
    EXPECT_EQ(nodeCategory.bytes, 140);
    EXPECT_TRUE(nodeCategory.details.empty());
    EXPECT_EQ(ids(nodeCategory.children), (std::vector<std::string>{"node/node.npm", "node/node.modules"}));

    const auto& group = nodeCategory.children[1];
    EXPECT_EQ(group.kind, StorageNode::Kind::group);
    EXPECT_EQ(group.name, "Dependencies");  // first candidate in scanner order
    EXPECT_EQ(group.reason, a.reason);
    EXPECT_EQ(group.safety, SafetyLevel::caution);
    EXPECT_EQ(group.bytes, 40);
    EXPECT_EQ(ids(group.children), (std::vector<std::string>{b.id.text(), a.id.text()}));

    const auto& item = group.children[0];
    EXPECT_EQ(item.kind, StorageNode::Kind::item);
    EXPECT_EQ(item.name, "b");
    EXPECT_EQ(item.candidateID, b.id);
    EXPECT_EQ(item.path, b.path);
    EXPECT_EQ(item.restoreHint, b.restoreHint);
    EXPECT_FALSE(item.fileKind);

    // Command removals carry no path.
    EXPECT_FALSE(root.children[1].children[0].children[0].path);
}

TEST(StorageNodeTest, SiblingGroupsOfOneTitleAreNamedByWhatEachHolds) {
    auto jetBrains = candidate(CleanupCategory::toolchains, "jetbrains.caches", 17, SafetyLevel::caution,
                               "JetBrains IDE caches");
    auto code = candidate(CleanupCategory::toolchains, "editors.caches", 12, SafetyLevel::safe, "VS Code cached data");
    auto cursor = candidate(CleanupCategory::toolchains, "editors.caches", 30, SafetyLevel::safe, "Cursor cached data");
    auto go = candidate(CleanupCategory::toolchains, "go.buildCache", 5, SafetyLevel::safe, "Build cache");
    jetBrains.groupTitle = code.groupTitle = cursor.groupTitle = "Editors";
    go.groupTitle = "Go";
    // A title shared only across categories stays as it is.
    auto gradle = candidate(CleanupCategory::gradle, "gradle.caches", 9, SafetyLevel::safe, "Build cache");
    gradle.groupTitle = "Go";
    CategoryResult toolchains(CleanupCategory::toolchains, 0, {jetBrains, code, cursor, go});
    CategoryResult gradleResult(CleanupCategory::gradle, 0, {gradle});
    const auto root = StorageNode::developerTree(scanOf({toolchains, gradleResult}), false);

    std::map<std::string, std::string> names;
    for (const auto& category : root.children)
        for (const auto& group : category.children) names[group.id] = group.name;
    EXPECT_EQ(names["toolchains/jetbrains.caches"], "Editors (JetBrains IDE caches)");
    EXPECT_EQ(names["toolchains/editors.caches"], "Editors (VS Code cached data and 1 more)");
    EXPECT_EQ(names["toolchains/go.buildCache"], "Go");
    EXPECT_EQ(names["gradle/gradle.caches"], "Go");
    // The group's items keep their own names.
    EXPECT_EQ(root.find("toolchains/editors.caches")->children[0].name, "Cursor cached data");
}

TEST(StorageNodeTest, EqualCategoriesKeepScanOrder) {
    CategoryResult flutter(CleanupCategory::flutter, 10, {candidate(CleanupCategory::flutter, "f", 10)});
    CategoryResult xcode(CleanupCategory::xcode, 10, {candidate(CleanupCategory::xcode, "x", 10)});
    EXPECT_EQ(ids(StorageNode::developerTree(scanOf({flutter, xcode}), false).children),
              (std::vector<std::string>{"flutter", "xcode"}));
    EXPECT_EQ(ids(StorageNode::developerTree(scanOf({xcode, flutter}), false).children),
              (std::vector<std::string>{"xcode", "flutter"}));
}

TEST(StorageNodeTest, SumsSaturate) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    CategoryResult a(CleanupCategory::docker, 0, {candidate(CleanupCategory::docker, "r", kMax),
                                                  candidate(CleanupCategory::docker, "r", kMax)});
    CategoryResult b(CleanupCategory::node, 0, {candidate(CleanupCategory::node, "r", kMax)});
    auto root = StorageNode::developerTree(scanOf({a, b}), false);
    EXPECT_EQ(root.bytes, kMax);
    EXPECT_EQ(root.reclaimable, kMax);
}

StorageNode sampleTree() {
    StorageNode root;
    root.id = "root";
    root.name = "Home";
    StorageNode docs;
    docs.id = "/h/Docs";
    docs.name = "Docs";
    docs.path = "/h/Docs";
    docs.bytes = 30;
    docs.children = {leaf("/h/Docs/report.PDF", "report.PDF", 10), leaf("dup", "first dup", 20)};
    docs.children[0].fileKind = FileKind::documents;
    StorageNode music;
    music.id = "/h/Music";
    music.name = "Music";
    music.bytes = 5;
    music.category = CleanupCategory::xcode;  // title "Xcode" takes part in matching
    music.children = {leaf("dup", "second dup", 5)};
    root.children = {docs, music};
    root.bytes = 35;
    return root;
}

TEST(StorageNodeTest, LookupsRunInPreOrder) {
    auto root = sampleTree();
    EXPECT_EQ(root.leafCount(), 3u);
    ASSERT_NE(root.find("dup"), nullptr);
    EXPECT_EQ(root.find("dup")->name, "first dup");
    EXPECT_EQ(root.find("missing"), nullptr);
    EXPECT_EQ(root.find("root"), &root);

    auto path = root.pathTo("/h/Docs/report.PDF");
    ASSERT_EQ(path.size(), 3u);
    EXPECT_EQ(path[0], &root);
    EXPECT_EQ(path[1]->id, "/h/Docs");
    EXPECT_EQ(path[2]->id, "/h/Docs/report.PDF");
    EXPECT_EQ(root.pathTo("root"), std::vector<const StorageNode*>{&root});
    EXPECT_TRUE(root.pathTo("nothing").empty());

    auto leaves = root.leaves();
    ASSERT_EQ(leaves.size(), 3u);
    EXPECT_EQ(leaves[0]->name, "report.PDF");
    EXPECT_EQ(leaves[1]->name, "first dup");
    EXPECT_EQ(leaves[2]->name, "second dup");

    const auto& single = root.children[1].children[0];
    EXPECT_TRUE(single.isLeaf());
    EXPECT_EQ(single.leafCount(), 1u);
    EXPECT_EQ(single.leaves(), std::vector<const StorageNode*>{&single});
}

TEST(StorageNodeTest, EqualityAndHashUseTheIdOnly) {
    auto a = leaf("same", "one", 1);
    auto b = leaf("same", "two", 2);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, leaf("other", "one", 1));
    std::unordered_set<StorageNode> set{a, b};
    EXPECT_EQ(set.size(), 1u);
}

TEST(StorageNodeTest, BlankQueryKeepsTheTree) {
    auto root = sampleTree();
    auto filtered = root.filtered(" \t  ");
    ASSERT_TRUE(filtered);
    EXPECT_EQ(filtered->bytes, 35);
    EXPECT_EQ(filtered->leafCount(), 3u);
    EXPECT_EQ(filtered->children[0].children[0].fileKind, FileKind::documents);
    EXPECT_FALSE(root.filtered("zebra"));
}

TEST(StorageNodeTest, FilterKeepsMatchesAndRecomputesSizes) {
    auto root = sampleTree();
    auto filtered = root.filtered("  REPORT ");
    ASSERT_TRUE(filtered);
    ASSERT_EQ(filtered->children.size(), 1u);
    EXPECT_EQ(filtered->children[0].id, "/h/Docs");
    ASSERT_EQ(filtered->children[0].children.size(), 1u);
    EXPECT_EQ(filtered->children[0].bytes, 10);
    EXPECT_EQ(filtered->bytes, 10);
    // A matching leaf is kept as it is; only rebuilt parents drop their kind.
    EXPECT_EQ(filtered->children[0].children[0].fileKind, FileKind::documents);
    EXPECT_EQ(filtered->children[0].path, "/h/Docs");
    auto coloured = root;
    coloured.children[0].fileKind = FileKind::documents;
    EXPECT_FALSE(coloured.filtered("report")->children[0].fileKind);

    // A category title match keeps that node's whole subtree.
    auto byCategory = root.filtered("xCoDe");
    ASSERT_TRUE(byCategory);
    ASSERT_EQ(byCategory->children.size(), 1u);
    EXPECT_EQ(byCategory->children[0].id, "/h/Music");
    EXPECT_EQ(byCategory->children[0].children.size(), 1u);
    EXPECT_EQ(byCategory->bytes, 5);

    // A matching leaf keeps its own values.
    auto dup = root.filtered("dup");
    ASSERT_TRUE(dup);
    EXPECT_EQ(dup->leafCount(), 2u);
    EXPECT_EQ(dup->bytes, 25);

    // The path matches too (here "/h/" is in every path and id).
    auto byPath = root.filtered("/h/docs");
    ASSERT_TRUE(byPath);
    EXPECT_EQ(byPath->children.size(), 1u);
    EXPECT_EQ(byPath->children[0].children.size(), 2u);
}

TEST(StorageNodeTest, FilterFoldsCaseBeyondAscii) {
    StorageNode root;
    root.id = "root";
    root.children = {leaf("/h/\xC3\x89tudes", "\xC3\x89tudes", 4), leaf("/h/other", "other", 1)};
    auto filtered = root.filtered("\xC3\xA9TUDES");
    ASSERT_TRUE(filtered);
    ASSERT_EQ(filtered->children.size(), 1u);
    EXPECT_EQ(filtered->bytes, 4);
}

TEST(StorageNodeTest, FilterOnADeveloperTreeMatchesCategoryTitles) {
    CategoryResult xcode(CleanupCategory::xcode, 0, {candidate(CleanupCategory::xcode, "xcode.derived", 70)});
    CategoryResult node(CleanupCategory::node, 0, {candidate(CleanupCategory::node, "node.npm", 30)});
    auto tree = StorageNode::developerTree(scanOf({xcode, node}), false);
    auto filtered = tree.filtered("XCODE");
    ASSERT_TRUE(filtered);
    EXPECT_EQ(ids(filtered->children), std::vector<std::string>{"xcode"});
    EXPECT_EQ(filtered->bytes, 70);
    EXPECT_EQ(filtered->reclaimable, 70);
    EXPECT_EQ(filtered->leafCount(), 1u);
}

TEST(StorageNodeTest, FilterNeverMatchesACandidatesIdentifier) {
    auto item = candidate(CleanupCategory::gradle, "gradle.caches", 70, SafetyLevel::safe, "Gradle 7.6 cache");
    item.id = *UUID::parse("88888888-8888-4888-8888-888888888888");
    CategoryResult gradle(CleanupCategory::gradle, 0, {item});
    const auto tree = StorageNode::developerTree(scanOf({gradle}), false);
    // The item's node carries the identifier as its id; only its name, path and category count.
    ASSERT_EQ(tree.children[0].children[0].children[0].id, item.id.text());
    EXPECT_FALSE(tree.filtered("8888"));
    EXPECT_FALSE(tree.filtered("-4888-"));
    EXPECT_TRUE(tree.filtered("7.6"));
}

}  // namespace
}  // namespace korvane
