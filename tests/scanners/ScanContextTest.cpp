#include "core/scanners/ScanContext.h"

#include "core/system/Paths.h"
#include "core/text/RelativeDate.h"
#include "tests/support/LocalTimeFixture.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

namespace korvane {
namespace {

using testing::duBytes;
using testing::ScopedEnv;
using testing::TempTree;
using TimePoint = std::chrono::system_clock::time_point;
using std::chrono::hours;

ScanSettings emptySettings() { return ScanSettings(5242880, 60, {}, {}, {}); }

std::shared_ptr<ScanContext> makeContext(ScanContext::Clock now = {}) {
    auto index = std::make_shared<ProjectIndex>(std::vector<std::string>{}, 5);
    return std::make_shared<ScanContext>(std::make_shared<FastSizer>(), index, emptySettings(), std::move(now));
}

std::vector<std::string> namesOf(const std::vector<ScanContext::Entry>& entries) {
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(Paths::lastComponent(entry.url));
    return names;
}

TEST(ScanContextTest, MeasureKeepsALocationOfExactlyTheMinimum) {
    TempTree tree;
    tree.file("cache/a", 300000);
    tree.file("cache/sub/b", 800000);
    const auto path = tree.path("cache");
    const std::int64_t du = duBytes(path);
    {
        auto context = makeContext();
        const auto measured = context->measure(path, du);
        ASSERT_TRUE(measured);
        EXPECT_EQ(measured->bytes, du);
        EXPECT_EQ(measured->files, 2);
        EXPECT_EQ(measured->directories, 2);
    }
    EXPECT_FALSE(makeContext()->measure(path, du + 1));
}

TEST(ScanContextTest, MeasureOfMissingPathOrDanglingLinkIsNone) {
    TempTree tree;
    tree.symlink("dangling", tree.path("gone"));
    auto context = makeContext();
    EXPECT_FALSE(context->measure(tree.path("gone"), 0));
    EXPECT_FALSE(context->measure(tree.path("dangling"), 0));
}

TEST(ScanContextTest, ChildrenAreMeasuredInNameOrderWithoutHiddenNamesUnlessAsked) {
    TempTree tree;
    const std::vector<std::string> names{"b", "a", "C", "z z", ".hidden", ".DS_Store"};
    for (std::size_t i = 0; i < names.size(); ++i) tree.file("f/" + names[i], 5000 * (i + 1));
    tree.file("f/dir/inner", 70000);
    tree.file("f/dir/.DS_Store", 70000);  // only the folder's own entries are filtered

    auto context = makeContext();
    const auto visible = context->children(tree.path("f"), false);
    EXPECT_EQ(namesOf(visible), (std::vector<std::string>{"C", "a", "b", "dir", "z z"}));
    for (const auto& entry : visible) EXPECT_EQ(entry.measurement.bytes, duBytes(entry.url)) << entry.url;

    const auto all = makeContext()->children(tree.path("f"), true);
    EXPECT_EQ(namesOf(all), (std::vector<std::string>{".hidden", "C", "a", "b", "dir", "z z"}));
    EXPECT_EQ(all[0].url, tree.path("f/.hidden"));
}

TEST(ScanContextTest, ChildrenOfMissingFileOrUnreadableFolderIsEmpty) {
    TempTree tree;
    tree.file("plain", 10);
    auto context = makeContext();
    EXPECT_TRUE(context->children(tree.path("missing"), true).empty());
    EXPECT_TRUE(context->children(tree.path("plain"), true).empty());
    EXPECT_TRUE(context->children(tree.folder("empty"), true).empty());
    if (::geteuid() != 0) {
        tree.file("locked/x", 10);
        ::chmod(tree.path("locked").c_str(), 0);
        EXPECT_TRUE(context->children(tree.path("locked"), true).empty());
    }
}

TEST(ScanContextTest, ChildrenAfterCancelMeasureNothingMore) {
    TempTree tree;
    for (int i = 0; i < 20; ++i) tree.file("f/" + std::to_string(i), 4096);
    tree.file("one/only", 4096);
    auto context = makeContext();
    context->cancel();
    EXPECT_TRUE(context->isCancelled());
    EXPECT_TRUE(context->sizer().isCancelled());
    EXPECT_TRUE(context->children(tree.path("f"), true).empty());
    EXPECT_TRUE(context->children(tree.path("one"), true).empty());
    EXPECT_TRUE(context->measureAll({tree.path("f/1"), tree.path("f/2")}).empty());
}

TEST(ScanContextTest, HardLinkedFileIsCountedOnceAcrossTheScan) {
    TempTree tree;
    tree.file("a/big", 400000);
    tree.hardlink("b/big", "a/big");
    auto context = makeContext();
    const auto measured = context->measureAll({tree.path("a"), tree.path("b")});
    ASSERT_EQ(measured.size(), 2u);
    const std::int64_t total = measured.at(tree.path("a")).bytes + measured.at(tree.path("b")).bytes;
    struct stat rootInfo {};
    ASSERT_EQ(::stat(tree.root().c_str(), &rootInfo), 0);
    // du counts the shared file once too: the whole tree less the root's own blocks.
    EXPECT_EQ(total, duBytes(tree.root()) - static_cast<std::int64_t>(rootInfo.st_blocks) * 512);
    EXPECT_LT(total, duBytes(tree.path("a")) + duBytes(tree.path("b")));
    // Measured again with the same sizer, the file adds nothing.
    EXPECT_LT(context->measure(tree.path("a"), 0)->bytes, duBytes(tree.path("a")));
}

TEST(ScanContextTest, MeasureAllAndMeasureExistingAgreeWithDu) {
    TempTree tree;
    tree.file("x/1", 100000);
    tree.file("y/1", 3000000);
    tree.file("z", 20000);
    auto context = makeContext();
    EXPECT_TRUE(context->measureAll({}).empty());
    const std::vector<std::string> paths{tree.path("y"), tree.path("missing"), tree.path("x"), tree.path("z")};
    const auto all = context->measureAll(paths);
    ASSERT_EQ(all.size(), 3u);
    for (const auto& path : {tree.path("x"), tree.path("y"), tree.path("z")}) EXPECT_EQ(all.at(path).bytes, duBytes(path));

    const auto kept = makeContext()->measureExisting(paths, duBytes(tree.path("x")));
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].url, tree.path("y"));
    EXPECT_EQ(kept[1].url, tree.path("x"));
    EXPECT_EQ(kept[1].measurement.bytes, duBytes(tree.path("x")));
}

TEST(ScanContextTest, MeasureInProjectsMeasuresEachFolderOnceForTheEarliestProject) {
    TempTree tree;
    tree.file("app/build/out.bin", 40000);
    tree.file("app/android/build/out.bin", 40000);  // a nested project's folder
    tree.file("app/android/.gradle/state.bin", 100);
    tree.file("lib/.gradle/state.bin", 40000);
    DetectedProject app, lib, nested;
    app.url = tree.path("app");
    lib.url = tree.path("lib");
    nested.url = tree.path("app/android");
    const std::vector<std::string> folders{"build", ".gradle", "android/build", "missing"};

    const auto found = makeContext()->measureInProjects({app, lib, nested}, folders, 20000);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].project, 0u);
    EXPECT_EQ(found[0].folder, 0u);
    EXPECT_EQ(found[0].entry.url, tree.path("app/build"));
    EXPECT_EQ(found[0].entry.measurement.bytes, duBytes(tree.path("app/build")));
    EXPECT_EQ(found[1].project, 0u);  // not the nested project's own "build"
    EXPECT_EQ(found[1].folder, 2u);
    EXPECT_EQ(found[1].entry.url, tree.path("app/android/build"));
    EXPECT_EQ(found[2].project, 1u);
    EXPECT_EQ(found[2].folder, 1u);
    EXPECT_EQ(found[2].entry.url, tree.path("lib/.gradle"));
    EXPECT_TRUE(makeContext()->measureInProjects({}, folders, 0).empty());
}

TEST(ScanContextTest, WorkerCountStaysBetweenTwoAndTheProcessors) {
    const int processors = std::max(2, static_cast<int>(::sysconf(_SC_NPROCESSORS_ONLN)));
    EXPECT_EQ(ScanContext::workerCount(1), 1);
    EXPECT_EQ(ScanContext::workerCount(2), 2);
    EXPECT_EQ(ScanContext::workerCount(100000), processors);
}

TEST(ScanContextTest, FilesHelpers) {
    TempTree tree;
    tree.file("file", 10);
    tree.folder("dir");
    tree.symlink("link-to-dir", tree.path("dir"));
    tree.symlink("dangling", tree.path("gone"));
    tree.age("file", 3600);
    EXPECT_TRUE(isDirectory(tree.path("dir")));
    EXPECT_TRUE(isDirectory(tree.path("link-to-dir")));
    EXPECT_FALSE(isDirectory(tree.path("file")));
    EXPECT_FALSE(isDirectory(tree.path("gone")));
    const auto date = modificationDate(tree.path("file"));
    ASSERT_TRUE(date);
    EXPECT_NEAR(std::chrono::duration<double>(std::chrono::system_clock::now() - *date).count(), 3600, 5);
    EXPECT_TRUE(modificationDate(tree.path("dangling")));  // the link's own date
    EXPECT_FALSE(modificationDate(tree.path("gone")));
}

TEST(ScanContextTest, SortedEntryNamesListWithoutMeasuring) {
    TempTree tree;
    for (const auto* name : {"b", ".hidden", "A", ".DS_Store", "a b"}) tree.text(std::string("f/") + name, "");
    tree.text("f/sub/.DS_Store", "");
    EXPECT_EQ(sortedEntryNames(tree.path("f")), (std::vector<std::string>{".hidden", "A", "a b", "b", "sub"}));
    EXPECT_TRUE(sortedEntryNames(tree.path("f/b")).empty());
    EXPECT_TRUE(sortedEntryNames(tree.path("missing")).empty());
}

TEST(ScanContextTest, LinkAndDateHelpers) {
    TempTree tree;
    tree.file("moved/sdk/platform.jar", 50000);
    const auto link = tree.symlink("sdk", tree.path("moved/sdk"));
    tree.symlink("dangling", tree.path("gone"));
    EXPECT_TRUE(exists(link));
    EXPECT_FALSE(exists(tree.path("dangling")));

    auto context = makeContext();
    EXPECT_EQ(measureFollowingLink(*context, link), duBytes(tree.path("moved/sdk")));
    EXPECT_EQ(measureFollowingLink(*makeContext(), tree.path("dangling")), 0);

    tree.age("moved/sdk", 7200);
    FastSizer::Measurement measured;
    measured.newestModification = std::chrono::system_clock::from_time_t(1700000000);
    EXPECT_EQ(newestElseOwn(measured, link), measured.newestModification);
    EXPECT_EQ(newestElseOwn(FastSizer::Measurement{}, tree.path("moved/sdk")),
              modificationDate(tree.path("moved/sdk")));
    EXPECT_EQ(newestElseOwn(FastSizer::Measurement{}, tree.path("gone")), std::nullopt);
}

class LocalTimeTest : public testing::LocalTimeFixture {};

TEST_F(LocalTimeTest, ContextUsesItsInjectedClock) {
    const auto now = local(2024, 6, 15, 12);
    auto context = makeContext([now] { return now; });
    EXPECT_EQ(context->now(), now);
    EXPECT_EQ(context->daysSince(local(2024, 4, 16, 12)), 60);
    EXPECT_EQ(context->daysSince(local(2024, 4, 16, 12, 1)), 59);
    EXPECT_EQ(RelativeDate::worded(context->relativeActivity(local(2024, 6, 1, 12)), now), "2 weeks ago");
    EXPECT_EQ(context->relativeActivity(std::nullopt), "Unknown");
}

}  // namespace
}  // namespace korvane
