#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/explorer/FileSearch.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/system/Paths.h"
#include "core/text/RelativeDate.h"
#include "tests/explorer/ScanTestSupport.h"
#include "tests/support/ChildProcess.h"

namespace korvane {
namespace {

using testing::allocate;
using testing::allocated;
using testing::child;
using testing::duBytes;
using testing::smallOptions;
using testing::HomeOverride;
using testing::TempTree;

TEST(FileTreeScannerTest, DefaultOptions) {
    FileTreeScanner::Options options;
    EXPECT_EQ(options.fileNodeThreshold, 4194304);
    EXPECT_EQ(options.largeFileThreshold, 50000000);
    EXPECT_EQ(options.largeFileLimit, 500);
    EXPECT_EQ(options.indexThreshold, 65536);
    EXPECT_EQ(options.indexLimit, 250000);
    EXPECT_EQ(options.treeDepth, 6);
    EXPECT_EQ(options.maxChildren, 45);
    EXPECT_EQ(options.maxDepth, 40);
    EXPECT_EQ(options.parallelDepth, 1);
    EXPECT_DOUBLE_EQ(options.progressInterval, 0.12);
    EXPECT_EQ(FileTreeScanner().options().maxChildren, 45);
}

// The pages print sizes in decimal units: a file they print as over 50 MB
// is on the list that promises everything over 50 MB, one just under is not.
TEST(FileTreeScannerTest, TheLargeFilesAreThoseThePagesPrintAsOverTheThreshold) {
    TempTree tree;
    testing::allocate(tree, "51.bin", 51'000'000);
    testing::allocate(tree, "49.bin", 49'900'000);
    const auto result = FileTreeScanner().scan(tree.root());
    ASSERT_EQ(result.largest.size(), 1u);
    EXPECT_EQ(result.largest[0].name, "51.bin");
}

TEST(FileTreeScannerTest, EmptyOrUnlistableRootGivesAnEmptyTree) {
    TempTree tree;
    FileTreeScanner scanner;
    auto empty = scanner.scan(tree.root());
    EXPECT_EQ(empty.root.id, tree.root());
    EXPECT_EQ(empty.root.kind, StorageNode::Kind::root);
    EXPECT_EQ(empty.root.bytes, duBytes(tree.root()));  // the folder's own blocks
    EXPECT_TRUE(empty.root.children.empty());
    EXPECT_TRUE(empty.largest.empty());
    EXPECT_TRUE(empty.index.empty());
    EXPECT_EQ(empty.fileCount, 0);
    EXPECT_EQ(empty.folderCount, 0);
    EXPECT_FALSE(empty.root.fileKind.has_value());

    auto missing = scanner.scan(tree.path("not-there"));
    EXPECT_EQ(missing.root.bytes, 0);
    EXPECT_TRUE(missing.root.children.empty());
    EXPECT_EQ(missing.fileCount, 0);

    auto file = scanner.scan(tree.file("plain.txt", 10));
    EXPECT_EQ(file.root.bytes, 0);
    EXPECT_TRUE(file.root.children.empty());
}

// An empty result says whether the folder was empty or could not be read at all.
TEST(FileTreeScannerTest, ARootThatCannotBeOpenedCountsAsAFolderLeftOut) {
    TempTree tree;
    tree.folder("empty");
    tree.file("plain.txt", 10);
    struct Case {
        const char* name;
        std::string root;
        std::int64_t unreadable;
    };
    const Case cases[] = {
        {"an empty folder", tree.path("empty"), 0},
        {"a folder that is gone", tree.path("gone"), 1},
        {"a file", tree.path("plain.txt"), 1},
    };
    for (const auto& c : cases) {
        const auto result = FileTreeScanner().scan(c.root);
        EXPECT_EQ(result.unreadableFolders, c.unreadable) << c.name;
        EXPECT_EQ(result.folderCount, 0) << c.name;
    }
}

TEST(FileTreeScannerTest, SkippedNamesAreNeverCounted) {
    TempTree tree;
    tree.file(".DS_Store", 5000);
    allocate(tree, ".Trash/big", 1 << 20);
    allocate(tree, "docs/.TemporaryItems/x", 1 << 20);
    tree.file("docs/.DS_Store", 5000);
    auto result = FileTreeScanner().scan(tree.root());
    ASSERT_EQ(result.root.children.size(), 1u);
    const StorageNode& docs = result.root.children[0];
    EXPECT_EQ(docs.name, "docs");
    EXPECT_EQ(docs.bytes, allocated(tree.path("docs")));
    EXPECT_TRUE(docs.children.empty());
    EXPECT_EQ(result.fileCount, 0);
    EXPECT_EQ(result.root.bytes, allocated(tree.root()) + allocated(tree.path("docs")));
    EXPECT_TRUE(FileTreeScanner::skippedNames().count(".Spotlight-V100"));
    EXPECT_TRUE(FileTreeScanner::skippedNames().count(".fseventsd"));
    EXPECT_TRUE(FileTreeScanner::skippedNames().count(".DocumentRevisions-V100"));
}

// Small files at the top are summed in the root's remainder, as a folder's
// are in its: a folder of small photos shows them, not only their total.
TEST(FileTreeScannerTest, TopLevelFilesCountAndOnlyLargeOnesGetNodes) {
    TempTree tree;
    std::string small = allocate(tree, "small.bin", 1000000);
    std::string other = allocate(tree, "other.txt", 3000000);
    std::string large = allocate(tree, "large.mp4", 5000000);
    auto result = FileTreeScanner().scan(tree.root());
    EXPECT_EQ(result.fileCount, 3);
    EXPECT_EQ(result.root.bytes, duBytes(tree.root()));
    ASSERT_EQ(result.root.children.size(), 2u);
    const StorageNode& rest = result.root.children[1];
    EXPECT_EQ(rest.id, FileTreeScanner::remainderID(tree.root()));
    EXPECT_EQ(rest.name, "2 smaller items");
    EXPECT_EQ(rest.kind, StorageNode::Kind::item);
    EXPECT_EQ(rest.bytes, allocated(small) + allocated(other));
    EXPECT_EQ(rest.fileCount, 2u);
    EXPECT_TRUE(rest.lastModified.has_value());
    EXPECT_EQ(rest.ages.total(), rest.bytes);
    // The root's own blocks are all that no child holds.
    EXPECT_EQ(result.root.bytes - result.root.children[0].bytes - rest.bytes, allocated(tree.root()));
    const StorageNode& node = result.root.children[0];
    EXPECT_EQ(node.id, large);
    EXPECT_EQ(node.name, "large.mp4");
    EXPECT_EQ(node.kind, StorageNode::Kind::item);
    EXPECT_EQ(node.bytes, allocated(large));
    EXPECT_EQ(node.fileKind, FileKind::video);
    EXPECT_EQ(node.path, large);
    EXPECT_TRUE(node.lastModified.has_value());
    // Both are indexed (64 KiB and up); neither reaches the largest-files list.
    ASSERT_EQ(result.index.size(), 3u);
    EXPECT_TRUE(result.largest.empty());
    std::set<std::string> indexed = {result.index[0].path, result.index[1].path, result.index[2].path};
    EXPECT_EQ(indexed, (std::set<std::string>{small, other, large}));
}

// A row knows which item it stands for, so that a pick of it can later be
// told apart from another item that took its name: at the top, deeper down,
// in a wide folder read by several workers, and for a package.
TEST(FileTreeScannerTest, EveryRowKnowsTheItemTheScanSaw) {
    TempTree tree;
    std::vector<std::string> items = {allocate(tree, "top.bin", 100 * 1024),
                                      allocate(tree, "a/b/deep.bin", 200 * 1024),
                                      allocate(tree, "a/Tool.app/Contents/tool", 300 * 1024)};
    items.back() = tree.path("a/Tool.app");
    for (int i = 0; i < 300; ++i) items.push_back(allocate(tree, "wide/f" + std::to_string(i), 70 * 1024));
    FileTreeScanner::Options options = smallOptions();
    options.workerCount = 4;
    auto result = FileTreeScanner(options).scan(tree.root());
    std::set<std::string> rows;
    for (const auto& entry : result.index) rows.insert(entry.path);
    for (const auto& item : items) EXPECT_TRUE(rows.contains(item)) << item;
    // Folders enter the index too, and are known by theirs.
    for (const auto& entry : result.index) {
        struct stat st {};
        ASSERT_EQ(lstat(entry.path.c_str(), &st), 0) << entry.path;
        const auto seen = entry.identity();
        ASSERT_TRUE(seen) << entry.path;
        const ItemIdentity now = ItemIdentity::of(st);
        EXPECT_EQ(seen->inode, now.inode) << entry.path;
        EXPECT_EQ(seen->device, now.device) << entry.path;
        EXPECT_EQ(seen->isFolder, entry.isDirectory) << entry.path;
        // A package's size is all it holds, not its own blocks.
        if (!entry.isDirectory) {
            EXPECT_EQ(*seen, now) << entry.path;
        }
        EXPECT_TRUE(seen->matches(st)) << entry.path;
    }
}

// The root folds its files as every folder does: links and pipes are no
// items (their own blocks still count), and a lone small file is itself.
TEST(FileTreeScannerTest, TheRootFoldsOnlyFilesAndShowsALoneOneAsItself) {
    struct Case {
        const char* name;
        int smallFiles;
        std::vector<std::string> children;
    };
    const Case cases[] = {
        {"one small file", 1, {"f0.txt"}},
        {"three small files", 3, {"3 smaller items"}},
    };
    for (const Case& c : cases) {
        TempTree tree;
        for (int i = 0; i < c.smallFiles; ++i) tree.file("f" + std::to_string(i) + ".txt", 3000);
        for (int i = 0; i < 4; ++i) tree.symlink("link" + std::to_string(i), "/" + std::string(300, 'x'));
        ASSERT_EQ(::mkfifo(tree.path("pipe").c_str(), 0644), 0);
        tree.symlink("inside/link", "/nowhere");
        const auto result = FileTreeScanner().scan(tree.root());
        std::vector<std::string> names;
        for (const StorageNode& item : result.root.children) names.push_back(item.name);
        names.erase(std::remove(names.begin(), names.end(), "inside"), names.end());
        EXPECT_EQ(names, c.children) << c.name;
        EXPECT_EQ(result.root.bytes, duBytes(tree.root())) << c.name;
        EXPECT_EQ(result.fileCount, c.smallFiles) << c.name;
        // Only the files are summed; the links' blocks are the root's own.
        const StorageNode* files = child(result.root, c.children[0]);
        ASSERT_NE(files, nullptr) << c.name;
        EXPECT_EQ(files->bytes, c.smallFiles * allocated(tree.path("f0.txt"))) << c.name;
    }
}

// Search's "Folders" kind finds folders: those of the index's size enter it,
// at every depth, with all they hold.
TEST(FileTreeScannerTest, FoldersOfTheIndexSizeEnterTheIndex) {
    TempTree tree;
    for (int i = 0; i < 3; ++i) allocate(tree, "photos/p" + std::to_string(i) + ".jpg", 40 * 1024);
    tree.file("tiny/note.txt", 10);
    allocate(tree, "deep/a/b/c/d/e/f/g/h/clip.mov", 20 * 1024);
    FileTreeScanner::Options options = smallOptions();
    const auto result = FileTreeScanner(options).scan(tree.root());
    FileSearch::Query query;
    query.kind = FileSearch::Kind::folders;
    std::vector<std::string> found;
    for (const auto& entry : FileSearch::run(query, FileSearch::Index(result.index), FileSearch::Sort::name, 100)) {
        EXPECT_TRUE(entry.isDirectory) << entry.path;
        EXPECT_EQ(entry.parentPath() + "/" + entry.name, entry.path);
        if (const StorageNode* node = result.root.find(entry.path)) {
            EXPECT_EQ(entry.size, node->bytes);
        }
        found.push_back(entry.name);
    }
    EXPECT_EQ(found, (std::vector<std::string>{"a", "b", "c", "d", "deep", "e", "f", "g", "h", "photos"}));
}

TEST(FileTreeScannerTest, TopLevelItemsComeLargestFirstWithAnyNumberOfWorkers) {
    TempTree tree;
    // Listing order is not size order: folders and files of mixed sizes.
    allocate(tree, "b/one.bin", 300 * 1024);
    allocate(tree, "a.bin", 900 * 1024);
    allocate(tree, "c/one.bin", 100 * 1024);
    allocate(tree, "c/two.bin", 600 * 1024);
    allocate(tree, "d.bin", 200 * 1024);
    for (int workers : {1, 8}) {
        FileTreeScanner::Options options = smallOptions();
        options.workerCount = workers;
        const auto result = FileTreeScanner(options).scan(tree.root());
        std::vector<std::string> names;
        for (const StorageNode& item : result.root.children) names.push_back(item.name);
        EXPECT_EQ(names, (std::vector<std::string>{"a.bin", "c", "b", "d.bin"})) << workers << " workers";
    }
}

TEST(FileTreeScannerTest, SymbolicLinksAreNeverFollowed) {
    TempTree tree;
    allocate(tree, "elsewhere/huge", 8 << 20);
    TempTree scanned;
    scanned.symlink("link-to-huge", tree.path("elsewhere"));
    scanned.symlink("inside/link", tree.path("elsewhere"));
    // A long target takes a block of its own, which du counts too.
    scanned.symlink("inside/long", "/" + std::string(300, 'x'));
    auto result = FileTreeScanner().scan(scanned.root());
    EXPECT_EQ(result.root.bytes, duBytes(scanned.root()));
    EXPECT_LT(result.root.bytes, 8 << 20);
    ASSERT_EQ(result.root.children.size(), 1u);
    EXPECT_EQ(result.root.children[0].name, "inside");
    EXPECT_TRUE(result.root.children[0].children.empty());
    EXPECT_EQ(result.fileCount, 0);
    EXPECT_TRUE(result.index.empty());
}

TEST(FileTreeScannerTest, HardLinksCountOncePerScanEvenAtTheTop) {
    TempTree tree;
    allocate(tree, "a.bin", 10 << 20);
    tree.hardlink("b.bin", "a.bin");
    allocate(tree, "x/one.bin", 20 << 20);
    tree.hardlink("y/two.bin", "x/one.bin");
    tree.hardlink("y/deeper/three.bin", "x/one.bin");
    FileTreeScanner::Options options;
    options.workerCount = 4;
    auto result = FileTreeScanner(options).scan(tree.root());
    EXPECT_EQ(result.root.bytes, duBytes(tree.root()));
    EXPECT_EQ(result.fileCount, 2);
    // The linked file shows in exactly one folder, whichever came first.
    int holders = 0;
    testing::forEachNode(result.root, [&](const StorageNode& node, int) {
        if (node.kind == StorageNode::Kind::item && node.bytes == allocated(tree.path("x/one.bin")))
            ++holders;
    });
    EXPECT_EQ(holders, 1);
    // The same scanner counts it again on its next scan.
    auto again = FileTreeScanner(options).scan(tree.root());
    EXPECT_EQ(again.root.bytes, result.root.bytes);
}

TEST(FileTreeScannerTest, RootNameAbbreviatesTheHomeFolderOnlyAsLeadingComponent) {
    TempTree tree;
    tree.folder("home/user/Music");
    tree.folder("other" + tree.path("home/user"));
    HomeOverride home(tree.path("home/user"));
    FileTreeScanner scanner;
    auto atHome = scanner.scan(tree.path("home/user"));
    EXPECT_EQ(atHome.root.name, "~");
    EXPECT_EQ(atHome.root.id, tree.path("home/user"));
    EXPECT_EQ(scanner.scan(tree.path("home/user/Music")).root.name, "~/Music");
    EXPECT_EQ(scanner.scan(tree.path("home/user/Music/")).root.id, tree.path("home/user/Music"));
    // The home path in the middle of another path stays as it is.
    std::string elsewhere = tree.path("other") + tree.path("home/user");
    EXPECT_EQ(scanner.scan(elsewhere).root.name, elsewhere);
    EXPECT_EQ(scanner.scan(tree.path("home/username-alike")).root.name, tree.path("home/username-alike"));
}

TEST(FileTreeScannerTest, LargestListIsCutToItsLimitLargestFirst) {
    TempTree tree;
    FileTreeScanner::Options options = smallOptions();
    options.largeFileLimit = 5;
    // 20 large files in one worker's folder: the worker's own list is trimmed
    // on the way, the final list keeps the five largest.
    for (int i = 0; i < 20; ++i) allocate(tree, "big/f" + std::to_string(i) + ".mov", (300 + 8 * i) * 1024);
    allocate(tree, "other/g.mov", 1 << 20);
    auto result = FileTreeScanner(options).scan(tree.root());
    ASSERT_EQ(result.largest.size(), 5u);
    EXPECT_EQ(result.largest[0].name, "g.mov");
    EXPECT_EQ(result.largest[1].name, "f19.mov");
    EXPECT_EQ(result.largest[4].name, "f16.mov");
    for (std::size_t i = 1; i < result.largest.size(); ++i)
        EXPECT_GE(result.largest[i - 1].size, result.largest[i].size);
    EXPECT_EQ(testing::fileEntries(result.index), 21u);
}

TEST(FileTreeScannerTest, IndexLimitAppliesPerTopLevelItem) {
    TempTree tree;
    FileTreeScanner::Options options = smallOptions();
    options.indexLimit = 3;
    for (int i = 0; i < 5; ++i) {
        allocate(tree, "a/f" + std::to_string(i), 32 * 1024);
        allocate(tree, "b/deep/f" + std::to_string(i), 32 * 1024);
    }
    tree.file("a/tiny", 100);  // below the index threshold
    auto result = FileTreeScanner(options).scan(tree.root());
    EXPECT_EQ(result.index.size(), 6u);
    EXPECT_EQ(result.fileCount, 11);
    for (const auto& entry : result.index) {
        EXPECT_EQ(entry.id, std::hash<std::string>{}(entry.path));
        EXPECT_EQ(entry.parentPath() + "/" + entry.name, entry.path);
        EXPECT_FALSE(entry.isDirectory);
        EXPECT_EQ(entry.size, allocated(entry.path));
    }
}

// Workers hand index entries over in batches: whatever the number of
// workers, every entry large enough arrives once, also the last batch's.
TEST(FileTreeScannerTest, EveryIndexEntryArrivesOnceWithAnyNumberOfWorkers) {
    TempTree tree;
    std::set<std::string> expected;
    for (int folder = 0; folder < 5; ++folder)
        for (int i = 0; i < 61; ++i)
            expected.insert(
                allocate(tree, "f" + std::to_string(folder) + "/x" + std::to_string(i), 20 * 1024));
    for (int workers : {1, 8}) {
        FileTreeScanner::Options options = smallOptions();
        options.workerCount = workers;
        options.parallelDepth = 2;
        const auto result = FileTreeScanner(options).scan(tree.root());
        std::set<std::string> paths;
        for (const auto& entry : result.index)
            if (!entry.isDirectory) paths.insert(entry.path);
        EXPECT_EQ(testing::fileEntries(result.index), expected.size()) << workers;
        EXPECT_EQ(paths, expected) << workers;
    }
}

TEST(FileTreeScannerTest, CancelBeforeScanHasNoEffect) {
    TempTree tree;
    tree.file("a/one", 5000);
    tree.file("b/two", 5000);
    FileTreeScanner scanner;
    scanner.cancel();
    EXPECT_TRUE(scanner.isCancelled());
    auto result = scanner.scan(tree.root());
    EXPECT_FALSE(scanner.isCancelled());
    EXPECT_EQ(result.fileCount, 2);
    EXPECT_EQ(result.root.bytes, duBytes(tree.root()));
}

TEST(FileTreeScannerTest, CancelStopsTheWalkAndKeepsWhatWasCounted) {
    TempTree tree;
    for (char top : std::string("abcdef"))
        for (int i = 0; i < 50; ++i) tree.file(std::string(1, top) + "/sub/f" + std::to_string(i), 100);
    FileTreeScanner::Options options;
    options.workerCount = 1;
    options.progressInterval = 0;  // report at the first folder opened
    FileTreeScanner scanner(options);
    std::vector<std::string> seen;
    auto result = scanner.scan(tree.root(), [&](const FileTreeScanner::Progress& progress) {
        seen.push_back(progress.current);
        scanner.cancel();
    });
    // Cancelled at the first folder ("a"): it keeps the node it had begun,
    // nothing else was walked.
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], tree.path("a"));
    EXPECT_EQ(result.fileCount, 0);
    ASSERT_EQ(result.root.children.size(), 1u);
    EXPECT_EQ(result.root.children[0].name, "a");
    EXPECT_TRUE(scanner.isCancelled());

    // The next scan re-arms the flag and sees everything.
    auto full = scanner.scan(tree.root());
    EXPECT_EQ(full.fileCount, 300);
    EXPECT_EQ(full.root.bytes, duBytes(tree.root()));
}

// An item that ends after the cancel keeps only its own node: every byte it
// counted is then its own, and keeps its own file's age.
TEST(FileTreeScannerTest, ACancelledItemKeepsTheAgesOfWhatItHeld) {
    TempTree tree;
    for (int i = 0; i < 3; ++i) {
        for (const char* sub : {"a/s1/f", "a/s2/f"}) {
            const std::string name = sub + std::to_string(i);
            tree.file(name, 5000);
            tree.age(name, 86400.0 * 40 * (i + 1));
        }
    }
    FileTreeScanner::Options options;
    options.workerCount = 1;
    options.progressInterval = 0;
    FileTreeScanner scanner(options);
    int reports = 0;
    // "a", its first subfolder, then the second: that one is never read.
    auto result = scanner.scan(tree.root(), [&](const FileTreeScanner::Progress&) {
        if (++reports == 3) scanner.cancel();
    });
    ASSERT_EQ(result.root.children.size(), 1u);
    const StorageNode& a = result.root.children[0];
    EXPECT_TRUE(a.children.empty());
    EXPECT_EQ(result.fileCount, 3);
    EXPECT_EQ(a.ages.size(), 4u);  // three files of three months and the folders' own blocks
    EXPECT_EQ(a.ages.total(), a.bytes);
    // Each file is an item in its own cell, and each folder, by its own blocks, in theirs.
    std::uint32_t items = 0;
    for (std::size_t i = 0; i < a.ages.size(); ++i) items += a.ages.cell(i).items;
    EXPECT_EQ(items, 3u + 3u);  // a, s1 and s2
}

// Files that fold are counted a run at a time; each still counts in the
// age cell of its own time, however the cells alternate within and across
// runs.
TEST(FileTreeScannerTest, EveryFoldedFileKeepsItsOwnAge) {
    TempTree tree;
    const int files = 150, days[] = {10, 20, 30};
    for (int i = 0; i < files; ++i) {
        const std::string name = "a/f" + std::to_string(i);
        tree.file(name, 5000);
        tree.age(name, 86400.0 * days[(i / 5) % 3]);
    }
    FileTreeScanner::Options options;
    options.workerCount = 1;
    auto result = FileTreeScanner(options).scan(tree.root());
    ASSERT_EQ(result.root.children.size(), 1u);
    const StorageNode& a = result.root.children[0];
    ASSERT_EQ(a.children.size(), 1u);
    const StorageNode& rest = a.children[0];
    EXPECT_EQ(rest.name, "150 smaller items");
    const std::int64_t each = allocated(tree.path("a/f0"));
    EXPECT_EQ(rest.bytes, files * each);
    ASSERT_EQ(rest.ages.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rest.ages.cell(i).bytes, files / 3 * each) << i;
        EXPECT_EQ(rest.ages.cell(i).items, files / 3u) << i << ": how many files the cell's bytes are";
    }
    EXPECT_LT(rest.ages.cell(0).day, rest.ages.cell(1).day);
    EXPECT_LT(rest.ages.cell(1).day, rest.ages.cell(2).day);
}

// The items of a remainder's cells are every file and folder it sums, each
// in the cell of its own time, also through folders folded whole and
// children cut past the limit.
TEST(FileTreeScannerTest, ARemaindersCellsCountEveryFileAndFolderItSums) {
    TempTree tree;
    for (int i = 0; i < 6; ++i) {
        const std::string name = "top/mid/f" + std::to_string(i);
        tree.file(name, 5000 + 4096 * i);
        tree.age(name, 86400.0 * (3 + 100 * (i % 3)));
        tree.file("top/mid/sub" + std::to_string(i) + "/deep/g", 5000);
        tree.age("top/mid/sub" + std::to_string(i) + "/deep/g", 86400.0 * 400);
    }
    FileTreeScanner::Options options;
    options.treeDepth = 1;
    options.maxChildren = 2;
    options.workerCount = 1;
    const auto result = FileTreeScanner(options).scan(tree.root());
    int remainders = 0;
    testing::forEachNode(result.root, [&](const StorageNode& node, int) {
        if (!FileTreeScanner::isRemainderID(node.id) || node.ages.size() == 0) return;
        ++remainders;
        std::uint32_t items = 0;
        for (std::size_t i = 0; i < node.ages.size(); ++i) items += node.ages.cell(i).items;
        EXPECT_EQ(items, node.fileCount + node.folderCount) << node.id;
    });
    EXPECT_GE(remainders, 1);
}

TEST(FileTreeScannerTest, ProgressFollowsTheWalk) {
    TempTree tree;
    for (int i = 0; i < 4; ++i) tree.file("a/s" + std::to_string(i) + "/f", 5000);
    tree.file("b/f", 5000);
    FileTreeScanner::Options options;
    options.workerCount = 1;
    options.progressInterval = 0;
    std::vector<FileTreeScanner::Progress> reports;
    auto result = FileTreeScanner(options).scan(
        tree.root(), [&](const FileTreeScanner::Progress& progress) { reports.push_back(progress); });
    ASSERT_EQ(reports.size(), 6u);  // every folder opened
    std::set<std::string> folders;
    for (std::size_t i = 0; i < reports.size(); ++i) {
        folders.insert(reports[i].current);
        if (i > 0) {
            EXPECT_GE(reports[i].scanned, reports[i - 1].scanned);
            EXPECT_GE(reports[i].bytes, reports[i - 1].bytes);
        }
    }
    EXPECT_TRUE(folders.count(tree.path("a/s3")));
    EXPECT_TRUE(folders.count(tree.path("b")));
    EXPECT_EQ(reports.back().scanned, 4);  // before "b" is read
    EXPECT_EQ(result.folderCount, 6);
}

TEST(FileTreeScannerTest, AThrowingProgressHandlerLosesNothing) {
    // The handler runs on a worker thread in the middle of a walk: its
    // failure must neither cut the walk short nor leave folders unfinished.
    TempTree tree;
    for (int i = 0; i < 4; ++i) tree.file("a/s" + std::to_string(i) + "/f", 5000);
    tree.file("b/f", 5000);
    tree.file("top", 5000);
    FileTreeScanner::Options options;
    options.workerCount = 1;
    options.progressInterval = 0;
    int calls = 0;
    auto result = FileTreeScanner(options).scan(tree.root(), [&](const FileTreeScanner::Progress&) {
        ++calls;
        throw std::runtime_error("handler failed");
    });
    EXPECT_EQ(calls, 6);
    EXPECT_EQ(result.fileCount, 6);
    EXPECT_EQ(result.folderCount, 6);
    EXPECT_EQ(result.root.bytes, duBytes(tree.root()));
    ASSERT_NE(child(result.root, "a"), nullptr);
    ASSERT_NE(child(result.root, "b"), nullptr);
}

TEST(FileTreeScannerTest, AFileDatedBeyondTheClockReadsAsWhatItIs) {
    TempTree tree;
    const std::string file = tree.file("future.txt", 100);
    const struct timespec year2400[2] = {{13'569'465'600, 0}, {13'569'465'600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), year2400, 0), 0);
    FileTreeScanner::Options options;
    options.rootFilesAreNodes = true;
    const auto result = FileTreeScanner(options).scan(tree.root());
    const StorageNode* node = result.root.find(file);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(RelativeDate::string(node->lastModified, std::chrono::system_clock::now()), "In 2112 or later");
}

TEST(FileTreeScannerTest, PseudoFileSystemsAreNeverEntered) {
    FileTreeScanner scanner;
    auto proc = scanner.scan("/proc");
    EXPECT_EQ(proc.root.bytes, 0);
    EXPECT_TRUE(proc.root.children.empty());
    EXPECT_EQ(proc.folderCount, 0);
    auto sys = scanner.scan("/sys");
    EXPECT_EQ(sys.root.bytes, 0);
    EXPECT_EQ(sys.folderCount, 0);
}

// The same tree, counts and lists from eight workers as from one, and the
// total du gives.
void expectEightWorkersAgreeWithOne(TempTree& tree, FileTreeScanner::Options options) {
    options.workerCount = 1;
    auto a = FileTreeScanner(options).scan(tree.root());
    options.workerCount = 8;
    auto b = FileTreeScanner(options).scan(tree.root());
    testing::expectSameTree(a.root, b.root);
    EXPECT_EQ(b.root.bytes, duBytes(tree.root()));
    EXPECT_EQ(a.fileCount, b.fileCount);
    EXPECT_EQ(a.folderCount, b.folderCount);
    EXPECT_EQ(a.index.size(), b.index.size());
    EXPECT_EQ(a.largest.size(), b.largest.size());
}

TEST(FileTreeScannerTest, ParallelScanAgreesWithOneWorker) {
    TempTree tree;
    // Uneven: one wide and deep top-level folder, a few small ones.
    for (int a = 0; a < 6; ++a)
        for (int b = 0; b < 6; ++b)
            for (int c = 0; c < 4; ++c) {
                std::string folder =
                    "big/a" + std::to_string(a) + "/b" + std::to_string(b) + "/c" + std::to_string(c);
                tree.file(folder + "/small.txt", 100 * (a + b + c + 1));
                allocate(tree, folder + "/clip" + std::to_string(a * 100 + b * 10 + c) + ".mov",
                         (70 + a * 10 + b * 3 + c) * 1024);
            }
    for (int i = 0; i < 3; ++i) tree.file("small" + std::to_string(i) + "/x.png", 3000);
    FileTreeScanner::Options many = smallOptions();
    many.parallelDepth = 3;  // every folder near the top goes through the queue
    expectEightWorkersAgreeWithOne(tree, many);
}

// Idle workers take shares of a wide folder's listing while one reads it:
// nothing may be lost or counted twice, and equal sizes keep listing order.
TEST(FileTreeScannerTest, AWideFolderSharedAmongWorkersAgreesWithOneWorker) {
    TempTree tree;
    auto small = [](int i) { return "wide/f" + std::to_string(i) + (i % 3 == 0 ? ".png" : ".txt"); };
    for (int i = 0; i < 2500; ++i) tree.file(small(i), 100 + i % 7 * 1500);
    // More equal-sized files with nodes than a folder keeps.
    for (int i = 0; i < 70; ++i) allocate(tree, "wide/same" + std::to_string(i) + ".mov", 64 * 1024);
    for (int i = 0; i < 30; ++i) tree.file("wide/sub" + std::to_string(i) + "/inner.pdf", 3000 + i);
    allocate(tree, "wide/Tool.app/Contents/binary", 128 * 1024);
    for (int i = 0; i < 40; ++i) tree.hardlink("wide/link" + std::to_string(i), small(i));
    tree.symlink("wide/loop", ".");
    expectEightWorkersAgreeWithOne(tree, smallOptions());
}

std::chrono::system_clock::time_point modifiedAt(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return std::chrono::system_clock::time_point(std::chrono::seconds(st.st_mtim.tv_sec));
}

// A folder is as new as the newest thing the walk saw in it, itself included;
// a remainder as new as the newest thing it sums. Shares of a wide listing
// read by other workers must bring their dates along.
TEST(FileTreeScannerTest, FoldersAndRemaindersCarryTheNewestTimeBelowThem) {
    constexpr double day = 86400;
    TempTree tree;
    tree.file("recent/old.txt", 100);
    tree.age("recent/old.txt", 300 * day);
    tree.age("recent", 2 * day);

    tree.file("deep/a/b/new.txt", 100);
    tree.file("deep/a/older.txt", 100);
    tree.age("deep/a/b/new.txt", 5 * day);
    tree.age("deep/a/older.txt", 40 * day);
    for (const char* folder : {"deep/a/b", "deep/a", "deep"}) tree.age(folder, 400 * day);

    allocate(tree, "mixed/big.mov", 128 * 1024);
    tree.age("mixed/big.mov", 1 * day);
    for (int i = 0; i < 5; ++i) {
        const std::string name = "mixed/s" + std::to_string(i) + ".txt";
        tree.file(name, 100);
        tree.age(name, (i == 3 ? 20 : 100 + i) * day);
    }
    tree.age("mixed", 400 * day);

    for (int i = 0; i < 1500; ++i) {
        const std::string name = "wide/f" + std::to_string(i) + ".txt";
        tree.file(name, 100);
        tree.age(name, (i == 1234 ? 3 : 200 + i % 50) * day);
    }
    tree.age("wide", 600 * day);
    // System images put back into a folder below the tree depth: the folder
    // is new, what it holds is not.
    tree.file("sdk/images/34/system.img", 100);
    tree.file("sdk/images/33/system.img", 100);
    tree.age("sdk/images/34/system.img", 240 * day);
    tree.age("sdk/images/33/system.img", 480 * day);
    tree.age("sdk/images/34", 1.5 * day);
    tree.age("sdk/images/33", 480 * day);
    tree.age("sdk/images", 600 * day);
    tree.age("sdk", 600 * day);
    tree.age(".", 500 * day);

    struct Case {
        int workers;
        int treeDepth;
    };
    for (const Case c : {Case{1, 6}, Case{8, 6}, Case{1, 1}, Case{8, 1}}) {
        SCOPED_TRACE(std::to_string(c.workers) + " workers, tree depth " + std::to_string(c.treeDepth));
        FileTreeScanner::Options options = smallOptions();
        options.workerCount = c.workers;
        options.treeDepth = c.treeDepth;
        const auto result = FileTreeScanner(options).scan(tree.root());
        const std::string root = tree.root();
        const auto expectDate = [&](const std::string& id, const std::string& newest) {
            const StorageNode* node = result.root.find(id);
            ASSERT_NE(node, nullptr) << id;
            EXPECT_EQ(node->lastModified, modifiedAt(tree.path(newest))) << id;
        };
        expectDate(root, "mixed/big.mov");
        expectDate(root + "/recent", "recent");
        expectDate(root + "/deep", "deep/a/b/new.txt");
        expectDate(root + "/deep/a", "deep/a/b/new.txt");
        // Below the tree depth `b` folds into `a`'s remainder with its date.
        if (c.treeDepth == 1) expectDate(FileTreeScanner::remainderID(root + "/deep/a"), "deep/a/b/new.txt");
        // Folded, the images' folders are dated by what they hold; the folder above them saw the put back.
        if (c.treeDepth == 1)
            expectDate(FileTreeScanner::remainderID(root + "/sdk/images"), "sdk/images/34/system.img");
        expectDate(root + "/sdk/images", "sdk/images/34");
        expectDate(root + "/mixed", "mixed/big.mov");
        expectDate(FileTreeScanner::remainderID(root + "/mixed"), "mixed/s3.txt");
        expectDate(root + "/wide", "wide/f1234.txt");
        expectDate(FileTreeScanner::remainderID(root + "/wide"), "wide/f1234.txt");
    }
}

// Root reads every folder, so an unreadable one is made by scanning as
// another user in a child process.
TEST(FileTreeScannerTest, UnreadableFolderCountsOnlyItsOwnBlocks) {
    TempTree tree;
    tree.file("open/readable", 5000);
    tree.file("locked/hidden", 5000);
    tree.file("locked/more/hidden", 5000);
    std::int64_t lockedOwn = allocated(tree.path("locked"));
    std::int64_t expected = allocated(tree.root()) + allocated(tree.path("open")) +
                            allocated(tree.path("open/readable")) + lockedOwn;
    ASSERT_EQ(::chmod(tree.root().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(tree.path("open").c_str(), 0755), 0);
    ASSERT_EQ(::chmod(tree.path("open/readable").c_str(), 0644), 0);
    ASSERT_EQ(::chmod(tree.path("locked").c_str(), 0), 0);

    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::close(pipeFds[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        auto result = FileTreeScanner().scan(tree.root());
        std::string summary = std::to_string(result.root.bytes) + " " + std::to_string(result.fileCount) +
                              " " + std::to_string(result.root.children.size());
        if (::write(pipeFds[1], summary.data(), summary.size()) < 0) _exit(4);
        _exit(0);
    }
    ::close(pipeFds[1]);
    char buffer[128] = {};
    ssize_t length = ::read(pipeFds[0], buffer, sizeof buffer - 1);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_GT(length, 0);
    // The locked folder's own blocks are the root's own, as a link's are: no item.
    EXPECT_EQ(std::string(buffer), std::to_string(expected) + " 1 1");
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

// What a scan leaves out is counted by reason. Root reads every folder, so
// the scan runs as the unprivileged user in a child process.
TEST(FileTreeScannerLeftOut, FoldersItCouldNotOpenOrGoNoDeeperIntoAreCounted) {
    struct Case {
        const char* name;
        int maxDepth;
        std::int64_t unreadable, tooDeep;
    };
    const Case cases[] = {
        {"every level walked", 40, 2, 0},
        {"three levels walked", 3, 2, 2},
        {"one level walked", 1, 1, 2},
    };
    testing::TempTree tree;
    tree.file("open/readable", 5000);
    tree.file("locked/hidden", 5000);
    tree.file("open/shut/hidden", 5000);
    tree.file("deep/1/2/3/4/file", 5000);
    tree.folder("deep/1/2/other");
    ASSERT_TRUE(testing::handToUnprivileged(tree.root()));
    ASSERT_EQ(::chmod(tree.root().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(tree.path("locked").c_str(), 0), 0);
    ASSERT_EQ(::chmod(tree.path("open/shut").c_str(), 0), 0);
    for (const auto& c : cases) {
        const auto seen = testing::runInChild({.unprivileged = true}, [&] {
            FileTreeScanner::Options options;
            options.maxDepth = c.maxDepth;
            const auto result = FileTreeScanner(options).scan(tree.root());
            return std::to_string(result.unreadableFolders) + " " + std::to_string(result.tooDeepFolders);
        });
        if (!seen) GTEST_SKIP() << "no unprivileged child here";
        EXPECT_EQ(*seen, std::to_string(c.unreadable) + " " + std::to_string(c.tooDeep)) << c.name;
    }
    ASSERT_EQ(::chmod(tree.path("locked").c_str(), 0755), 0);
    ASSERT_EQ(::chmod(tree.path("open/shut").c_str(), 0755), 0);
}

}  // namespace
}  // namespace korvane
