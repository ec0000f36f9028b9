#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "core/platform/ParentDirectory.h"
#include "core/platform/SafeRemover.h"
#include "core/system/Flag.h"
#include "tests/platform/RemovalTestSupport.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using testing::exists;
using testing::fingerprint;
using testing::outsideOf;
using testing::readFile;
using testing::ScopedMount;
using testing::TempTree;

// A home with things that must survive whatever happens to the candidate.
struct FakeHome {
    TempTree tree;
    std::string home = tree.folder("home");
    std::string documents = tree.text("home/Documents/thesis.txt", "chapter one");
    std::string outside = tree.text("elsewhere/keep.txt", "keep");
};

TEST(SafeRemover, RemovesAFolderTreeAndNothingBeside) {
    FakeHome h;
    h.tree.file("home/project/node_modules/a/index.js", 100);
    h.tree.file("home/project/node_modules/b/c/d/e.js", 5000);
    h.tree.folder("home/project/node_modules/empty");
    h.tree.text("home/project/package.json", "{}");
    const std::string target = h.tree.path("home/project/node_modules");
    auto before = outsideOf(h.tree.root(), target);

    auto result = SafeRemover::remove(target);

    EXPECT_TRUE(result.removed());
    EXPECT_FALSE(exists(target));
    EXPECT_EQ(before, outsideOf(h.tree.root(), target));
}

TEST(SafeRemover, RemovesASingleFile) {
    FakeHome h;
    const std::string target = h.tree.file("home/cache.bin", 10);
    auto before = outsideOf(h.tree.root(), target);
    EXPECT_TRUE(SafeRemover::remove(target).removed());
    EXPECT_EQ(before, outsideOf(h.tree.root(), target));
}

TEST(SafeRemover, MissingItemReportsENOENT) {
    FakeHome h;
    auto result = SafeRemover::remove(h.tree.path("home/nothing-here"));
    EXPECT_EQ(result.error, ENOENT);
    EXPECT_FALSE(result.removed());
}

TEST(SafeRemover, ItemThatBecameALinkIsRefused) {
    FakeHome h;
    // To a folder outside home, to home itself and to a protected folder.
    for (const std::string& target : {h.tree.path("elsewhere"), h.home, h.tree.path("home/Documents")}) {
        const std::string candidate = h.tree.path("home/project/node_modules");
        std::filesystem::remove_all(candidate);
        h.tree.symlink("home/project/node_modules", target);
        auto before = fingerprint(h.tree.root());

        auto result = SafeRemover::remove(candidate);

        EXPECT_EQ(result.error, ELOOP) << target;
        EXPECT_EQ(before, fingerprint(h.tree.root())) << target;
    }
}

TEST(SafeRemover, LinkItemMayBeRemovedAsALinkOnly) {
    FakeHome h;
    const std::string link = h.tree.symlink("home/docs-link", h.tree.path("home/Documents"));
    auto before = outsideOf(h.tree.root(), link);
    SafeRemover::Options options;
    options.leafLink = SafeRemover::LeafLink::removeAsLink;

    EXPECT_TRUE(SafeRemover::remove(link, options).removed());
    EXPECT_FALSE(exists(link));
    EXPECT_EQ(before, outsideOf(h.tree.root(), link));
}

TEST(SafeRemover, ParentSwappedForALinkIsNotFollowed) {
    FakeHome h;
    // home/project is now a link to a folder outside that also holds "node_modules".
    h.tree.file("elsewhere/project/node_modules/precious.js", 10);
    h.tree.symlink("home/project", h.tree.path("elsewhere/project"));
    auto before = fingerprint(h.tree.root());

    auto result = SafeRemover::remove(h.tree.path("home/project/node_modules"));

    EXPECT_EQ(result.error, ELOOP);
    EXPECT_EQ(before, fingerprint(h.tree.root()));
}

TEST(SafeRemover, AnchorMayBeReachedThroughALinkButNothingBelowIt) {
    TempTree tree;
    tree.file("real/home/project/build/out.o", 10);
    tree.file("real/other/build/keep.o", 10);
    tree.symlink("home", tree.path("real/home"));
    tree.symlink("real/home/linked", tree.path("real/other"));
    const std::string anchor = tree.path("home");

    SafeRemover::Options options;
    options.anchor = anchor;
    EXPECT_EQ(SafeRemover::remove(anchor + "/linked/build", options).error, ELOOP);
    EXPECT_TRUE(exists(tree.path("real/other/build/keep.o")));
    EXPECT_EQ(SafeRemover::remove(anchor + "/project/build").error, ELOOP);  // no anchor: "home" is a link
    EXPECT_TRUE(SafeRemover::remove(anchor + "/project/build", options).removed());
    EXPECT_FALSE(exists(tree.path("real/home/project/build")));
}

TEST(SafeRemover, RefusesPathsThatAreNotStandardised) {
    FakeHome h;
    h.tree.file("home/project/build/out.o", 10);
    auto before = fingerprint(h.tree.root());
    const std::string base = h.tree.path("home/project");
    for (const std::string& path : {base + "/../project/build", base + "/./build", base + "//build",
                                    base + "/build/", std::string("build"), std::string("/"), std::string(),
                                    base + std::string("/build\0/x", 9), base + "/build/.."}) {
        auto result = SafeRemover::remove(path);
        EXPECT_EQ(result.error, EINVAL) << path;
    }
    EXPECT_EQ(before, fingerprint(h.tree.root()));
}

TEST(SafeRemover, OddNamesInsideTheTreeAreRemoved) {
    FakeHome h;
    h.tree.file("home/cache/line\nbreak/file", 10);
    h.tree.file("home/cache/bad\xff\xfe name/x", 10);
    h.tree.file("home/cache/ spaces \t/y", 10);
    auto before = outsideOf(h.tree.root(), h.tree.path("home/cache"));
    EXPECT_TRUE(SafeRemover::remove(h.tree.path("home/cache")).removed());
    EXPECT_EQ(before, outsideOf(h.tree.root(), h.tree.path("home/cache")));
}

TEST(SafeRemover, OddNamedItemItselfIsRemoved) {
    FakeHome h;
    const std::string target = h.tree.file("home/we\nird\xc3\x28/f", 10);
    const std::string folder = h.tree.path("home/we\nird\xc3\x28");
    auto before = outsideOf(h.tree.root(), folder);
    EXPECT_TRUE(SafeRemover::remove(folder).removed());
    EXPECT_EQ(before, outsideOf(h.tree.root(), folder));
}

TEST(SafeRemover, LinksInsideTheTreeAreRemovedAsLinks) {
    FakeHome h;
    h.tree.file("home/app/node_modules/pkg/index.js", 10);
    h.tree.symlink("home/app/node_modules/docs", h.tree.path("home/Documents"));
    h.tree.symlink("home/app/node_modules/pkg/up", h.home);
    h.tree.symlink("home/app/node_modules/thesis", h.documents);
    h.tree.symlink("home/app/node_modules/dangling", h.tree.path("home/nowhere"));
    const std::string target = h.tree.path("home/app/node_modules");
    auto before = outsideOf(h.tree.root(), target);

    EXPECT_TRUE(SafeRemover::remove(target).removed());
    EXPECT_EQ(before, outsideOf(h.tree.root(), target));
}

TEST(SafeRemover, HardLinkToAFileOutsideKeepsTheOutsideFile) {
    FakeHome h;
    h.tree.hardlink("home/build/linked.txt", "elsewhere/keep.txt");
    const std::string target = h.tree.path("home/build");
    struct stat st {};
    ASSERT_EQ(lstat(h.outside.c_str(), &st), 0);
    ASSERT_EQ(st.st_nlink, 2u);
    auto before = outsideOf(h.tree.root(), target);

    EXPECT_TRUE(SafeRemover::remove(target).removed());

    auto after = outsideOf(h.tree.root(), target);
    ASSERT_EQ(lstat(h.outside.c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 1u);
    // The only change outside is the link count, which the fingerprint does not hold.
    EXPECT_EQ(before, after);
}

TEST(SafeRemover, MountPointInsideTheTreeIsNotCrossed) {
    FakeHome h;
    h.tree.file("home/build/out.o", 10);
    const std::string mountPoint = h.tree.folder("home/build/mnt");
    auto mount = ScopedMount::tmpfs(mountPoint);
    if (!mount.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    h.tree.text("home/build/mnt/on-another-volume.txt", "stay");
    auto beforeMount = fingerprint(mountPoint);

    auto result = SafeRemover::remove(h.tree.path("home/build"));

    EXPECT_FALSE(result.removed());
    ASSERT_EQ(result.mountPoints.size(), 1u);
    EXPECT_EQ(result.mountPoints[0], mountPoint);
    EXPECT_EQ(beforeMount, fingerprint(mountPoint));
    EXPECT_FALSE(exists(h.tree.path("home/build/out.o")));  // the rest went
    EXPECT_NE(SafeRemover::mountPointMessage(result).find(mountPoint), std::string::npos);
}

TEST(SafeRemover, BindMountOfTheSameVolumeIsNotCrossed) {
    FakeHome h;
    const std::string mountPoint = h.tree.folder("home/project/node_modules/docs");
    auto mount = ScopedMount::bind(h.tree.path("home/Documents"), mountPoint);
    if (!mount.mounted()) GTEST_SKIP() << "cannot bind-mount here";
    auto before = fingerprint(h.tree.path("home/Documents"));

    auto result = SafeRemover::remove(h.tree.path("home/project/node_modules"));

    EXPECT_FALSE(result.removed());
    EXPECT_EQ(result.mountPoints.size(), 1u);
    mount.unmount();
    EXPECT_EQ(before, fingerprint(h.tree.path("home/Documents")));
}

TEST(SafeRemover, ItemThatIsItselfAMountPointIsLeftAlone) {
    FakeHome h;
    const std::string mountPoint = h.tree.folder("home/cache");
    auto mount = ScopedMount::tmpfs(mountPoint);
    if (!mount.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    h.tree.text("home/cache/data", "stay");

    auto result = SafeRemover::remove(mountPoint);

    EXPECT_FALSE(result.removed());
    EXPECT_TRUE(exists(h.tree.path("home/cache/data")));
}

TEST(SafeRemover, ReadOnlyVolumeReportsEROFS) {
    FakeHome h;
    const std::string mountPoint = h.tree.folder("home/ro");
    auto mount = ScopedMount::tmpfs(mountPoint);
    if (!mount.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    h.tree.file("home/ro/cache/x", 10);
    mount.remountReadOnly();

    auto result = SafeRemover::remove(h.tree.path("home/ro/cache"));

    EXPECT_EQ(result.error, EROFS);
    EXPECT_TRUE(exists(h.tree.path("home/ro/cache/x")));
}

TEST(SafeRemover, DeepTreeIsRemoved) {
    FakeHome h;
    std::string relative = "home/deep";
    for (int i = 0; i < 300; ++i) relative += "/d";
    h.tree.file(relative + "/leaf", 1);
    auto before = outsideOf(h.tree.root(), h.tree.path("home/deep"));
    EXPECT_TRUE(SafeRemover::remove(h.tree.path("home/deep")).removed());
    EXPECT_EQ(before, outsideOf(h.tree.root(), h.tree.path("home/deep")));
}

// Read-only folders inside a cache (as Go leaves its module cache) are made
// writable for their owner and removed; the candidate's parent is not changed.
TEST(SafeRemover, ReadOnlyFoldersOfTheOwnerAreRemovedWithoutPrivileges) {
    constexpr uid_t nobody = 65534;
    if (geteuid() != 0) GTEST_SKIP() << "needs root to hand the tree to another user";
    FakeHome h;
    ASSERT_EQ(chmod(h.tree.root().c_str(), 0755), 0);
    h.tree.file("home/go/pkg/mod/example.com/lib@v1/lib.go", 10);
    h.tree.folder("home/go/pkg/mod/example.com/locked");
    const std::string target = h.tree.path("home/go/pkg/mod/example.com");
    ASSERT_EQ(std::system(("chown -R 65534:65534 '" + h.tree.path("home") + "'").c_str()), 0);
    ASSERT_EQ(std::system(("chmod -R a-w '" + target + "'").c_str()), 0);
    ASSERT_EQ(chmod((target + "/locked").c_str(), 0), 0);
    ASSERT_EQ(chmod(h.tree.path("home/go/pkg/mod").c_str(), 0755), 0);
    auto before = outsideOf(h.tree.root(), target);

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(nobody) != 0 || setuid(nobody) != 0) _exit(100);
        auto result = SafeRemover::remove(target);
        _exit(result.removed() ? 0 : (result.error == 0 ? 99 : result.error));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 100) GTEST_SKIP() << "cannot drop privileges here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(exists(target));
    EXPECT_EQ(before, outsideOf(h.tree.root(), target));
}

TEST(SafeRemover, PermissionFailureIsReportedWithoutPrivileges) {
    constexpr uid_t nobody = 65534;
    if (geteuid() != 0) GTEST_SKIP() << "needs root to hand the tree to another user";
    FakeHome h;
    ASSERT_EQ(chmod(h.tree.root().c_str(), 0755), 0);
    ASSERT_EQ(chmod(h.home.c_str(), 0755), 0);
    const std::string target = h.tree.file("home/root-owned/file", 10);  // owned by root, not ours
    auto before = fingerprint(h.tree.root());

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(nobody) != 0 || setuid(nobody) != 0) _exit(100);
        _exit(SafeRemover::remove(h.tree.path("home/root-owned")).error);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (WEXITSTATUS(status) == 100) GTEST_SKIP() << "cannot drop privileges here";
    EXPECT_EQ(WEXITSTATUS(status), EACCES);
    EXPECT_EQ(before, fingerprint(h.tree.root()));
}

// Allocated bytes of the entry itself (a folder's own blocks, not its contents).
std::int64_t allocated(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_blocks) * 512;
}

// Three folders of twenty files each, 8 KB apiece.
std::vector<std::string> largeTree(TempTree& tree, const std::string& root) {
    std::vector<std::string> entries;
    for (int folder = 0; folder < 3; ++folder)
        for (int file = 0; file < 20; ++file)
            entries.push_back(
                tree.file(root + "/" + std::to_string(folder) + "/" + std::to_string(file), 8192));
    for (int folder = 0; folder < 3; ++folder)
        entries.push_back(tree.path(root + "/" + std::to_string(folder)));
    entries.push_back(tree.path(root));
    return entries;
}

TEST(SafeRemover, CountsWhatEachRemovedEntryFreedButNotAFileThatKeepsAnotherName) {
    FakeHome h;
    const std::vector<std::string> entries = largeTree(h.tree, "home/build");
    h.tree.hardlink("home/build/0/linked.txt", "elsewhere/keep.txt");
    std::int64_t expected = 0;
    for (const auto& entry : entries) expected += allocated(entry);
    ASSERT_GT(expected, 60 * 4096);

    std::int64_t heard = 0;
    int calls = 0;
    SafeRemover::Options options;
    options.watch.removed = [&](std::int64_t bytes) {
        heard += bytes;
        ++calls;
    };
    const auto result = SafeRemover::remove(h.tree.path("home/build"), options);

    EXPECT_TRUE(result.removed());
    EXPECT_EQ(result.removedBytes, expected);
    EXPECT_EQ(heard, expected);
    EXPECT_EQ(calls, static_cast<int>(entries.size()) + 1);  // the hard link's name too, freeing nothing
    EXPECT_EQ(readFile(h.outside), "keep");

    const std::string file = h.tree.file("home/single.bin", 20000);
    const std::int64_t single = allocated(file);
    EXPECT_EQ(SafeRemover::remove(file).removedBytes, single);
}

TEST(SafeRemover, CancelStopsInsideOneTreeBetweenTwoEntries) {
    FakeHome h;
    const std::vector<std::string> entries = largeTree(h.tree, "home/cache");
    Flag cancel;
    std::int64_t heard = 0;
    int calls = 0;
    SafeRemover::Options options;
    options.watch.cancel = &cancel;
    options.watch.removed = [&](std::int64_t bytes) {
        heard += bytes;
        if (++calls == 7) cancel.setValue(true);
    };

    const auto result = SafeRemover::remove(h.tree.path("home/cache"), options);

    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.removed());
    EXPECT_EQ(result.error, 0);
    EXPECT_EQ(calls, 7);  // nothing after the entry that asked it to stop
    EXPECT_EQ(result.removedBytes, heard);
    // Seven files of one size went (a folder goes only once it is empty).
    std::size_t left = 0;
    std::int64_t oneFile = 0;
    for (std::size_t index = 0; index < entries.size(); ++index)
        if (exists(entries[index])) {
            ++left;
            if (oneFile == 0 && index < 60) oneFile = allocated(entries[index]);
        }
    EXPECT_EQ(left, entries.size() - 7);
    EXPECT_GT(oneFile, 0);
    EXPECT_EQ(result.removedBytes, 7 * oneFile);
    EXPECT_TRUE(exists(h.documents));

    // Not set: the same tree goes whole.
    cancel.setValue(false);
    options.watch.removed = nullptr;
    EXPECT_TRUE(SafeRemover::remove(h.tree.path("home/cache"), options).removed());
    EXPECT_FALSE(exists(h.tree.path("home/cache")));
}

TEST(ParentDirectory, StandardAbsolutePaths) {
    EXPECT_TRUE(ParentDirectory::isStandardAbsolute("/"));
    EXPECT_TRUE(ParentDirectory::isStandardAbsolute("/a/b c/..d"));
    EXPECT_FALSE(ParentDirectory::isStandardAbsolute("a/b"));
    EXPECT_FALSE(ParentDirectory::isStandardAbsolute("/a//b"));
    EXPECT_FALSE(ParentDirectory::isStandardAbsolute("/a/./b"));
    EXPECT_FALSE(ParentDirectory::isStandardAbsolute("/a/../b"));
    EXPECT_FALSE(ParentDirectory::isStandardAbsolute("/a/b/"));
    EXPECT_FALSE(ParentDirectory::isStandardAbsolute(std::string("/a\0b", 4)));
}

TEST(ParentDirectory, CreatesMissingFoldersWithoutFollowingLinks) {
    TempTree tree;
    tree.folder("elsewhere");
    tree.symlink("home/link", tree.path("elsewhere"));
    auto made = ParentDirectory::open(tree.path("home/a/b/c"), {}, true);
    EXPECT_TRUE(made.ok());
    EXPECT_EQ(made.leaf(), "c");
    EXPECT_TRUE(exists(tree.path("home/a/b")));
    auto refused = ParentDirectory::open(tree.path("home/link/new/c"), {}, true);
    EXPECT_EQ(refused.error(), ELOOP);
    EXPECT_FALSE(exists(tree.path("elsewhere/new")));
}

}  // namespace
}  // namespace korvane
