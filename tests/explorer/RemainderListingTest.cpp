#include "core/explorer/RemainderListing.h"

#include <gtest/gtest.h>

#include <set>

#include "core/system/Paths.h"
#include "tests/explorer/ScanTestSupport.h"

namespace korvane {
namespace {

using testing::allocate;
using testing::TempTree;
using testing::duBytes;
using testing::allocated;
using testing::child;

const StorageNode* remainderOf(const StorageNode& folder) {
    for (const StorageNode& c : folder.children)
        if (FileTreeScanner::isRemainderID(c.id)) return &c;
    return nullptr;
}

std::unordered_set<std::string> shownBeside(const StorageNode& root, const StorageNode& rest) {
    return RemainderListing::shownBeside(root.pathTo(rest.id));
}

// A folder of 31 small photos beside a subfolder shows one tile "31 smaller
// items". Opened, it lists the photos, the largest first, with the usual
// limit; what lies past the limit is a remainder that opens the same way, so
// every photo is reached once, and the sizes are the scan's.
TEST(RemainderListing, OpensASummedNodeIntoItsFilesAndTheRestIntoAnotherThatOpensToo) {
    TempTree tree;
    std::set<std::string> photos;
    for (int i = 0; i < 31; ++i) {
        const std::string name = "IMG_" + std::to_string(1000 + i) + ".jpg";
        allocate(tree, "Summer 2021/" + name, 4096 * (i + 1));
        photos.insert(name);
    }
    allocate(tree, "Summer 2021/edits/cut.jpg", 4096);
    const auto scanned = FileTreeScanner().scan(tree.root());
    const StorageNode* summer = child(scanned.root, "Summer 2021");
    ASSERT_NE(summer, nullptr);
    const StorageNode* rest = remainderOf(*summer);
    ASSERT_NE(rest, nullptr);
    ASSERT_EQ(rest->name, "31 smaller items");

    FileTreeScanner::Options options;
    options.maxChildren = 20;
    const auto opened = RemainderListing::read(tree.path("Summer 2021"), shownBeside(scanned.root, *rest), rest->id, options);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->id, rest->id);
    EXPECT_EQ(opened->name, "31 smaller items");
    EXPECT_EQ(opened->bytes, rest->bytes);
    EXPECT_EQ(opened->fileCount, 31u);
    ASSERT_EQ(opened->children.size(), 21u);
    std::set<std::string> reached;
    const StorageNode* more = remainderOf(*opened);
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(more->name, "11 smaller items");
    EXPECT_EQ(FileTreeScanner::remainderFolder(more->id), tree.path("Summer 2021"));
    EXPECT_EQ(more->ages.total(), more->bytes) << "every byte dated by its own file";
    std::int64_t previous = INT64_MAX;
    for (const StorageNode& c : opened->children) {
        EXPECT_LE(c.bytes, previous) << "largest first";
        previous = c.bytes;
        if (&c == more) continue;
        EXPECT_EQ(c.kind, StorageNode::Kind::item);
        EXPECT_EQ(c.path, tree.path("Summer 2021/" + c.name));
        EXPECT_TRUE(c.lastModified);
        reached.insert(c.name);
    }

    // Beside the next remainder: the folder's other children and what the first one listed.
    FileTreeScanner::Result result = scanned;
    ASSERT_TRUE(RemainderListing::graft(result, *opened));
    const std::unordered_set<std::string> shown = shownBeside(result.root, *more);
    EXPECT_EQ(shown.size(), 21u);
    EXPECT_TRUE(shown.contains("edits"));
    const auto next = RemainderListing::read(tree.path("Summer 2021"), shown, more->id, options);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->bytes, more->bytes);
    EXPECT_EQ(next->children.size(), 11u);
    EXPECT_EQ(remainderOf(*next), nullptr);
    for (const StorageNode& c : next->children) EXPECT_TRUE(reached.insert(c.name).second) << c.name;
    EXPECT_EQ(reached, photos);
}

// Put in place of its remainder, a listing leaves the tree's figures as they
// were while the disk is as scanned, and carries what changed since up to
// the root.
TEST(RemainderListing, AGraftedListingCarriesWhatChangedSinceTheScanUpTheTree) {
    TempTree tree;
    for (int i = 0; i < 5; ++i) allocate(tree, "docs/notes/n" + std::to_string(i) + ".txt", 8192);
    const auto scanned = FileTreeScanner().scan(tree.root());
    const StorageNode* notes = child(*child(scanned.root, "docs"), "notes");
    const StorageNode rest = *remainderOf(*notes);
    const auto chain = scanned.root.pathTo(rest.id);

    FileTreeScanner::Result same = scanned;
    ASSERT_TRUE(RemainderListing::graft(same, *RemainderListing::read(tree.path("docs/notes"),
                                                                      RemainderListing::shownBeside(chain), rest.id)));
    EXPECT_EQ(same.root.bytes, scanned.root.bytes);
    EXPECT_EQ(same.fileCount, 5);
    EXPECT_EQ(same.root.find(rest.id)->children.size(), 5u);

    const std::int64_t added = allocated(allocate(tree, "docs/notes/late.txt", 40960));
    FileTreeScanner::Result later = scanned;
    ASSERT_TRUE(RemainderListing::graft(later, *RemainderListing::read(tree.path("docs/notes"),
                                                                       RemainderListing::shownBeside(chain), rest.id)));
    for (const std::string& id : {scanned.root.id, tree.path("docs"), tree.path("docs/notes"), rest.id}) {
        EXPECT_EQ(later.root.find(id)->bytes, scanned.root.find(id)->bytes + added) << id;
        EXPECT_EQ(later.root.find(id)->fileCount, scanned.root.find(id)->fileCount + 1) << id;
    }
    EXPECT_EQ(later.fileCount, 6);
    EXPECT_FALSE(RemainderListing::graft(later, rest)) << "opened already";
}

// A folder below the tree's depth folds its subfolders into its remainder:
// opened, they are folders again, each with what a scan finds in it.
TEST(RemainderListing, FoldedSubfoldersComeBackAsScannedFolders) {
    TempTree tree;
    allocate(tree, "deep/a/loose.txt", 8192);
    allocate(tree, "deep/a/b/one.bin", 12288);
    allocate(tree, "deep/a/b/c/two.bin", 4096);
    FileTreeScanner::Options options;
    options.treeDepth = 1;
    const auto scanned = FileTreeScanner(options).scan(tree.root());
    const StorageNode* a = child(*child(scanned.root, "deep"), "a");
    ASSERT_NE(a, nullptr);
    const StorageNode* rest = remainderOf(*a);
    ASSERT_NE(rest, nullptr);
    ASSERT_EQ(a->children.size(), 1u) << "everything in a is folded";

    const auto opened = RemainderListing::read(tree.path("deep/a"), shownBeside(scanned.root, *rest), rest->id);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->bytes, rest->bytes);
    EXPECT_EQ(opened->fileCount, 3u);
    EXPECT_EQ(opened->folderCount, 2u);
    const StorageNode* b = child(*opened, "b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->kind, StorageNode::Kind::group);
    EXPECT_EQ(b->bytes, duBytes(tree.path("deep/a/b")));
    EXPECT_FALSE(b->children.empty());
    ASSERT_NE(child(*opened, "loose.txt"), nullptr);

    EXPECT_FALSE(RemainderListing::read(tree.path("gone"), {}, FileTreeScanner::remainderID(tree.path("gone"))));
}

}  // namespace
}  // namespace korvane
