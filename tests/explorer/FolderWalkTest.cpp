// The folder walk: remainder folding, the child limit, packages, kinds and
// the odd corners of real folders.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>
#include <numeric>
#include <string>
#include <vector>

#include "core/explorer/FileTreeScanner.h"
#include "tests/explorer/ScanTestSupport.h"

namespace korvane {
namespace {

using testing::allocate;
using testing::allocated;
using testing::child;
using testing::duBytes;
using testing::smallOptions;
using testing::TempTree;

std::int64_t childrenBytes(const StorageNode& node) {
    return std::accumulate(node.children.begin(), node.children.end(), std::int64_t{0},
                           [](std::int64_t sum, const StorageNode& c) { return sum + c.bytes; });
}

TEST(FolderWalkTest, ChildLimitFoldsTheSmallestIntoARemainder) {
    TempTree tree;
    // 60 files above the node threshold, all of one size.
    for (int i = 0; i < 60; ++i) allocate(tree, "top/files/f" + std::to_string(i) + ".bin", 80 * 1024);
    auto result = FileTreeScanner(smallOptions()).scan(tree.root());
    const StorageNode* files = child(*child(result.root, "top"), "files");
    ASSERT_NE(files, nullptr);
    ASSERT_EQ(files->children.size(), 46u);
    const StorageNode& rest = files->children.front();  // 15 files: the largest child
    EXPECT_EQ(rest.name, "15 smaller items");
    EXPECT_EQ(rest.id, tree.path("top/files") + "//rest");
    EXPECT_EQ(rest.id, FileTreeScanner::remainderID(tree.path("top/files")));
    EXPECT_EQ(rest.kind, StorageNode::Kind::item);
    EXPECT_EQ(rest.bytes, 15 * allocated(tree.path("top/files/f0.bin")));
    EXPECT_EQ(rest.details, (std::map<std::string, std::string>{{"Items", "15"}}));
    EXPECT_FALSE(rest.path.has_value());
    EXPECT_FALSE(rest.fileKind.has_value());
    EXPECT_TRUE(rest.lastModified.has_value());  // the newest of the files it sums
    for (std::size_t i = 1; i < files->children.size(); ++i) {
        EXPECT_EQ(files->children[i].kind, StorageNode::Kind::item);
        EXPECT_TRUE(files->children[i].path.has_value());
    }
    // Children and remainder hold everything but the folder's own blocks.
    EXPECT_EQ(files->bytes, childrenBytes(*files) + allocated(tree.path("top/files")));
    EXPECT_EQ(files->kind, StorageNode::Kind::group);
    EXPECT_EQ(files->path, tree.path("top/files"));
    EXPECT_EQ(result.root.bytes, duBytes(tree.root()));
    EXPECT_EQ(result.fileCount, 60);
}

TEST(FolderWalkTest, EqualSizesKeepListingOrderAndTheRemainderComesAfterThem) {
    TempTree tree;
    FileTreeScanner::Options options = smallOptions();
    options.maxChildren = 2;
    allocate(tree, "top/a.bin", 100 * 1024);
    allocate(tree, "top/b.bin", 100 * 1024);
    allocate(tree, "top/c.bin", 100 * 1024);
    auto result = FileTreeScanner(options).scan(tree.root());
    const StorageNode& top = result.root.children.at(0);
    ASSERT_EQ(top.children.size(), 3u);
    // One file cut: a remainder as large as each kept file sorts after them.
    EXPECT_EQ(top.children[0].bytes, top.children[2].bytes);
    EXPECT_EQ(top.children[2].name, "1 smaller item");
    // The kept ones are the first two in the folder's listing, in that order.
    std::vector<std::string> listing;
    DIR* dir = opendir(tree.path("top").c_str());
    ASSERT_NE(dir, nullptr);
    while (dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.') listing.push_back(entry->d_name);
    closedir(dir);
    ASSERT_EQ(listing.size(), 3u);
    EXPECT_EQ(top.children[0].name, listing[0]);
    EXPECT_EQ(top.children[1].name, listing[1]);
}

TEST(FolderWalkTest, SmallFilesFoldIntoOneRemainderAndGiveTheFolderItsKind) {
    TempTree tree;
    tree.file("top/photos/a.png", 9000);
    tree.file("top/photos/b.JPG", 9000);
    tree.file("top/photos/c.txt", 3000);
    auto result = FileTreeScanner().scan(tree.root());
    const StorageNode* photos = child(result.root.children.at(0), "photos");
    ASSERT_NE(photos, nullptr);
    ASSERT_EQ(photos->children.size(), 1u);
    EXPECT_EQ(photos->children[0].name, "3 smaller items");
    EXPECT_EQ(photos->children[0].details.at("Items"), "3");
    EXPECT_EQ(photos->fileKind, FileKind::images);
    EXPECT_EQ(result.root.children.at(0).fileKind, FileKind::images);
}

// Every folder knows what the walk counted inside it, at any depth, and a
// remainder what it holds; a lone small file is shown as itself, but not when
// the remainder also holds a folded folder. (Several workers agree with one:
// FileTreeScannerTest compares whole trees, counts included.)
TEST(FolderWalkTest, FoldersCountTheirFilesAndFoldersAndALoneFoldedFileShowsItself) {
    TempTree tree;
    FileTreeScanner::Options options = smallOptions();
    options.treeDepth = 1;
    allocate(tree, "top/big.bin", 100 * 1024);
    for (const char* name :
         {"top/photos/1.jpg", "top/photos/2.jpg", "top/photos/3.jpg", "top/photos/old/4.jpg"})
        tree.file(name, 3000);
    tree.file("top/one/only.txt", 2000);
    tree.file("top/deep/one.txt", 2000);
    tree.file("top/deep/sub/inner.txt", 2000);
    auto result = FileTreeScanner(options).scan(tree.root());
    const StorageNode& top = result.root.children.at(0);
    const struct {
        const StorageNode* node;
        std::int64_t files, folders;
    } cases[] = {
        {&result.root, 8, 6},
        {&top, 8, 5},
        {child(top, "photos"), 4, 1},
        {&child(top, "photos")->children.at(0), 4, 1},  // its remainder
        {child(top, "one"), 1, 0},
        {child(top, "deep"), 2, 1},
        {&child(top, "deep")->children.at(0), 2, 1},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.node, nullptr);
        EXPECT_EQ(c.node->fileCount, c.files) << c.node->id;
        EXPECT_EQ(c.node->folderCount, c.folders) << c.node->id;
    }
    EXPECT_EQ(child(top, "photos")->children.at(0).name, "3 smaller items");
    const StorageNode& only = child(top, "one")->children.at(0);
    EXPECT_EQ(only.name, "only.txt");
    EXPECT_EQ(only.id, tree.path("top/one/only.txt"));
    EXPECT_EQ(only.kind, StorageNode::Kind::item);
    EXPECT_EQ(only.bytes, allocated(tree.path("top/one/only.txt")));
    EXPECT_EQ(only.fileKind, FileKind::documents);
    EXPECT_TRUE(only.lastModified.has_value());
    EXPECT_EQ(child(top, "deep")->children.at(0).name, "1 smaller item");
}

TEST(FolderWalkTest, RemainderCountsAreGrouped) {
    TempTree tree;
    for (int i = 0; i < 1234; ++i) tree.file("top/f" + std::to_string(i), 1);
    auto result = FileTreeScanner().scan(tree.root());
    const StorageNode& top = result.root.children.at(0);
    ASSERT_EQ(top.children.size(), 1u);
    EXPECT_EQ(top.children[0].name, "1,234 smaller items");
    EXPECT_EQ(top.children[0].details.at("Items"), "1,234");
}

TEST(FolderWalkTest, DominantKindByBytesWithTiesToTheEarlierKind) {
    TempTree tree;
    FileTreeScanner::Options options = smallOptions();
    allocate(tree, "top/media/shots.png", 300 * 1024);
    allocate(tree, "top/media/clip.mp4", 310 * 1024);
    allocate(tree, "top/tie/song.mp3", 100 * 1024);
    allocate(tree, "top/tie/movie.mkv", 100 * 1024);
    tree.folder("top/empty");
    auto result = FileTreeScanner(options).scan(tree.root());
    const StorageNode& top = result.root.children.at(0);
    EXPECT_EQ(child(top, "media")->fileKind, FileKind::video);
    EXPECT_EQ(child(top, "tie")->fileKind, FileKind::video);  // video comes before audio
    const StorageNode* empty = child(top, "empty");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->fileKind, FileKind::folders);
    EXPECT_TRUE(empty->children.empty());
    EXPECT_EQ(empty->bytes, allocated(tree.path("top/empty")));
}

TEST(FolderWalkTest, BelowTheTreeDepthEverythingFolds) {
    TempTree tree;
    // Depths 1..7: a/b/c/d/e/f/g; g holds only subfolders with files.
    const std::string g = "a/b/c/d/e/f/g";
    allocate(tree, g + "/h1/big.bin", 6 << 20);
    allocate(tree, g + "/h2/i/big.bin", 6 << 20);
    allocate(tree, "a/b/c/d/e/f/large.bin", 6 << 20);
    auto result = FileTreeScanner().scan(tree.root());
    const StorageNode* node = &result.root;
    for (const char* name : {"a", "b", "c", "d", "e", "f"}) {
        node = child(*node, name);
        ASSERT_NE(node, nullptr) << name;
    }
    // f is at depth 6: it keeps its file node and g.
    EXPECT_NE(child(*node, "large.bin"), nullptr);
    const StorageNode* gNode = child(*node, "g");
    ASSERT_NE(gNode, nullptr);
    ASSERT_EQ(gNode->children.size(), 1u);
    const StorageNode& rest = gNode->children[0];
    EXPECT_EQ(rest.name, "Everything else");
    EXPECT_EQ(rest.details.at("Items"), "0");
    EXPECT_EQ(rest.bytes, duBytes(tree.path(g)) - allocated(tree.path(g)));
    EXPECT_EQ(gNode->bytes, duBytes(tree.path(g)));
    // Deeper folders have no nodes, but their files were counted and recorded.
    EXPECT_EQ(result.root.find(tree.path(g + "/h1")), nullptr);
    EXPECT_EQ(result.fileCount, 3);
    EXPECT_EQ(testing::fileEntries(result.index), 3u);
    EXPECT_EQ(result.root.bytes, duBytes(tree.root()));
}

TEST(FolderWalkTest, FoldersDeeperThanTheLimitAreNotOpened) {
    TempTree tree;
    std::string chain;
    for (int depth = 1; depth <= 45; ++depth) {
        chain += (depth > 1 ? "/" : "") + std::string("d") + std::to_string(depth);
        tree.file(chain + "/f", 5000);
    }
    auto result = FileTreeScanner().scan(tree.root());
    EXPECT_EQ(result.folderCount, 40);
    EXPECT_EQ(result.fileCount, 40);
    // Left out: the folders below depth 40 with their contents.
    std::string deepest40 = "d1";
    for (int depth = 2; depth <= 41; ++depth) deepest40 += "/d" + std::to_string(depth);
    EXPECT_EQ(result.root.bytes, duBytes(tree.root()) - duBytes(tree.path(deepest40)));
}

TEST(FolderWalkTest, DepthLimitsHoldAtTheirExtremes) {
    TempTree tree;
    allocate(tree, "a/b/c/big.bin", 80 * 1024);
    tree.file("a/small.txt", 100);
    tree.file("loose.txt", 100);

    // No folder may be opened: even the top-level ones stay shut.
    FileTreeScanner::Options shut = smallOptions();
    shut.maxDepth = 0;
    auto none = FileTreeScanner(shut).scan(tree.root());
    EXPECT_EQ(none.folderCount, 0);
    EXPECT_EQ(none.fileCount, 1);
    // Only the loose file shows, as itself.
    ASSERT_EQ(none.root.children.size(), 1u);
    EXPECT_EQ(none.root.children[0].name, "loose.txt");

    // A tree depth without bound never folds a folder.
    FileTreeScanner::Options open = smallOptions();
    open.treeDepth = std::numeric_limits<int>::max();
    auto all = FileTreeScanner(open).scan(tree.root());
    const StorageNode* c = all.root.find(tree.path("a/b/c"));
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->children.size(), 1u);
    EXPECT_EQ(c->children[0].name, "big.bin");
    EXPECT_EQ(all.root.bytes, duBytes(tree.root()));
}

TEST(FolderWalkTest, PackagesAreMeasuredWholeAndNeverEntered) {
    TempTree tree;
    FileTreeScanner::Options options = smallOptions();
    allocate(tree, "top/Tool.app/Contents/MacOS/tool", 400 * 1024);
    allocate(tree, "top/Tool.app/Contents/Resources/icon.png", 40 * 1024);
    tree.symlink("top/Tool.app/Contents/link", "/usr");
    allocate(tree, "top/Kit.framework/Versions/A/Kit", 500 * 1024);
    allocate(tree, "top/Plug.bundle/x", 4 * 1024);
    auto result = FileTreeScanner(options).scan(tree.root());
    const StorageNode& top = result.root.children.at(0);

    const StorageNode* app = child(top, "Tool.app");
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->kind, StorageNode::Kind::item);
    EXPECT_EQ(app->fileKind, FileKind::apps);
    EXPECT_EQ(app->bytes, duBytes(tree.path("top/Tool.app")));
    EXPECT_TRUE(app->children.empty());
    EXPECT_TRUE(app->lastModified.has_value());
    const StorageNode* kit = child(top, "Kit.framework");
    ASSERT_NE(kit, nullptr);
    EXPECT_EQ(kit->fileKind, FileKind::folders);
    // Packages get nodes whatever their size.
    EXPECT_NE(child(top, "Plug.bundle"), nullptr);
    EXPECT_EQ(top.fileKind, FileKind::apps);

    // One entry per package; nothing inside is recorded. Frameworks go to
    // the index only, beside the folder that holds them.
    ASSERT_EQ(result.largest.size(), 1u);
    EXPECT_EQ(result.largest[0].name, "Tool.app");
    EXPECT_TRUE(result.largest[0].isDirectory);
    EXPECT_EQ(result.index.size(), 3u);
    for (const auto& entry : result.index) EXPECT_TRUE(entry.isDirectory) << entry.path;
    EXPECT_EQ(result.fileCount, 3);
    EXPECT_EQ(result.root.bytes, duBytes(tree.root()));
}

TEST(FolderWalkTest, TopLevelPackagesAreWalkedLikeFolders) {
    TempTree tree;
    allocate(tree, "Tool.app/Contents/tool", 200 * 1024);
    auto result = FileTreeScanner(smallOptions()).scan(tree.root());
    const StorageNode& app = result.root.children.at(0);
    EXPECT_EQ(app.kind, StorageNode::Kind::group);
    EXPECT_NE(child(app, "Contents"), nullptr);
    EXPECT_EQ(result.fileCount, 1);
}

TEST(FolderWalkTest, PackagesBelowTheTreeDepthFoldButAreStillRecorded) {
    TempTree tree;
    allocate(tree, "a/b/c/d/e/f/g/Deep.app/bin", 300 * 1024);
    auto result = FileTreeScanner(smallOptions()).scan(tree.root());
    const StorageNode* g = result.root.find(tree.path("a/b/c/d/e/f/g"));
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(g->children.size(), 1u);
    // Folded alone, it is shown as itself rather than as "1 smaller item".
    EXPECT_EQ(g->children[0].name, "Deep.app");
    EXPECT_EQ(g->children[0].path, tree.path("a/b/c/d/e/f/g/Deep.app"));
    EXPECT_EQ(g->children[0].fileKind, FileKind::apps);
    EXPECT_EQ(g->fileKind, FileKind::apps);
    ASSERT_EQ(result.largest.size(), 1u);
    EXPECT_EQ(result.largest[0].name, "Deep.app");
}

TEST(FolderWalkTest, OddNamesAreKeptByteForByte) {
    TempTree tree;
    const std::string newline = "line\nbreak.png";
    const std::string invalid = "bad\xff\xfe name.mov";
    allocate(tree, "top/" + newline, 100 * 1024);
    allocate(tree, "top/" + invalid, 120 * 1024);
    allocate(tree, "top/sub\ndir/" + invalid, 20 * 1024);
    auto result = FileTreeScanner(smallOptions()).scan(tree.root());
    const StorageNode& top = result.root.children.at(0);
    ASSERT_NE(child(top, newline), nullptr);
    EXPECT_EQ(child(top, newline)->id, tree.path("top/" + newline));
    EXPECT_EQ(child(top, newline)->fileKind, FileKind::images);
    ASSERT_NE(child(top, invalid), nullptr);
    EXPECT_EQ(child(top, invalid)->fileKind, FileKind::video);
    EXPECT_NE(child(top, "sub\ndir"), nullptr);
    EXPECT_EQ(testing::fileEntries(result.index), 3u);
    EXPECT_EQ(result.root.bytes, duBytes(tree.root()));
}

TEST(FolderWalkTest, TotalsAgreeWithDuOnAMixedTree) {
    TempTree tree;
    for (int i = 0; i < 30; ++i) {
        std::string folder =
            "p" + std::to_string(i % 3) + "/q" + std::to_string(i % 7) + "/r" + std::to_string(i);
        tree.file(folder + "/data.json", 700 * static_cast<std::size_t>(i + 1));
        allocate(tree, folder + "/big.iso", (i + 1) * 50 * 1024);
        tree.symlink(folder + "/up", "..");
    }
    tree.hardlink("p0/linked.iso", "p1/q1/r1/big.iso");
    tree.folder("p2/empty/inside");
    tree.file("readme.md", 123);
    FileTreeScanner::Options options = smallOptions();
    options.workerCount = 3;
    auto result = FileTreeScanner(options).scan(tree.root());
    EXPECT_EQ(result.root.bytes, duBytes(tree.root()));
    // p0 and p1 share a linked file, counted in whichever came first.
    EXPECT_EQ(child(result.root, "p2")->bytes, duBytes(tree.path("p2")));
}

}  // namespace
}  // namespace korvane
