// Moving to the Trash when the file system changes under the move, or holds
// another volume inside the item.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "core/platform/MountPoints_linux.h"
#include "core/platform/Trash_linux.h"
#include "tests/platform/RemovalTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/SyscallHooks.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using testing::exists;
using testing::readFile;
using testing::TempTree;

bool isEmptyFolder(const std::string& path) {
    return !std::filesystem::exists(path) || std::filesystem::is_empty(path);
}

// Between the look at the item and its move, something else takes its place,
// while its record is written or at the move itself: whatever was moved goes
// back, and the result says the move did not happen.
TEST(TrashHazard, ItemSwappedDuringTheMoveIsPutBack) {
    struct Row {
        const char* swappedIn;
        bool atTheRecord;
        int error;
        bool hasMessage;
    };
    for (const Row& row : {Row{"link", false, ELOOP, false}, Row{"folder", false, EAGAIN, true},
                           Row{"link", true, ELOOP, false}, Row{"folder", true, EAGAIN, true}}) {
        SCOPED_TRACE(std::string(row.swappedIn) + (row.atTheRecord ? " at the record" : " at the move"));
        TempTree tree;
        const std::string home = tree.folder("home");
        const std::string trashRoot = tree.path("home/.local/share/Trash");
        FreedesktopTrash trash(trashRoot, home);
        tree.text("home/cache/data", "real");
        const std::string item = tree.path("home/cache");
        const auto swap = [&] {
            std::filesystem::rename(item, tree.path("home/cache-real"));
            if (std::string(row.swappedIn) == "link") {
                std::filesystem::create_directory_symlink(tree.path("home/cache-real"), item);
            } else {
                tree.text("home/cache/other", "other");
            }
        };
        // Swapped in before the move, the other entry is never moved at all.
        bool swappedEntryMoved = false;
        if (row.atTheRecord) {
            testing::afterNextFsync([&] {
                swap();
                testing::beforeNextRename("cache", [&] { swappedEntryMoved = true; });
            });
        } else {
            testing::beforeNextRename("cache", swap);
        }

        Trash::Result result = trash.moveToTrash(item);

        testing::disarmSyscallHooks();
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.error, row.error);
        EXPECT_EQ(!result.message.empty(), row.hasMessage);
        EXPECT_EQ(readFile(tree.path("home/cache-real/data")), "real");
        EXPECT_EQ(std::filesystem::is_symlink(item), std::string(row.swappedIn) == "link");
        EXPECT_TRUE(isEmptyFolder(trashRoot + "/files"));
        EXPECT_TRUE(isEmptyFolder(trashRoot + "/info"));
        EXPECT_FALSE(swappedEntryMoved);
    }
}

// A tree with another volume mounted inside stays where it is, and the
// message says where the volume is.
TEST(TrashHazard, TreeHoldingAMountPointIsNotMoved) {
    TempTree tree;
    const std::string home = tree.folder("home");
    FreedesktopTrash trash(tree.path("home/.local/share/Trash"), home);
    tree.text("home/project/build/out.o", "o");
    tree.folder("home/project/build/volume");
    tree.text("home/elsewhere/data", "data");
    const std::string mountPoint = tree.path("home/project/build/volume");

    auto seen = testing::runInChild({.ownMounts = true}, [&] {
        if (mount(tree.path("home/elsewhere").c_str(), mountPoint.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return std::string("cannot mount");
        std::string text;
        for (const char* item : {"home/project/build", "home/project/build/volume", "home/project"}) {
            Trash::Result result = trash.moveToTrash(tree.path(item));
            text += std::to_string(result.error) + " " + result.message + "\n";
        }
        return text;
    });
    if (!seen) GTEST_SKIP() << "needs root to make a mount namespace";
    const std::string refused = std::to_string(EBUSY) + " Another volume is mounted inside this folder at \u201C" +
                                mountPoint + "\u201D; Korvane left it alone.\n";
    EXPECT_EQ(*seen, refused + refused + refused);
    EXPECT_EQ(readFile(tree.path("home/project/build/out.o")), "o");
    EXPECT_EQ(readFile(tree.path("home/elsewhere/data")), "data");
}

TEST(TrashHazard, MountTableLinesAreDecoded) {
    const std::string table =
        "22 1 0:21 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "35 22 0:30 /u/.ssh /home/u/ws/my\\040keys rw - ext4 /dev/sda1 rw\n"
        "36 22 0:31 / /home/u/tab\\011and\\012line\\134 rw - tmpfs tmpfs rw\n"
        "short line\n";
    EXPECT_EQ(MountPoints::parse(table),
              (std::vector<std::string>{"/", "/home/u/ws/my keys", "/home/u/tab\tand\nline\\"}));
    const std::vector<std::string> points = {"/", "/home/u/ws/my keys", "/home/u/ws/mykeys2"};
    EXPECT_EQ(MountPoints::firstAtOrBelow(points, {"/home/u/ws"}), "/home/u/ws/my keys");
    EXPECT_EQ(MountPoints::firstAtOrBelow(points, {"/home/u/ws/my"}), std::nullopt);
    EXPECT_EQ(MountPoints::firstAtOrBelow(points, {"/nowhere", "/home/u/ws/mykeys2"}), "/home/u/ws/mykeys2");
}

// The running system's table depends on where the tests run (a chroot lists
// no "/", a bare one has no /proc): reading it must only not fail.
TEST(TrashHazard, LiveMountTableReadsWithoutFailing) {
    const auto own = MountPoints::read();
    if (!own) GTEST_SKIP() << "no readable mount table here";
    for (const auto& point : *own) EXPECT_TRUE(point.starts_with('/')) << point;
}

}  // namespace
}  // namespace korvane
