#include "core/explorer/MountedFileSystem.h"

#include <sys/vfs.h>

#include <array>
#include <string_view>
#include <vector>

#include "core/explorer/FileTreeScanner.h"

namespace korvane {

namespace {

struct Known {
    std::int64_t magic;  // statfs's f_type
    std::string_view name;
};

// The file systems people mount, by the numbers the kernel gives them.
constexpr std::array<Known, 19> known = {{
    {0xEF53, "ext4"},
    {0x01021994, "tmpfs"},
    {0x858458F6, "ramfs"},
    {0x9123683E, "btrfs"},
    {0x58465342, "XFS"},
    {0x2FC12FC1, "ZFS"},
    {0xF2F52010, "F2FS"},
    {0x4D44, "FAT"},
    {0x2011BAB0, "exFAT"},
    {0x5346544E, "NTFS"},
    {0x7366746E, "NTFS"},
    {0x65735546, "FUSE"},
    {0x6969, "NFS"},
    {0xFE534D42, "SMB"},
    {0xFF534D42, "SMB"},
    {0x794C7630, "overlay"},
    {0x73717368, "squashfs"},
    {0x9660, "ISO 9660"},
    {0x15013346, "UDF"},
}};
constexpr std::string_view unknown = "another file system";

}  // namespace

std::uint8_t MountedFileSystem::kindOf(int fd) {
    struct statfs info {};
    if (fstatfs(fd, &info) == 0) {
        const auto magic = static_cast<std::int64_t>(static_cast<std::uint32_t>(info.f_type));
        for (std::size_t i = 0; i < known.size(); ++i)
            if (known[i].magic == magic) return static_cast<std::uint8_t>(i + 1);
    }
    return static_cast<std::uint8_t>(known.size() + 1);
}

DetailMap MountedFileSystem::detail(std::uint8_t kind) {
    static const std::vector<DetailMap::Entries> details = [] {
        std::vector<DetailMap::Entries> table;
        for (const Known& each : known)
            table.push_back({{std::string(FileTreeScanner::mountPointDetail), std::string(each.name)}});
        table.push_back({{std::string(FileTreeScanner::mountPointDetail), std::string(unknown)}});
        return table;
    }();
    const std::size_t at = kind >= 1 && kind <= details.size() ? kind - 1u : details.size() - 1;
    return DetailMap::sharing(details[at]);
}

}  // namespace korvane
