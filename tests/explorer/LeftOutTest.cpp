#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/explorer/FileSearch.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/system/FastSizer.h"
#include "tests/explorer/ScanTestSupport.h"
#include "tests/support/ChildProcess.h"

namespace korvane {
namespace {

using testing::allocate;
using testing::allocated;
using testing::TempTree;

std::string yesNo(bool value) { return value ? "yes" : "no"; }

// The scan stays on the scanned folder's file system, as du -x does: a file
// system mounted inside is a node of no size that is not opened, and every
// mount point met is named, also one too deep for a node.
TEST(LeftOutTest, AFileSystemMountedInsideIsANodeOfNoSizeAndTheTotalIsDuX) {
    TempTree tree;
    allocate(tree, "docs/a.bin", 100 * 1024);
    const std::string ram = tree.folder("ram");
    const std::string deep = tree.folder("deep/1/2/3/4/5/6/7/8/mnt");
    const auto seen = testing::runInChild({.ownMounts = true}, [&] {
        for (const std::string& point : {ram, deep})
            if (mount("tmpfs", point.c_str(), "tmpfs", 0, "size=16m") != 0) return std::string("no mount");
        allocate(tree, "ram/big.bin", 5 << 20);
        allocate(tree, "deep/1/2/3/4/5/6/7/8/mnt/inside.bin", 1 << 20);
        const auto result = FileTreeScanner().scan(tree.root());
        const StorageNode* node = result.root.find(ram);
        std::string text = "total as du -x: " + yesNo(result.root.bytes == testing::duBytes(tree.root(), true));
        text += ", files " + std::to_string(result.fileCount);
        text += ", ram node: " + (node ? std::to_string(node->bytes) + " bytes, mount point " +
                                              yesNo(FileTreeScanner::isMountPoint(*node)) + ", " +
                                              std::to_string(node->children.size()) + " children"
                                        : std::string("none"));
        for (const std::string& point : result.mountPoints) text += ", " + point;
        // Opened as a folder of its own, it is scanned like any other.
        const auto own = FileTreeScanner().scan(ram);
        text += ", scanned alone: " + yesNo(own.root.bytes == testing::duBytes(ram, true) && own.fileCount == 1);
        return text;
    });
    if (!seen || *seen == "no mount") GTEST_SKIP() << "needs root to mount a tmpfs";
    EXPECT_EQ(*seen, "total as du -x: yes, files 1, ram node: 0 bytes, mount point yes, 0 children, " + deep +
                         ", " + ram + ", scanned alone: yes");
}

// A folder or a file bound inside the scanned one (as containers bind /etc/hosts) is a mount
// point though its device is the same: each file is counted and found once, by the scan and the sizer.
TEST(LeftOutTest, AFolderBoundInsideIsANodeOfNoSizeAndEachFileCountsOnce) {
    TempTree tree;
    allocate(tree, "docs/a.bin", 2 << 20);
    const std::string bound = tree.folder("bind docs");  // "\040" in the mount table
    const std::string inner = tree.folder("inner");      // the root bound inside itself
    const std::vector<std::string> files = {tree.file("a.bin"), tree.file("etc/a.bin")};
    const std::int64_t disk = testing::duBytes(tree.root(), true) - allocated(bound) - allocated(inner);
    const auto seen = testing::runInChild({.ownMounts = true}, [&] {
        if (mount(tree.path("docs").c_str(), bound.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            mount(tree.root().c_str(), inner.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return std::string("no mount");
        for (const std::string& file : files)
            if (mount(tree.path("docs/a.bin").c_str(), file.c_str(), nullptr, MS_BIND, nullptr) != 0)
                return std::string("no mount");
        const auto result = FileTreeScanner(testing::smallOptions()).scan(tree.root());
        FileSearch::Query query;
        query.text = "a.bin";
        const StorageNode* node = result.root.find(bound);
        std::string text =
            std::to_string(result.root.bytes - disk) + " bytes off, sizer " +
            std::to_string(FastSizer().measure(tree.root())->bytes - disk) + " off, found " +
            std::to_string(FileSearch::run(query, result.index, FileSearch::Sort::size, 9).size()) +
            ", largest " + std::to_string(result.largest.size()) + ", node " +
            yesNo(node && node->bytes == 0 && FileTreeScanner::isMountPoint(*node)) + ", alone " +
            std::to_string(FileTreeScanner().scan(bound).fileCount);
        for (const std::string& point : result.mountPoints) text += ", " + point;
        return text;
    });
    if (!seen || *seen == "no mount") GTEST_SKIP() << "needs root to bind a folder";
    EXPECT_EQ(*seen,
              "0 bytes off, sizer 0 off, found 1, largest 1, node yes, alone 1, " + files[0] + ", " + bound +
                  ", " + files[1] + ", " + inner);
}

// A folder that may be listed but not entered (read without search
// permission) is left out like one that may not be read: its own blocks
// count, as for du, and nothing it lists shows as an empty folder.
TEST(LeftOutTest, AFolderThatCanBeListedButNotEnteredIsLeftOut) {
    TempTree tree;
    tree.file("open/readable", 5000);
    tree.file("listed/hidden", 5000);
    tree.file("listed/sub/more", 5000);
    for (int i = 0; i < 300; ++i) tree.file("wide/listed/f" + std::to_string(i), 100);
    const std::int64_t expected = allocated(tree.root()) + allocated(tree.path("open")) +
                                  allocated(tree.path("open/readable")) + allocated(tree.path("listed")) +
                                  allocated(tree.path("wide")) + allocated(tree.path("wide/listed"));
    ASSERT_TRUE(testing::handToUnprivileged(tree.root()));
    ASSERT_EQ(::chmod(tree.path("listed").c_str(), 0644), 0);
    ASSERT_EQ(::chmod(tree.path("wide/listed").c_str(), 0644), 0);
    const auto seen = testing::runInChild({.unprivileged = true}, [&] {
        FileTreeScanner::Options options;
        options.workerCount = 4;
        const auto result = FileTreeScanner(options).scan(tree.root());
        std::vector<std::string> names;
        testing::forEachNode(result.root, [&](const StorageNode& node, int depth) {
            if (depth > 0) names.push_back(node.name);
        });
        std::sort(names.begin(), names.end());
        std::string text = std::to_string(result.unreadableFolders) + " left out, " +
                           std::to_string(result.root.bytes - expected) + " bytes off, nodes:";
        for (const std::string& name : names) text += " " + name;
        // Scanned itself, it is a folder that could not be opened.
        const auto alone = FileTreeScanner().scan(tree.path("listed"));
        text += alone.unreadableFolders == 1 && alone.root.bytes == 0 ? ", alone left out" : ", alone shown";
        return text;
    });
    ASSERT_EQ(::chmod(tree.path("listed").c_str(), 0755), 0);
    ASSERT_EQ(::chmod(tree.path("wide/listed").c_str(), 0755), 0);
    if (!seen) GTEST_SKIP() << "no unprivileged child here";
    EXPECT_EQ(*seen, "2 left out, 0 bytes off, nodes: open readable wide, alone left out");
}

}  // namespace
}  // namespace korvane
