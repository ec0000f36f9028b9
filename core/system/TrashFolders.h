#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvane {

// What a Trash folder is on this computer, for the walks that never list,
// count or record one and for the check that never removes anything from
// one: the home trash ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash), and
// ".Trash-<uid>" and ".Trash" at the top of a volume. A ".Trash" folder counts
// wherever it is, as the walks have always passed that name by.
class TrashFolders {
public:
    // The home trash in force now; the tops of volumes as the kernel marks them.
    TrashFolders();
    // The home trash and the tops of volumes given (absolute paths), for tests.
    TrashFolders(const std::string& homeTrash, const std::vector<std::string>& volumeTops);

    // $XDG_DATA_HOME/Trash when that names an absolute path, else ~/.local/share/Trash.
    static std::string defaultHomeTrash();
    // The top folder of a file system: "/", a mount root (bind mounts
    // included), or a folder whose parent lies on another device.
    static bool isVolumeTop(const std::string& folder);
    static bool isVolumeTop(int folderFd);
    // ".Trash" and ".Trash-" followed by a user id: the names a Trash at the
    // top of a volume has.
    static bool isVolumeTrashName(std::string_view name);

    const std::string& homeTrash() const { return homeTrash_; }

    // The Trash folder that `path` (absolute, standardised) is or lies in,
    // judged by its text; none when it lies in no Trash.
    std::optional<std::string> holding(std::string_view path) const;
    // True when `path` lies above the home trash, so that removing it would
    // take the Trash with it.
    bool holdsHomeTrash(std::string_view path) const;
    // The folder of this identity is the home trash, under whatever name.
    bool isHomeTrash(dev_t device, ino_t inode) const;

    // For walks: the folder listed as `name` in the open folder `parentFd`,
    // whose status is `st`, is a Trash folder.
    bool isTrashFolder(int parentFd, const char* name, const struct stat& st) const;
    // The part of that test that needs no status: a Trash at the top of a volume.
    bool isVolumeTrash(int parentFd, const char* name) const;

private:
    using Identity = std::pair<dev_t, ino_t>;

    bool isTop(const std::string& folder) const;
    bool isTop(int folderFd) const;

    std::string homeTrash_;          // standardised; empty when none can be named
    std::string resolvedHomeTrash_;  // its links resolved
    std::optional<Identity> homeTrashID_;
    // Given tops of volumes; none means the kernel's.
    std::optional<std::vector<std::string>> volumeTops_;
    std::vector<Identity> volumeTopIDs_;
};

}  // namespace korvane
