#include "core/system/TrashFolders.h"

#include <fcntl.h>

#include <algorithm>
#include <cstdlib>

#include "core/system/Paths.h"
#include "core/system/RealPath.h"

#ifndef STATX_ATTR_MOUNT_ROOT
#define STATX_ATTR_MOUNT_ROOT 0x00002000
#endif

namespace korvane {

namespace {

constexpr std::string_view kVolumeTrash = ".Trash";
constexpr std::string_view kUserVolumeTrash = ".Trash-";

bool isMountRoot(const struct statx& sx) {
    return (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
           (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
}

std::optional<std::pair<dev_t, ino_t>> identityOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
    return std::pair{st.st_dev, st.st_ino};
}

std::string standardAbsolute(const std::string& path) {
    auto standard = Paths::standardise(path);
    return standard && !standard->empty() && standard->front() == '/' ? *standard : std::string();
}

}  // namespace

TrashFolders::TrashFolders() : TrashFolders(defaultHomeTrash(), {}) { volumeTops_.reset(); }

TrashFolders::TrashFolders(const std::string& homeTrash, const std::vector<std::string>& volumeTops)
    : homeTrash_(standardAbsolute(homeTrash)) {
    if (!homeTrash_.empty()) {
        resolvedHomeTrash_ = RealPath::resolved(homeTrash_);
        homeTrashID_ = identityOf(homeTrash_);
    }
    volumeTops_.emplace();
    for (const auto& top : volumeTops) {
        std::string standard = standardAbsolute(top);
        if (standard.empty()) continue;
        if (auto id = identityOf(standard)) volumeTopIDs_.push_back(*id);
        volumeTops_->push_back(std::move(standard));
    }
}

std::string TrashFolders::defaultHomeTrash() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
        if (auto standard = Paths::standardise(data)) return Paths::join(*standard, "Trash");
    }
    return Paths::home(".local/share/Trash");
}

bool TrashFolders::isVolumeTop(const std::string& folder) {
    if (folder == "/") return true;
    struct statx sx {};
    if (statx(AT_FDCWD, folder.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE, &sx) != 0 ||
        !S_ISDIR(sx.stx_mode))
        return false;
    if (isMountRoot(sx)) return true;
    struct stat self {};
    struct stat parent {};
    return ::lstat(folder.c_str(), &self) == 0 && ::lstat(Paths::parent(folder).c_str(), &parent) == 0 &&
           parent.st_dev != self.st_dev;
}

bool TrashFolders::isVolumeTop(int folderFd) {
    struct statx sx {};
    if (statx(folderFd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_TYPE, &sx) == 0 && isMountRoot(sx))
        return true;
    // "/" is its own parent; another top lies on another device than its parent.
    struct stat self {};
    struct stat parent {};
    return ::fstat(folderFd, &self) == 0 && ::fstatat(folderFd, "..", &parent, 0) == 0 &&
           (parent.st_dev != self.st_dev || parent.st_ino == self.st_ino);
}

bool TrashFolders::isVolumeTrashName(std::string_view name) {
    if (name == kVolumeTrash) return true;
    if (!name.starts_with(kUserVolumeTrash) || name.size() == kUserVolumeTrash.size()) return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kUserVolumeTrash.size()), name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

bool TrashFolders::isTop(const std::string& folder) const {
    if (!volumeTops_) return isVolumeTop(folder);
    return std::find(volumeTops_->begin(), volumeTops_->end(), folder) != volumeTops_->end();
}

bool TrashFolders::isTop(int folderFd) const {
    if (!volumeTops_) return isVolumeTop(folderFd);
    struct stat st {};
    return ::fstat(folderFd, &st) == 0 && std::find(volumeTopIDs_.begin(), volumeTopIDs_.end(),
                                                    Identity{st.st_dev, st.st_ino}) != volumeTopIDs_.end();
}

std::optional<std::string> TrashFolders::holding(std::string_view path) const {
    if (path.empty() || path.front() != '/') return std::nullopt;
    for (const std::string* trash : {&homeTrash_, &resolvedHomeTrash_})
        if (!trash->empty() && Paths::isAtOrBelow(path, *trash)) return *trash;
    std::size_t start = 1;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view name = path.substr(start, end - start);
        if (isVolumeTrashName(name) &&
            (name == kVolumeTrash ||
             isTop(start == 1 ? std::string("/") : std::string(path.substr(0, start - 1)))))
            return std::string(path.substr(0, end));
        start = end + 1;
    }
    return std::nullopt;
}

bool TrashFolders::holdsHomeTrash(std::string_view path) const {
    for (const std::string* trash : {&homeTrash_, &resolvedHomeTrash_})
        if (!trash->empty() && path != *trash && Paths::isAtOrBelow(*trash, path)) return true;
    return false;
}

bool TrashFolders::isHomeTrash(dev_t device, ino_t inode) const {
    return homeTrashID_ && homeTrashID_->first == device && homeTrashID_->second == inode;
}

bool TrashFolders::isVolumeTrash(int parentFd, const char* name) const {
    // Most names are rejected by their first byte.
    if (name[0] != '.' || !isVolumeTrashName(name)) return false;
    return std::string_view(name) == kVolumeTrash || isTop(parentFd);
}

bool TrashFolders::isTrashFolder(int parentFd, const char* name, const struct stat& st) const {
    return S_ISDIR(st.st_mode) && (isHomeTrash(st.st_dev, st.st_ino) || isVolumeTrash(parentFd, name));
}

}  // namespace korvane
