// The name of the volume that holds a folder, from a fixture mount table and
// /dev/disk/by-label. The table is not in depth order, as after a later mount.

#include <gtest/gtest.h>

#include "app/platform/VolumeName_linux.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using testing::TempTree;

constexpr const char* kTable =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "31 30 0:40 / /home/u/my\\040disk rw - btrfs /dev/mapper/vault rw\n"
    "30 22 8:2 / /home rw,relatime shared:5 - ext4 /dev/sda2 rw\n"
    "32 22 0:41 / /home/u/tmp rw - tmpfs tmpfs rw\n"
    "33 30 8:3 / /home/u/data rw shared:9 master:2 - xfs /dev/sdb1 rw\n"
    "garbage\n";

TEST(VolumeName, LabelOfTheDeepestMountElseItsMountPoint) {
    TempTree tree;
    tree.text("proc/self/mountinfo", kTable);
    tree.text("dev/sda2", "");
    tree.symlink("dev/disk/by-label/Home\\x20Disk", "../../sda2");
    tree.symlink("dev/disk/by-label/Vault", "/dev/mapper/vault");
    tree.symlink("dev/disk/by-label/Other", "../../sdc1");
    const std::pair<const char*, const char*> rows[] = {
        {"/home/u", "Home Disk"},
        {"/home", "Home Disk"},
        {"/homework", "/"},
        {"/home/u/my disk/photos", "Vault"},
        {"/home/u/tmp/x", "/home/u/tmp"},
        {"/home/u/data", "/home/u/data"},
        {"/", "/"},
    };
    for (const auto& [folder, expected] : rows) EXPECT_EQ(VolumeName::of(folder, tree.root()), expected) << folder;
}

TEST(VolumeName, WithoutLabelsOrTableTheFallbacks) {
    TempTree tree;
    EXPECT_EQ(VolumeName::of("/home/u", tree.root()), "") << "no mount table";
    tree.text("proc/self/mountinfo", kTable);
    EXPECT_EQ(VolumeName::of("/home/u", tree.root()), "/home") << "no by-label folder";
    // Stacked on one point: the last mount listed is the one seen.
    tree.text("proc/self/mountinfo", std::string(kTable) + "40 30 8:9 / /home rw - ext4 /dev/sdz9 rw\n");
    tree.symlink("dev/disk/by-label/Home", "../../sda2");
    EXPECT_EQ(VolumeName::of("/home/u", tree.root()), "/home");
}

TEST(VolumeName, LabelEscapesAreDecoded) {
    const std::pair<const char*, const char*> rows[] = {
        {"Plain", "Plain"},
        {"My\\x20Disk", "My Disk"},
        {"a\\x2fb", "a/b"},
        {"trailing\\x2", "trailing\\x2"},
        {"not\\xZZhex", "not\\xZZhex"},
    };
    for (const auto& [name, expected] : rows) EXPECT_EQ(VolumeName::decodedLabel(name), expected) << name;
}

}  // namespace
}  // namespace korvane
