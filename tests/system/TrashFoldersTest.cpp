#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "core/system/Paths.h"
#include "core/system/TrashFolders.h"
#include "core/system/UniqueFd.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using testing::ScopedEnv;
using testing::TempTree;

TEST(TrashFoldersTest, TheHomeTrashFollowsTheDataHome) {
    TempTree tree;
    Paths::setHomeForTesting(tree.path("home"));
    struct Row {
        std::optional<std::string> dataHome;
        std::string trash;
    };
    const std::vector<Row> rows = {
        {std::nullopt, tree.path("home/.local/share/Trash")},
        {tree.path("data"), tree.path("data/Trash")},
        {tree.path("data/") + "./x/..//", tree.path("data/Trash")},
        {std::string("relative/data"), tree.path("home/.local/share/Trash")},
        {std::string(), tree.path("home/.local/share/Trash")},
    };
    for (const auto& row : rows) {
        ScopedEnv data("XDG_DATA_HOME", row.dataHome);
        EXPECT_EQ(TrashFolders::defaultHomeTrash(), row.trash) << row.dataHome.value_or("(unset)");
        EXPECT_EQ(TrashFolders().homeTrash(), row.trash) << row.dataHome.value_or("(unset)");
    }
    Paths::setHomeForTesting(std::nullopt);
}

TEST(TrashFoldersTest, NamesOfAVolumesTrash) {
    for (const char* name : {".Trash", ".Trash-0", ".Trash-1000", ".Trash-4294967294"})
        EXPECT_TRUE(TrashFolders::isVolumeTrashName(name)) << name;
    for (const char* name :
         {"Trash", ".Trash-", ".Trash-x", ".Trash-10a", ".trash-1000", ".Trash1000", "..Trash"})
        EXPECT_FALSE(TrashFolders::isVolumeTrashName(name)) << name;
}

// Where each path lies, for a home trash and two volume tops given.
TEST(TrashFoldersTest, TheTrashThatHoldsAPathByItsText) {
    TempTree tree;
    const std::string trash = tree.folder("home/.local/share/Trash");
    const std::string volume = tree.folder("media/stick");
    const TrashFolders folders(trash, {"/", volume});
    struct Row {
        std::string path;
        std::optional<std::string> holder;
    };
    const std::vector<Row> rows = {
        {trash, trash},
        {trash + "/files", trash},
        {trash + "/info/x.trashinfo", trash},
        {trash + "2/files/x", std::nullopt},
        {tree.path("home/.local/share"), std::nullopt},
        {volume + "/.Trash-1000/files/x", volume + "/.Trash-1000"},
        {volume + "/.Trash-0", volume + "/.Trash-0"},
        {volume + "/.Trash/1000/files/x", volume + "/.Trash"},
        {volume + "/deeper/.Trash-1000/x", std::nullopt},
        {volume + "/deeper/.Trash/x", volume + "/deeper/.Trash"},
        {volume + "/.Trash-x/files", std::nullopt},
        {"/.Trash-1000/files/x", "/.Trash-1000"},
        {"/", std::nullopt},
        {"relative/.Trash/x", std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(folders.holding(row.path), row.holder) << row.path;

    EXPECT_TRUE(folders.holdsHomeTrash(tree.path("home/.local/share")));
    EXPECT_TRUE(folders.holdsHomeTrash(tree.path("home")));
    EXPECT_TRUE(folders.holdsHomeTrash("/"));
    EXPECT_FALSE(folders.holdsHomeTrash(trash));
    EXPECT_FALSE(folders.holdsHomeTrash(trash + "/files"));
    EXPECT_FALSE(folders.holdsHomeTrash(tree.path("home/.local/share/Trash2")));
}

TEST(TrashFoldersTest, AHomeTrashReachedThroughALinkIsStillTheTrash) {
    TempTree tree;
    const std::string real = tree.folder("real/Trash");
    tree.symlink("data", tree.path("real"));
    const TrashFolders folders(tree.path("data/Trash"), {});
    EXPECT_EQ(folders.holding(real + "/files/x"), real);
    EXPECT_EQ(folders.holding(tree.path("data/Trash/files/x")), tree.path("data/Trash"));
    EXPECT_TRUE(folders.holdsHomeTrash(tree.path("real")));
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_TRUE(folders.isHomeTrash(st.st_dev, st.st_ino));
}

// What a walk asks about each folder it lists: by what the folder is, not by its name.
TEST(TrashFoldersTest, AWalkKnowsATrashFolderByWhatItIs) {
    TempTree tree;
    const std::string trash = tree.folder("home/.local/share/Trash");
    tree.folder("home/docs/Trash");
    tree.folder("volume/.Trash-1000");
    tree.folder("volume/deeper/.Trash-1000");
    tree.folder("volume/.Trash");
    tree.file("volume/.Trash-7", 10);
    const TrashFolders folders(trash, {tree.path("volume")});
    struct Row {
        std::string parent;
        std::string name;
        bool isTrash;
    };
    const std::vector<Row> rows = {
        {"home/.local/share", "Trash", true}, {"home/docs", "Trash", false},
        {"volume", ".Trash-1000", true},      {"volume/deeper", ".Trash-1000", false},
        {"volume", ".Trash", true},           {"volume", ".Trash-7", false},  // a file
    };
    for (const auto& row : rows) {
        const UniqueFd parent(::open(tree.path(row.parent).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        ASSERT_TRUE(parent.valid()) << row.parent;
        struct stat st {};
        ASSERT_EQ(::fstatat(parent.get(), row.name.c_str(), &st, AT_SYMLINK_NOFOLLOW), 0) << row.name;
        EXPECT_EQ(folders.isTrashFolder(parent.get(), row.name.c_str(), st), row.isTrash)
            << row.parent << "/" << row.name;
    }
}

TEST(TrashFoldersTest, TheKernelMarksTheTopOfAVolume) {
    TempTree tree;
    const std::string folder = tree.folder("plain");
    EXPECT_TRUE(TrashFolders::isVolumeTop("/"));
    EXPECT_FALSE(TrashFolders::isVolumeTop(folder));
    EXPECT_FALSE(TrashFolders::isVolumeTop(tree.path("missing")));
    const UniqueFd root(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const UniqueFd plain(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    EXPECT_TRUE(TrashFolders::isVolumeTop(root.get()));
    EXPECT_FALSE(TrashFolders::isVolumeTop(plain.get()));
}

}  // namespace
}  // namespace korvane
