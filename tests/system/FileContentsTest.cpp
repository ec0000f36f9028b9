#include "core/system/FileContents.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using testing::TempTree;
using Links = FileContents::Links;

TEST(FileContentsTest, ReadsAWholeFileUpToItsLimit) {
    TempTree tree;
    const std::string text(70000, 'a');  // more than one read's worth
    const auto path = tree.text("notes.txt", text);
    EXPECT_EQ(FileContents::readSmall(path, 70000), text);
    EXPECT_EQ(FileContents::readSmall(path, 69999), std::nullopt);
    EXPECT_EQ(FileContents::readSmall(tree.text("empty", ""), 0), "");
    EXPECT_EQ(FileContents::readSmall(tree.path("missing"), 100), std::nullopt);
}

TEST(FileContentsTest, RefusesWhatIsNotARegularFileWithoutBlocking) {
    TempTree tree;
    const auto fifo = tree.path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(FileContents::readSmall(fifo, 100), std::nullopt);
    EXPECT_EQ(FileContents::readSmall(tree.folder("folder"), 100), std::nullopt);
    EXPECT_EQ(FileContents::readSmall("/dev/null", 100), std::nullopt);
}

TEST(FileContentsTest, FollowsOrRefusesALinkAsAsked) {
    TempTree tree;
    tree.text("real.plist", "contents");
    const auto link = tree.symlink("link.plist", tree.path("real.plist"));
    EXPECT_EQ(FileContents::readSmall(link, 100), "contents");
    EXPECT_EQ(FileContents::readSmall(link, 100, Links::refuse), std::nullopt);
    EXPECT_EQ(FileContents::readSmall(tree.path("real.plist"), 100, Links::refuse), "contents");
}

TEST(FileContentsTest, ReadsANameInsideAnOpenFolder) {
    TempTree tree;
    tree.text("project/package.json", "{}");
    tree.symlink("project/linked.json", tree.path("project/package.json"));
    const int folder = ::open(tree.path("project").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    EXPECT_EQ(FileContents::readSmallAt(folder, "package.json", 2), "{}");
    EXPECT_EQ(FileContents::readSmallAt(folder, "package.json", 1), std::nullopt);
    EXPECT_EQ(FileContents::readSmallAt(folder, "linked.json", 2), "{}");
    EXPECT_EQ(FileContents::readSmallAt(folder, "linked.json", 2, Links::refuse), std::nullopt);
    EXPECT_EQ(FileContents::readSmallAt(folder, "missing.json", 2), std::nullopt);
    ::close(folder);
}

TEST(FileContentsTest, WritesEverythingOrSaysItFailed) {
    TempTree tree;
    const auto path = tree.text("record", "");
    const std::string text(200000, 'r');
    const int out = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(out, 0);
    EXPECT_TRUE(FileContents::writeAll(out, text));
    ::close(out);
    EXPECT_EQ(FileContents::readSmall(path, 200000), text);

    const int readOnly = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(readOnly, 0);
    EXPECT_FALSE(FileContents::writeAll(readOnly, "x"));
    EXPECT_TRUE(FileContents::writeAll(readOnly, ""));  // nothing to write
    ::close(readOnly);
}

}  // namespace
}  // namespace korvane
