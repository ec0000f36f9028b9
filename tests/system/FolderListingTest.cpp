#include "core/system/FolderListing.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using testing::TempTree;

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FolderListingTest, ListsEveryNameButTheDotEntries) {
    TempTree tree;
    tree.text("folder/.hidden", "");
    tree.text("folder/a name\nwith a line break", "");
    tree.folder("folder/sub/deeper");
    tree.symlink("folder/link", "/nowhere");
    const auto names = FolderListing::names(tree.path("folder"));
    ASSERT_TRUE(names);
    EXPECT_EQ(sorted(*names),
              (std::vector<std::string>{".hidden", "a name\nwith a line break", "link", "sub"}));
    EXPECT_EQ(FolderListing::names(tree.folder("empty")), std::vector<std::string>{});
}

TEST(FolderListingTest, FollowsALinkToAFolderAndGivesNothingForAnythingElse) {
    TempTree tree;
    tree.text("real/file", "");
    const auto link = tree.symlink("link", tree.path("real"));
    EXPECT_EQ(FolderListing::names(link), std::vector<std::string>{"file"});
    EXPECT_EQ(FolderListing::names(tree.path("real/file")), std::nullopt);
    EXPECT_EQ(FolderListing::names(tree.path("missing")), std::nullopt);
}

}  // namespace
}  // namespace korvane
