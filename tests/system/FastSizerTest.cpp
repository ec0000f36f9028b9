#include "core/system/FastSizer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/system/ParallelWork.h"
#include "core/system/PseudoFileSystems.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using korvane::testing::duBytes;
using korvane::testing::TempTree;
using Clock = std::chrono::system_clock;

struct stat lstatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st;
}

std::int64_t blocksOf(const std::string& path) { return static_cast<std::int64_t>(lstatOf(path).st_blocks) * 512; }

Clock::time_point mtimeOf(const std::string& path) {
    return Clock::time_point(std::chrono::seconds(lstatOf(path).st_mtim.tv_sec));
}

TEST(FastSizerTest, MissingPathIsAbsent) {
    TempTree tree;
    FastSizer sizer;
    EXPECT_FALSE(sizer.measure(tree.path("nothing-here")).has_value());
    EXPECT_FALSE(sizer.measure("").has_value());
}

TEST(FastSizerTest, EmptyFolderCountsItself) {
    TempTree tree;
    std::string folder = tree.folder("empty");
    FastSizer sizer;
    auto m = sizer.measure(folder);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->bytes, blocksOf(folder));
    EXPECT_EQ(m->bytes, duBytes(folder));
    EXPECT_EQ(m->files, 0);
    EXPECT_EQ(m->directories, 1);
    EXPECT_EQ(m->newestModification, mtimeOf(folder));
    EXPECT_FALSE(m->partial);
}

TEST(FastSizerTest, TreeAgreesWithDuAcrossHardAndSymbolicLinks) {
    TempTree outside;
    outside.file("big/one", 3 << 20);
    outside.file("big/two", 2 << 20);

    TempTree tree;
    tree.file("a/small", 10);
    tree.file("a/b/medium", 100000);
    tree.file("a/b/c/large", 1 << 20);
    tree.file("zero", 0);
    tree.file("linked", 300000);
    tree.hardlink("a/linked-again", "linked");
    tree.hardlink("a/b/linked-thrice", "linked");
    tree.symlink("to-file", "a/small");
    tree.symlink("to-big", outside.path("big"));
    tree.symlink("dangling", "no/such/target");
    tree.file("name with spaces\nand newline", 5000);
    tree.file(std::string("bad-\xff\xfe-utf8"), 5000);
    mkfifo(tree.path("pipe").c_str(), 0600);

    FastSizer sizer;
    auto m = sizer.measure(tree.root());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->bytes, duBytes(tree.root()));
    // small, medium, large, zero, linked (once), three links, two odd names, the pipe
    EXPECT_EQ(m->files, 11);
    EXPECT_EQ(m->directories, 4);
    EXPECT_FALSE(m->partial);
}

TEST(FastSizerTest, HardLinkIsCountedOnceUntilReset) {
    TempTree tree;
    tree.file("one/shared", 200000);
    tree.hardlink("two/shared", "one/shared");
    tree.file("two/single", 100000);

    FastSizer sizer;
    auto first = sizer.measure(tree.path("one"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->files, 1);
    EXPECT_EQ(first->bytes, duBytes(tree.path("one")));

    // The other tree reaches the same file: it adds nothing there.
    auto second = sizer.measure(tree.path("two"));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->files, 1);
    EXPECT_EQ(second->bytes, blocksOf(tree.path("two")) + blocksOf(tree.path("two/single")));

    // Measured directly, it is not counted again.
    auto direct = sizer.measure(tree.path("two/shared"));
    ASSERT_TRUE(direct);
    EXPECT_EQ(*direct, FastSizer::Measurement{});

    // A file with one link is counted every time.
    for (int i = 0; i < 2; ++i) {
        auto single = sizer.measure(tree.path("two/single"));
        ASSERT_TRUE(single);
        EXPECT_EQ(single->files, 1);
        EXPECT_EQ(single->bytes, blocksOf(tree.path("two/single")));
        EXPECT_EQ(single->newestModification, mtimeOf(tree.path("two/single")));
    }

    sizer.reset();
    auto again = sizer.measure(tree.path("two/shared"));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->files, 1);
    EXPECT_EQ(again->bytes, blocksOf(tree.path("one/shared")));
}

TEST(FastSizerTest, ConcurrentMeasurementsCountASharedFileOnce) {
    TempTree tree;
    for (int i = 0; i < 50; ++i) {
        tree.file("original/f" + std::to_string(i), 8192);
        tree.file("plain/f" + std::to_string(i), 4096);
        for (int k = 0; k < 8; ++k)
            tree.hardlink("copy" + std::to_string(k) + "/f" + std::to_string(i), "original/f" + std::to_string(i));
    }
    std::int64_t linkedFileBytes = blocksOf(tree.path("original/f0")) * 50;

    FastSizer sizer;
    std::atomic<std::int64_t> total{0};
    std::atomic<std::int64_t> files{0};
    constexpr int measurements = 8;
    ParallelWork::run(measurements, [&](int) {
        auto m = sizer.measure(tree.root());
        ASSERT_TRUE(m);
        total += m->bytes;
        files += m->files;
    });
    // Each shared file is counted by exactly one of the eight measurements.
    std::int64_t whole = duBytes(tree.root());
    EXPECT_EQ(total.load(), whole * measurements - linkedFileBytes * (measurements - 1));
    EXPECT_EQ(files.load(), 50 * measurements + 50);
}

TEST(FastSizerTest, SymbolicLinkIsNeverFollowed) {
    TempTree outside;
    outside.file("big/data", 4 << 20);
    TempTree tree;
    std::string link = tree.symlink("link", outside.path("big"));
    std::string fileLink = tree.symlink("file-link", outside.path("big/data"));

    FastSizer sizer;
    // A trailing "/" names the link itself too: it must not lead the walk
    // into the target.
    for (const std::string& path : {link, fileLink, link + "/", link + "//", fileLink + "/"}) {
        auto m = sizer.measure(path);
        ASSERT_TRUE(m) << path;
        EXPECT_EQ(m->files, 1) << path;
        EXPECT_EQ(m->directories, 0) << path;
        EXPECT_EQ(m->bytes, blocksOf(link)) << path;
        EXPECT_LT(m->bytes, 1 << 20) << path;
    }

    // A real folder named with a trailing "/" is still the folder.
    auto folder = sizer.measure(outside.path("big") + "/");
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->bytes, duBytes(outside.path("big")));
    EXPECT_EQ(folder->files, 1);
    EXPECT_EQ(folder->directories, 1);
}

TEST(FastSizerTest, SkippedNamesAddNothingAtAnyDepth) {
    TempTree tree;
    tree.file("keep/file", 50000);
    tree.file(".Trash/old", 1 << 20);
    tree.file("keep/deeper/.Trash/old", 1 << 20);
    tree.file("keep/.Spotlight-V100/index", 300000);
    tree.file(".fseventsd/log", 300000);
    tree.file("keep/.DocumentRevisions-V100", 300000);
    tree.file("keep/.Trash-1000/kept", 20000);  // not a skipped name

    FastSizer sizer;
    auto m = sizer.measure(tree.root());
    ASSERT_TRUE(m);
    std::int64_t skipped = duBytes(tree.path(".Trash")) + duBytes(tree.path("keep/deeper/.Trash")) +
                           duBytes(tree.path("keep/.Spotlight-V100")) + duBytes(tree.path(".fseventsd")) +
                           duBytes(tree.path("keep/.DocumentRevisions-V100"));
    EXPECT_EQ(m->bytes, duBytes(tree.root()) - skipped);
    EXPECT_EQ(m->files, 2);
    EXPECT_EQ(m->directories, 4);  // root, keep, deeper, .Trash-1000
    EXPECT_FALSE(m->partial);
}

TEST(FastSizerTest, DeepChainStopsReadingBelowTheDepthLimit) {
    TempTree tree;
    std::string relative;
    for (int level = 1; level <= 70; ++level) {
        relative += (level == 1 ? "" : "/") + std::string("d");
        tree.file(relative + "/f", 4096);
    }
    std::string level64;
    for (int level = 1; level <= 64; ++level) level64 += (level == 1 ? "d" : "/d");

    FastSizer sizer;
    auto m = sizer.measure(tree.root());
    ASSERT_TRUE(m);
    EXPECT_TRUE(m->partial);
    EXPECT_EQ(m->directories, 1 + 64);
    EXPECT_EQ(m->files, 63);  // the files of levels 1 ... 63
    std::int64_t unread = duBytes(tree.path(level64)) - blocksOf(tree.path(level64));
    EXPECT_EQ(m->bytes, duBytes(tree.root()) - unread);
}

TEST(FastSizerTest, NewestModificationIgnoresFoldersAndLinksBelowTheRoot) {
    TempTree tree;
    tree.file("sub/old", 10);
    tree.file("sub/newer", 10);
    tree.symlink("sub/link", "old");
    tree.age("sub/old", 90000);
    tree.age("sub/newer", 5000);
    tree.age("sub", 0);
    tree.age("", 70000);

    FastSizer sizer;
    auto m = sizer.measure(tree.root());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->newestModification, mtimeOf(tree.path("sub/newer")));

    // The measured root's own time counts.
    tree.age("", 100);
    sizer.reset();
    m = sizer.measure(tree.root());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->newestModification, mtimeOf(tree.root()));
}

TEST(FastSizerTest, CancelStopsWithTheSumsSoFarAndResetRearms) {
    TempTree tree;
    tree.file("a/x", 8192);
    tree.file("b/y", 8192);
    FastSizer sizer;
    sizer.cancel();
    EXPECT_TRUE(sizer.isCancelled());
    auto m = sizer.measure(tree.root());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->directories, 1);
    EXPECT_EQ(m->files, 0);
    EXPECT_EQ(m->bytes, blocksOf(tree.root()));
    EXPECT_FALSE(m->partial);

    sizer.reset();
    EXPECT_FALSE(sizer.isCancelled());
    m = sizer.measure(tree.root());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->bytes, duBytes(tree.root()));
    EXPECT_EQ(m->files, 2);
}

// Runs `body` with the effective user "nobody", so that permission checks
// apply even when the tests run as root.
template <class Body>
bool asUnprivileged(Body body) {
    if (geteuid() != 0) {
        body();
        return true;
    }
    if (setegid(65534) != 0) return false;
    if (seteuid(65534) != 0) {
        if (setegid(0) != 0) std::abort();
        return false;
    }
    body();
    if (seteuid(0) != 0 || setegid(0) != 0) std::abort();
    return true;
}

TEST(FastSizerTest, UnreadableFoldersMakeThePartialResult) {
    TempTree tree;
    tree.file("open/file", 20000);
    tree.file("closed/hidden", 1 << 20);
    tree.file("sealed/inside", 30000);
    chmod(tree.root().c_str(), 0755);
    chmod(tree.path("open").c_str(), 0755);
    chmod(tree.path("open/file").c_str(), 0644);
    chmod(tree.path("closed").c_str(), 0);
    chmod(tree.path("sealed").c_str(), 0);
    std::int64_t expected = blocksOf(tree.root()) + blocksOf(tree.path("open")) + blocksOf(tree.path("open/file")) +
                            blocksOf(tree.path("closed")) + blocksOf(tree.path("sealed"));

    std::optional<FastSizer::Measurement> whole, root;
    bool reachable = false;
    bool ran = asUnprivileged([&] {
        // The temporary folder's ancestors may be closed to other users.
        struct stat st {};
        reachable = lstat(tree.root().c_str(), &st) == 0;
        if (!reachable) return;
        FastSizer sizer;
        whole = sizer.measure(tree.root());
        root = sizer.measure(tree.path("closed"));
    });
    if (!ran || !reachable) GTEST_SKIP() << "cannot check permissions as another user here";

    ASSERT_TRUE(whole);
    EXPECT_TRUE(whole->partial);
    EXPECT_EQ(whole->bytes, expected);
    EXPECT_EQ(whole->directories, 4);
    EXPECT_EQ(whole->files, 1);

    ASSERT_TRUE(root);
    EXPECT_TRUE(root->partial);
    EXPECT_EQ(root->bytes, 0);
    EXPECT_EQ(root->files, 0);
    EXPECT_EQ(root->directories, 1);
    EXPECT_FALSE(root->newestModification);
}

TEST(FastSizerTest, MergingAddsCountsAndKeepsTheLaterDate) {
    FastSizer::Measurement a{10, 1, 2, std::nullopt, false};
    FastSizer::Measurement b{5, 3, 1, Clock::time_point(std::chrono::seconds(100)), true};
    FastSizer::Measurement c{1, 0, 0, Clock::time_point(std::chrono::seconds(50)), false};
    auto ab = a.merging(b);
    EXPECT_EQ(ab, (FastSizer::Measurement{15, 4, 3, Clock::time_point(std::chrono::seconds(100)), true}));
    EXPECT_EQ(ab.merging(c).newestModification, Clock::time_point(std::chrono::seconds(100)));
    EXPECT_EQ(c.merging(a).newestModification, Clock::time_point(std::chrono::seconds(50)));
    EXPECT_FALSE(a.merging(a).newestModification);
}

TEST(PseudoFileSystemsTest, KernelFileSystemsAreRecognised) {
    TempTree tree;
    int plain = open(tree.root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(plain, 0);
    EXPECT_FALSE(isPseudoFileSystem(plain));
    close(plain);

    for (const char* path : {"/proc", "/sys"}) {
        int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) continue;
        EXPECT_TRUE(isPseudoFileSystem(fd)) << path;
        close(fd);
    }

    // A folder on /proc is measured as one folder and never read.
    FastSizer sizer;
    auto m = sizer.measure("/proc");
    if (m) {
        EXPECT_EQ(m->directories, 1);
        EXPECT_EQ(m->files, 0);
    }
}

TEST(PseudoFileSystemsTest, DevtmpfsIsToldApartFromTmpfs) {
    FILE* table = std::fopen("/proc/self/mountinfo", "r");
    if (!table) GTEST_SKIP() << "no mount table";
    std::string devtmpfsMount, tmpfsMount;
    char line[4096];
    while (std::fgets(line, sizeof line, table)) {
        char mountPoint[2048], type[256];
        const char* separator = std::strstr(line, " - ");
        if (!separator || std::sscanf(line, "%*s %*s %*s %*s %2047s", mountPoint) != 1 ||
            std::sscanf(separator + 3, "%255s", type) != 1)
            continue;
        if (std::string(mountPoint).find('\\') != std::string::npos) continue;
        if (devtmpfsMount.empty() && std::string(type) == "devtmpfs") devtmpfsMount = mountPoint;
        if (tmpfsMount.empty() && std::string(type) == "tmpfs") tmpfsMount = mountPoint;
    }
    std::fclose(table);
    if (devtmpfsMount.empty() && tmpfsMount.empty()) GTEST_SKIP() << "neither devtmpfs nor tmpfs mounted";
    if (!devtmpfsMount.empty()) {
        int fd = open(devtmpfsMount.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        EXPECT_TRUE(isPseudoFileSystem(fd)) << devtmpfsMount;
        close(fd);
    }
    if (!tmpfsMount.empty()) {
        int fd = open(tmpfsMount.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            EXPECT_FALSE(isPseudoFileSystem(fd)) << tmpfsMount;
            close(fd);
        }
    }
}

}  // namespace
}  // namespace korvane

// The quick name test and the published table must never drift apart.
TEST(FastSizerNames, QuickTestAgreesWithTheTable) {
    for (const auto& name : korvane::FastSizer::skippedNames())
        EXPECT_TRUE(korvane::FastSizer::isSkippedName(name.c_str())) << name;
    for (const char* name : {".Trash2", ".trash", ".fsevents", "Trash", ".", ".."})
        EXPECT_FALSE(korvane::FastSizer::isSkippedName(name)) << name;
    EXPECT_EQ(korvane::FastSizer::skippedNames().size(), 4u);
}
