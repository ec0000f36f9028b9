// The folder aggregation without a disk: kind tally, child cut, remainder.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/explorer/AgeDayTable.h"
#include "core/explorer/AgeStamper.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/explorer/FolderTally.h"
#include "core/system/LocalDays.h"

namespace korvane {
namespace {

ScanTreeNode item(const std::string& name, std::int64_t bytes) {
    ScanTreeNode node;
    node.name = name;
    node.bytes = bytes;
    node.kind = classifyFileKind(name, false);
    return node;
}

std::vector<std::string> names(const ScanTreeNode& node) {
    std::vector<std::string> result;
    for (const auto& child : node.children) result.push_back(child.name);
    return result;
}

// The day table and stamper of a scan made at a fixed moment; stays where it
// is made, as the stamper refers to the table.
struct ScanDays {
    using Time = std::chrono::system_clock::time_point;
    static AgeDayTable tableAt(Time time) {
        const LocalDays::Moment moment = LocalDays::moment(time);
        return AgeDayTable({moment.day, moment.millisecond});
    }
    ScanDays() = default;
    ScanDays(const ScanDays&) = delete;
    ScanDays& operator=(const ScanDays&) = delete;

    Time ago(int days) const { return now - std::chrono::hours(24 * days); }
    ScanTreeNode::StampOf stampOf() {
        return [this](Time time) { return stamper(time); };
    }

    const Time now{std::chrono::seconds(1'700'000'000)};
    const AgeDayTable days = tableAt(now);
    AgeStamper stamper{days};
};

TEST(FolderTallyTest, DominantKindByBytesWithTiesToTheEarlierKindAndFoldersWhenEmpty) {
    const struct {
        std::vector<std::pair<FileKind, std::int64_t>> items;
        FileKind expected;
    } cases[] = {
        {{}, FileKind::folders},
        {{{FileKind::video, 10}, {FileKind::images, 30}}, FileKind::images},
        {{{FileKind::video, 30}, {FileKind::images, 30}}, FileKind::images},
        {{{FileKind::code, 0}}, FileKind::code},
        {{{FileKind::any, 5}, {FileKind::audio, 5}}, FileKind::any},
        {{{FileKind::audio, 1}, {FileKind::apps, 4}, {FileKind::audio, 4}}, FileKind::audio},
    };
    for (const auto& c : cases) {
        FolderTally tally(45);
        std::uint32_t seq = 0;
        for (const auto& [kind, bytes] : c.items) tally.addItem(seq++, kind, bytes, nullptr);
        EXPECT_EQ(tally.dominant(), c.expected) << c.items.size();
    }
}

TEST(FolderTallyTest, CutKeepsTheLargestInListingOrderAndCountsTheRestOnce) {
    FolderTally tally(2);
    std::uint32_t seq = 0;
    for (auto [name, bytes] : std::vector<std::pair<std::string, std::int64_t>>{
             {"a.mov", 100}, {"b.mov", 300}, {"c.mov", 100}, {"d.mov", 300}, {"e.mov", 50}}) {
        ScanTreeNode node = item(name, bytes);
        tally.addItem(seq++, node.kind, bytes, &node);
    }
    tally.addItem(seq++, FileKind::any, 7, nullptr);  // a small file without a node
    tally.addOwn(4096);
    ScanTreeNode folder = tally.finish("f");
    EXPECT_EQ(names(folder), (std::vector<std::string>{"b.mov", "d.mov"}));
    EXPECT_EQ(folder.foldBytes, 100 + 100 + 50 + 7);
    EXPECT_EQ(folder.foldCount, 4);
    EXPECT_EQ(folder.bytes, 857 + 4096);
    EXPECT_EQ(folder.kind, FileKind::video);
    EXPECT_TRUE(folder.isFolder);
}

TEST(FolderTallyTest, SubfoldersWithoutANodeFoldTheirBytesButAreNoItems) {
    FolderTally tally(45);
    tally.addFolder(0, FileKind::images, 500, nullptr);
    ScanTreeNode kept;
    kept.name = "kept";
    kept.bytes = 200;
    kept.isFolder = true;
    tally.addFolder(1, FileKind::audio, 200, &kept);
    ScanTreeNode folder = tally.finish("f");
    EXPECT_EQ(folder.foldBytes, 500);
    EXPECT_EQ(folder.foldCount, 0);
    EXPECT_EQ(names(folder), std::vector<std::string>{"kept"});
    EXPECT_EQ(folder.kind, FileKind::images);
}

TEST(FolderTallyTest, PartsMergedInAnyOrderGiveTheSameFolder) {
    auto part = [](std::uint32_t first, int count, std::int64_t bytes) {
        FolderTally tally(3);
        for (int i = 0; i < count; ++i) {
            ScanTreeNode node = item("x" + std::to_string(first + i) + ".zip", bytes);
            tally.addItem(first + static_cast<std::uint32_t>(i), node.kind, bytes, &node);
        }
        return tally;
    };
    FolderTally one(3);
    one.merge(part(0, 200, 10));
    one.merge(part(200, 200, 10));
    FolderTally other(3);
    other.merge(part(200, 200, 10));
    other.merge(part(0, 200, 10));
    ScanTreeNode a = one.finish("f");
    ScanTreeNode b = other.finish("f");
    // Equal sizes: the first three in listing order, however the parts came.
    EXPECT_EQ(names(a), (std::vector<std::string>{"x0.zip", "x1.zip", "x2.zip"}));
    EXPECT_EQ(names(a), names(b));
    EXPECT_EQ(a.foldCount, 397);
    EXPECT_EQ(b.foldCount, 397);
    EXPECT_EQ(a.foldBytes, b.foldBytes);
    EXPECT_EQ(a.bytes, 4000);
}

// Dates survive the cut, the merge of parts and a folded subfolder: the
// folder keeps the newest of everything, the remainder the newest it sums.
TEST(FolderTallyTest, TheFolderAndItsRemainderAreDatedByTheNewestTheyHold) {
    using std::chrono::seconds;
    using Time = std::chrono::system_clock::time_point;
    FolderTally tally(1);
    tally.addOwn(4096, Time(seconds(20)));
    ScanTreeNode big = item("big.mov", 900);
    big.modified = Time(seconds(10));
    tally.addItem(0, big.kind, 900, &big);
    FolderTally part(1);
    ScanTreeNode cut = item("cut.mov", 800);  // cut by the limit of one child
    cut.modified = Time(seconds(49));
    part.addItem(1, cut.kind, 800, &cut);
    part.addItem(2, FileKind::any, 5, nullptr, Time(seconds(47)));
    tally.merge(std::move(part));
    tally.addFolder(3, FileKind::folders, 7, nullptr, Time(seconds(45)));
    EXPECT_EQ(tally.newest(), Time(seconds(49)));

    StorageNode node = tally.finish("f").toStorageNode("/f");
    EXPECT_EQ(node.lastModified, Time(seconds(49)));
    ASSERT_EQ(node.children.size(), 2u);
    EXPECT_EQ(node.children[0].lastModified, Time(seconds(10)));
    EXPECT_EQ(node.children[1].name, "2 smaller items");
    EXPECT_EQ(node.children[1].lastModified, Time(seconds(49)));

    // Nothing dated: no date rather than a made-up one.
    FolderTally bare(1);
    bare.addItem(0, FileKind::any, 5, nullptr);
    StorageNode undated = bare.finish("u").toStorageNode("/u");
    EXPECT_FALSE(undated.lastModified.has_value());
    ASSERT_EQ(undated.children.size(), 1u);
    EXPECT_EQ(undated.children[0].name, "1 smaller item");
    EXPECT_FALSE(undated.children[0].lastModified.has_value());
}

// A remainder that would stand for one named file and nothing else is that
// file, placed among the kept children by size and listing order, from
// whichever part of the listing it came.
TEST(FolderTallyTest, ALoneFoldedFileBecomesItsOwnNode) {
    const auto kept = [](FolderTally& tally, std::uint32_t seq) {
        ScanTreeNode node = item("kept" + std::to_string(seq), 40);
        tally.addItem(seq, node.kind, 40, &node);
    };
    const auto folded = [](FolderTally& tally, std::uint32_t seq, const char* name) {
        tally.addItem(seq, FileKind::documents, 40, nullptr, ScanTreeNode::noDate, std::nullopt, name);
    };
    const auto merged = [&](FolderTally& tally, std::uint32_t seq, const char* name) {
        FolderTally part(45);
        folded(part, seq, name);
        tally.merge(std::move(part));
    };
    const struct {
        const char* what;
        std::function<void(FolderTally&)> fill;
        std::vector<std::string> names;
    } cases[] = {
        {"after an equal kept one", [&](FolderTally& t) { kept(t, 0), folded(t, 1, "a"); }, {"kept0", "a"}},
        {"before an equal kept one", [&](FolderTally& t) { folded(t, 0, "a"), kept(t, 1); }, {"a", "kept1"}},
        {"from a merged part", [&](FolderTally& t) { merged(t, 3, "a"); }, {"a"}},
        {"two in two parts",
         [&](FolderTally& t) { folded(t, 0, "a"), merged(t, 1, "b"); },
         {"2 smaller items"}},
    };
    for (const auto& c : cases) {
        FolderTally tally(45);
        c.fill(tally);
        std::vector<std::string> got;
        for (const auto& child : tally.finish("f").toStorageNode("/f").children) got.push_back(child.name);
        EXPECT_EQ(got, c.names) << c.what;
    }
}

// Whatever path bytes take into the remainder (a small file, a child cut by
// the limit, a folder without a node, another part of the listing), their
// ages go with them; the folder's own blocks keep theirs.
TEST(FolderTallyTest, AgesGoWhereverTheBytesGo) {
    const AgeProfile::Moment reference{19794, 0};
    const auto stamp = [&](std::int64_t daysAgo) {
        return AgeProfile::stamp(reference, reference.day - daysAgo, 0);
    };
    const auto dated = [&](const char* name, std::int64_t bytes, std::int64_t daysAgo) {
        ScanTreeNode node = item(name, bytes);
        node.stamp = stamp(daysAgo);
        node.dated = true;
        return node;
    };
    FolderTally tally(1);
    tally.addOwn(4096, ScanTreeNode::noDate, stamp(900));
    tally.addItem(0, FileKind::any, 10, nullptr, ScanTreeNode::noDate, stamp(1));
    ScanTreeNode kept = dated("kept.mov", 900, 2);
    tally.addItem(1, kept.kind, 900, &kept);
    ScanTreeNode cut;  // a folder cut by the limit of one child, with its own blocks, a child and a remainder
    cut.isFolder = true;
    cut.bytes = 800;
    cut.foldAges.add(stamp(40), 300);
    cut.ownAges.add(stamp(41), 100);
    cut.children.push_back(dated("inside.mov", 400, 42));
    tally.addFolder(2, FileKind::video, 800, &cut);
    AgeProfile folded;
    folded.add(stamp(400), 70);
    tally.addFolder(3, FileKind::any, 70, nullptr, ScanTreeNode::noDate, std::move(folded));
    FolderTally part(1);
    part.addItem(4, FileKind::any, 5, nullptr, ScanTreeNode::noDate, stamp(1));
    part.addOwn(2, ScanTreeNode::noDate, stamp(3));
    tally.merge(std::move(part));

    const ScanTreeNode node = tally.finish("f");
    EXPECT_EQ(node.foldBytes, 10 + 800 + 70 + 5);
    EXPECT_EQ(node.foldAges.total(), node.foldBytes);
    EXPECT_EQ(node.foldAges.size(), 5u);  // 1, 40, 41, 42 and 400 days ago
    EXPECT_EQ(node.ownAges.total(), 4096 + 2);
}

// A remainder whose bytes all share its own date's cell makes no profile
// when its folder finishes; cut later into its parent's remainder, its
// bytes still bring their age along.
TEST(FolderTallyTest, ARemainderOfOneCellKeepsNoProfileYetItsAgesFollowACut) {
    ScanDays scan;
    AgeStamper& stamper = scan.stamper;
    const auto ago = [&](int n) { return scan.ago(n); };

    FolderTally oneCell(45);
    oneCell.addFolded(0, FileKind::any, 100, ago(3), stamper(ago(3)), "a");
    oneCell.addFolded(1, FileKind::any, 50, ago(3), stamper(ago(3)), "b");
    ScanTreeNode one = oneCell.finish("one", &stamper);
    EXPECT_TRUE(one.foldAges.isNodeDate());
    FolderTally twoCells(45);
    twoCells.addFolded(0, FileKind::any, 70, ago(3), stamper(ago(3)), "c");
    twoCells.addFolded(1, FileKind::any, 30, ago(400), stamper(ago(400)), "d");
    ScanTreeNode two = twoCells.finish("two", &stamper);
    EXPECT_EQ(two.foldAges.size(), 2u);

    const StorageNode shown =
        ScanTreeNode(one).toStorageNode("/one", scan.stampOf());
    ASSERT_EQ(shown.children.size(), 1u);
    EXPECT_EQ(shown.children[0].bytes, 150);
    EXPECT_TRUE(shown.children[0].ages.isNodeDate());

    FolderTally parent(1);
    ScanTreeNode big;
    big.name = "big";
    big.isFolder = true;
    big.bytes = 1000;
    parent.addFolder(0, FileKind::any, 1000, &big);
    parent.addFolder(1, FileKind::any, 150, &one);
    parent.addFolder(2, FileKind::any, 100, &two);
    const ScanTreeNode top = parent.finish("top");
    EXPECT_EQ(names(top), std::vector<std::string>{"big"});
    EXPECT_EQ(top.foldBytes, 250);
    EXPECT_EQ(top.foldAges.total(), 250);
    ASSERT_EQ(top.foldAges.size(), 2u);  // 400 and 3 days ago
    EXPECT_EQ(top.foldAges.cell(1).bytes, 150 + 70);
}

// A folder whose own blocks share its date's cell keeps no profile for them
// (most folders'); cut later into its parent's remainder, they still bring
// their age along, as one item each.
TEST(FolderTallyTest, OwnBlocksOfTheFoldersDateKeepNoProfileYetTheirAgesFollowACut) {
    ScanDays scan;
    AgeStamper& stamper = scan.stamper;
    const auto ago = [&](int n) { return scan.ago(n); };
    const auto folder = [&](const char* name, int ownDaysAgo, int filesDaysAgo) {
        FolderTally tally(45);
        tally.addOwn(4096, ago(ownDaysAgo), stamper(ago(ownDaysAgo)), 1);
        tally.addFolded(0, FileKind::any, 100, ago(filesDaysAgo), stamper(ago(filesDaysAgo)), "a");
        tally.addFolded(1, FileKind::any, 100, ago(filesDaysAgo), stamper(ago(filesDaysAgo)), "b");
        return tally.finish(name, &stamper);
    };
    ScanTreeNode current = folder("current", 5, 5);
    EXPECT_TRUE(current.ownAges.isNodeDate());
    ScanTreeNode older = folder("older", 400, 2);  // its own blocks are older than its files
    EXPECT_EQ(older.ownAges.size(), 1u);
    const StorageNode shown =
        ScanTreeNode(current).toStorageNode("/c", scan.stampOf());
    EXPECT_TRUE(shown.ages.isNodeDate());

    FolderTally parent(1);
    ScanTreeNode big;
    big.name = "big";
    big.isFolder = true;
    big.bytes = 10'000;
    parent.addFolder(0, FileKind::any, 10'000, &big);
    parent.addFolder(1, FileKind::any, current.bytes, &current);
    parent.addFolder(2, FileKind::any, older.bytes, &older);
    const ScanTreeNode top = parent.finish("top");
    EXPECT_EQ(top.foldBytes, 2 * (4096 + 200));
    ASSERT_EQ(top.foldAges.size(), 3u);  // 400, 5 and 2 days ago
    EXPECT_EQ(top.foldAges.cell(0).bytes, 4096);
    EXPECT_EQ(top.foldAges.cell(0).items, 1u);
    EXPECT_EQ(top.foldAges.cell(1).bytes, 4096 + 200);
    EXPECT_EQ(top.foldAges.cell(1).items, 3u);  // the folder and its two files
    EXPECT_EQ(top.foldAges.cell(2).bytes, 200);
}

TEST(ScanTreeNodeTest, BecomesStorageNodesWithPathsAndARemainderAfterEqualSizes) {
    ScanTreeNode folder;
    folder.name = "top";
    folder.isFolder = true;
    folder.bytes = 5000;
    folder.kind = FileKind::video;
    folder.foldBytes = 300;
    folder.foldCount = 1234;
    ScanTreeNode big = item("big.mov", 1000);
    big.modified = std::chrono::system_clock::time_point(std::chrono::seconds(77));
    ScanTreeNode same = item("same.mov", 300);
    ScanTreeNode sub;
    sub.name = "sub";
    sub.isFolder = true;
    sub.bytes = 100;
    folder.children = {big, same, sub};

    StorageNode node = std::move(folder).toStorageNode("/r/top");
    EXPECT_EQ(node.id, "/r/top");
    EXPECT_EQ(node.path, "/r/top");
    EXPECT_EQ(node.kind, StorageNode::Kind::group);
    EXPECT_EQ(node.fileKind, FileKind::video);
    EXPECT_FALSE(node.lastModified.has_value());
    ASSERT_EQ(node.children.size(), 4u);
    EXPECT_EQ(node.children[0].id, "/r/top/big.mov");
    EXPECT_EQ(node.children[0].kind, StorageNode::Kind::item);
    EXPECT_EQ(node.children[0].lastModified, big.modified);
    EXPECT_EQ(node.children[0].fileKind, FileKind::video);
    EXPECT_EQ(node.children[1].name, "same.mov");
    const StorageNode& rest = node.children[2];
    EXPECT_EQ(rest.id, FileTreeScanner::remainderID("/r/top"));
    EXPECT_EQ(rest.name, "1,234 smaller items");
    EXPECT_EQ(rest.details, (std::map<std::string, std::string>{{"Items", "1,234"}}));
    EXPECT_FALSE(rest.path.has_value());
    EXPECT_FALSE(rest.fileKind.has_value());
    EXPECT_EQ(node.children[3].id, "/r/top/sub");
    EXPECT_EQ(node.children[3].kind, StorageNode::Kind::group);

    ScanTreeNode bare;
    bare.name = "";
    bare.isFolder = true;
    bare.foldBytes = 9;
    StorageNode atRoot = std::move(bare).toStorageNode("/");
    ASSERT_EQ(atRoot.children.size(), 1u);
    EXPECT_EQ(atRoot.children[0].name, "Everything else");
    EXPECT_EQ(atRoot.children[0].details.at("Items"), "0");
    ScanTreeNode none;
    none.isFolder = true;
    EXPECT_TRUE(std::move(none).toStorageNode("/x").children.empty());
}

}  // namespace
}  // namespace korvane
