#include "core/system/RealPath.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include "tests/support/DeepTree.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using testing::deepFolders;
using testing::TempTree;

std::string systemRealPath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : std::string();
}

TEST(RealPathTest, ResolvesLikeTheSystemAndKeepsWhatCannotBeResolved) {
    TempTree tree;
    const std::string root = systemRealPath(tree.root());
    tree.file("real/dir/file", 1);
    tree.symlink("abs", root + "/real");
    tree.symlink("real/dir/up", "../..");
    tree.symlink("real/self", ".");
    tree.symlink("chain", "abs/dir/up/abs");
    tree.symlink("dangling", root + "/gone/x");
    tree.symlink("loop/a", "b");
    tree.symlink("loop/b", "a");
    tree.symlink("empty-target", "real/dir/file/");

    struct Row {
        std::string given;
        std::string expected;
        int error;
    };
    const Row rows[] = {
        {root + "/real/dir/file", root + "/real/dir/file", 0},
        {root + "/abs/dir", root + "/real/dir", 0},
        {root + "/abs/dir/up/real/self/dir", root + "/real/dir", 0},
        {root + "/chain/dir/file", root + "/real/dir/file", 0},
        {root + "/real/./dir/../dir", root + "/real/dir", 0},
        // The longest resolvable prefix is resolved, the rest kept as given.
        {root + "/abs/missing/x", root + "/real/missing/x", ENOENT},
        {root + "/dangling", root + "/dangling", ENOENT},
        {root + "/dangling/x", root + "/dangling/x", ENOENT},
        {root + "/abs/dir/file/x", root + "/real/dir/file/x", ENOTDIR},
        {root + "/empty-target", root + "/empty-target", ENOTDIR},
        {root + "/loop/a/x", root + "/loop/a/x", ELOOP},
        {"relative/path", "relative/path", EINVAL},
        {std::string("/a\0b", 4), std::string("/a\0b", 4), EINVAL},
        {"/", "/", 0},
    };
    for (const Row& row : rows) {
        RealPath::Resolution real = RealPath::resolve(row.given);
        EXPECT_EQ(real.path, row.expected) << row.given;
        EXPECT_EQ(real.error, row.error) << row.given;
        EXPECT_EQ(real.item.valid(), row.error == 0) << row.given;
        if (row.error == 0) {
            EXPECT_EQ(real.path, systemRealPath(row.given)) << row.given;
        }
    }
}

TEST(RealPathTest, StepsDescribeEachComponentOfTheResolvedPath) {
    TempTree tree;
    const std::string root = systemRealPath(tree.root());
    tree.file("a/b/file", 1);
    tree.symlink("link", root + "/a");
    RealPath::Resolution real = RealPath::resolve(root + "/link/b/file");
    ASSERT_TRUE(real.complete());
    const std::string expected = root + "/a/b/file";
    std::size_t components = 0;
    for (char c : expected) components += c == '/' ? 1 : 0;
    ASSERT_EQ(real.steps.size(), components);
    struct stat st {};
    ASSERT_EQ(::stat((root + "/a/b").c_str(), &st), 0);
    const RealPath::Step& folder = real.steps[components - 2];
    EXPECT_EQ(folder.inode, st.st_ino);
    EXPECT_EQ(folder.device, st.st_dev);
    EXPECT_TRUE(folder.isDirectory);
    EXPECT_FALSE(real.steps.back().isDirectory);
    EXPECT_TRUE(real.steps.front().isDirectory);
}

// Beyond PATH_MAX the system gives up; a link down there still resolves.
TEST(RealPathTest, PathsLongerThanPathMaxResolve) {
    TempTree tree;
    const std::string root = systemRealPath(tree.root());
    tree.folder("target");
    const std::string name(100, 'd');
    auto [deep, bottom] = deepFolders(root, 60, name);
    ASSERT_GT(deep.size(), static_cast<std::size_t>(PATH_MAX));
    ASSERT_EQ(symlinkat((root + "/target").c_str(), bottom.get(), "link"), 0);

    EXPECT_EQ(RealPath::resolved(deep + "/link"), root + "/target");
    EXPECT_EQ(RealPath::resolved(deep + "/link/missing"), root + "/target/missing");
    RealPath::Resolution real = RealPath::resolve(deep);
    EXPECT_TRUE(real.complete());
    EXPECT_EQ(real.path, deep);
}

TEST(RealPathTest, ACancelStopsADeepWalk) {
    TempTree tree;
    const std::string root = systemRealPath(tree.root());
    const std::string deep = deepFolders(root, 400, "d").path;
    Flag cancel;
    EXPECT_TRUE(RealPath::resolve(deep, &cancel).complete());
    cancel.setValue(true);
    RealPath::Resolution stopped = RealPath::resolve(deep, &cancel);
    EXPECT_TRUE(stopped.cancelled());
    EXPECT_FALSE(stopped.item.valid());
    // A short path finishes before the flag is looked at.
    EXPECT_TRUE(RealPath::resolve(root, &cancel).complete());
}

// Moved here with the helper the scanners used to have.
TEST(RealPathTest, ScannerLinkHelpers) {
    TempTree tree;
    tree.file("moved/sdk/platform.jar", 50000);
    const auto link = tree.symlink("sdk", tree.path("moved/sdk"));
    EXPECT_EQ(RealPath::resolved(link), tree.path("moved/sdk"));
    EXPECT_EQ(RealPath::resolved(tree.path("gone/x")), tree.path("gone/x"));
}

}  // namespace
}  // namespace korvane
