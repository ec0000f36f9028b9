#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "core/explorer/FileTreeScanner.h"
#include "core/system/Paths.h"
#include "tests/explorer/ScanTestSupport.h"

namespace korvane {
namespace {

using testing::allocate;
using testing::allocated;
using testing::duBytes;
using testing::smallOptions;
using testing::TempTree;

std::optional<std::string> otherNames(const StorageNode* node) {
    if (!node) return "no node";
    const auto found = node->details.find(FileTreeScanner::otherNamesDetail);
    if (found == node->details.end()) return std::nullopt;
    return found->second;
}

// A file with several names counts once, under the name that comes first in
// path order, whichever worker meets which name first: "a" takes long to
// read, so the worker reading "b" meets the shared file first. The folders
// that hold only other names say where the file is counted.
TEST(HardLinkCreditTest, EveryScanCreditsALinkedFileToItsFirstNameInPathOrder) {
    TempTree tree;
    testing::HomeOverride home(tree.root());
    for (int i = 0; i < 3000; ++i) tree.file("Links/a/small" + std::to_string(i), 10);
    const std::string big = allocate(tree, "Links/a/z-big.bin", 3 << 20);
    tree.hardlink("Links/b/big.bin", "Links/a/z-big.bin");
    tree.hardlink("Links/b/again.bin", "Links/a/z-big.bin");
    // A small one folds where it is counted; its other name lies deeper, in
    // another top-level item, in a folder without a node of its own.
    const std::string photo = allocate(tree, "Photos/1/2/3/4/5/6/7/p.jpg", 40 * 1024);
    tree.hardlink("Backup/p.jpg", "Photos/1/2/3/4/5/6/7/p.jpg");
    // Two names in one folder: counted once, and nothing to say.
    allocate(tree, "Same/x.bin", 80 * 1024);
    tree.hardlink("Same/y.bin", "Same/x.bin");

    FileTreeScanner::Options options = smallOptions();
    options.workerCount = 8;
    options.parallelDepth = 3;
    std::optional<FileTreeScanner::Result> first;
    for (int run = 0; run < 5; ++run) {
        SCOPED_TRACE("scan " + std::to_string(run + 1));
        auto result = FileTreeScanner(options).scan(tree.root());
        EXPECT_EQ(result.root.bytes, duBytes(tree.root()));
        EXPECT_EQ(result.fileCount, 3000 + 3);
        if (first) {
            testing::expectSameTree(first->root, result.root);
            continue;
        }
        const std::string root = tree.root();
        const StorageNode* holder = result.root.find(big);
        ASSERT_NE(holder, nullptr);
        EXPECT_EQ(holder->bytes, allocated(big));
        const StorageNode* b = result.root.find(root + "/Links/b");
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->fileCount, 0u);
        EXPECT_EQ(b->bytes, allocated(root + "/Links/b"));
        EXPECT_EQ(otherNames(b), "2 files, counted in ~/Links/a");
        // The folder holding both names says nothing.
        EXPECT_EQ(otherNames(result.root.find(root + "/Links")), std::nullopt);

        const StorageNode* backup = result.root.find(root + "/Backup");
        ASSERT_NE(backup, nullptr);
        EXPECT_EQ(backup->fileCount, 1u);
        EXPECT_EQ(backup->bytes, allocated(root + "/Backup") + allocated(photo));
        EXPECT_EQ(otherNames(result.root.find(root + "/Photos")), "1 file, counted in ~/Backup");
        EXPECT_EQ(result.root.find(root + "/Photos")->fileCount, 0u);

        const StorageNode* same = result.root.find(root + "/Same");
        EXPECT_EQ(same->fileCount, 1u);
        EXPECT_EQ(otherNames(same), std::nullopt);

        std::vector<std::string> indexed;
        for (const auto& entry : result.index)
            if (!entry.isDirectory) indexed.push_back(entry.path);
        std::sort(indexed.begin(), indexed.end());
        EXPECT_EQ(indexed, (std::vector<std::string>{root + "/Backup/p.jpg", big, root + "/Same/x.bin"}));
        first = std::move(result);
    }
}

// A name met once is counted where it lies, as every other file: its other
// names lie outside the scanned folder.
TEST(HardLinkCreditTest, ANameWhoseOtherNamesLieOutsideCountsWhereItIs) {
    TempTree tree;
    allocate(tree, "outside/one.bin", 3 << 20);
    allocate(tree, "outside/two.txt", 20 * 1024);
    const std::string one = tree.hardlink("scanned/docs/one.bin", "outside/one.bin");
    const std::string two = tree.hardlink("scanned/docs/two.txt", "outside/two.txt");
    tree.file("scanned/docs/three.txt", 100);
    tree.hardlink("scanned/top.txt", "outside/two.txt");
    auto result = FileTreeScanner(smallOptions()).scan(tree.path("scanned"));
    EXPECT_EQ(result.root.bytes, duBytes(tree.path("scanned")));
    const StorageNode* docs = result.root.find(tree.path("scanned/docs"));
    ASSERT_NE(docs, nullptr);
    EXPECT_EQ(docs->fileCount, 3u);
    std::vector<std::string> names;
    for (const StorageNode& child : docs->children) names.push_back(child.name);
    // The small one folds with the other small file.
    EXPECT_EQ(names, (std::vector<std::string>{"one.bin", "2 smaller items"}));
    EXPECT_EQ(docs->children[1].bytes, allocated(two) + allocated(tree.path("scanned/docs/three.txt")));
    EXPECT_EQ(docs->children[1].fileCount, 2u);
    // Its name at the top comes after "docs" in path order, and the root holds both.
    EXPECT_EQ(otherNames(&result.root), std::nullopt);
    EXPECT_EQ(result.root.children.size(), 1u);
    EXPECT_EQ(result.fileCount, 3);
    // Listed among the largest, it is known by its inode as any file is, so a
    // pick of it is checked against what the scan saw.
    const auto listed = std::find_if(result.largest.begin(), result.largest.end(),
                                     [](const auto& entry) { return entry.name == "one.bin"; });
    ASSERT_NE(listed, result.largest.end());
    struct stat st {};
    ASSERT_EQ(::stat(one.c_str(), &st), 0);
    EXPECT_EQ(listed->inode, static_cast<std::uint64_t>(st.st_ino));
    EXPECT_EQ(listed->device, static_cast<std::uint64_t>(st.st_dev));
    EXPECT_TRUE(listed->identity().has_value());
}

// Search lists a folder at what it holds with the files counted in it,
// and finds one that only they make large enough for the index.
TEST(HardLinkCreditTest, TheIndexHoldsFoldersAtWhatTheirLinkedFilesAddToThem) {
    TempTree tree;
    const std::string big = allocate(tree, "Links/a/big.bin", 3 << 20);
    tree.hardlink("Links/b/big.bin", "Links/a/big.bin");
    allocate(tree, "Links/c/notes.txt", 20 * 1024);
    allocate(tree, "Plain/x.bin", 3 << 20);
    const auto result = FileTreeScanner(smallOptions()).scan(tree.root());
    std::map<std::string, std::int64_t> folders;
    for (const auto& entry : result.index)
        if (entry.isDirectory) folders[entry.path] = entry.size;
    for (const std::string relative : {"Links", "Links/a", "Links/c", "Plain"}) {
        const std::string path = tree.path(relative);
        const StorageNode* node = result.root.find(path);
        ASSERT_NE(node, nullptr) << relative;
        EXPECT_EQ(node->bytes, duBytes(path)) << relative;
        ASSERT_TRUE(folders.contains(path)) << relative;
        EXPECT_EQ(folders[path], node->bytes) << relative;
    }
    // Its other name holds nothing of it.
    EXPECT_FALSE(folders.contains(tree.path("Links/b")));
}

}  // namespace
}  // namespace korvane
