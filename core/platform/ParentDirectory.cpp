#include "core/platform/ParentDirectory.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string_view>

#include "core/system/Paths.h"

namespace korvane {

namespace {

// Folders on the way are only passed through: search permission is all the
// kernel asks for them (a /home of mode 0711 cannot be listed), and every
// *at call that follows works on such a descriptor. Listing one takes a
// descriptor opened for reading.
constexpr int kPassFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
constexpr int kFolderFlags = kPassFlags | O_NOFOLLOW;

// Tells a link apart from a plain non-folder: both make O_DIRECTORY|O_NOFOLLOW
// fail with ENOTDIR.
int classifyOpenFailure(int dirfd, const std::string& name, int error) {
    if (error != ENOTDIR && error != ELOOP) return error;
    struct stat st {};
    if (fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) return ELOOP;
    return ENOTDIR;
}

}  // namespace

bool ParentDirectory::isStandardAbsolute(const std::string& path) {
    if (path.empty() || path[0] != '/') return false;
    if (path.find('\0') != std::string::npos) return false;
    if (path == "/") return true;
    if (path.back() == '/') return false;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string_view part(path.data() + start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

std::vector<std::string> ParentDirectory::components(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.emplace_back(path, start, end - start);
        start = end + 1;
    }
    return parts;
}

UniqueFd ParentDirectory::openFolder(const std::string& path, const std::string& anchor, bool createMissing,
                                     mode_t mode, int& error) {
    error = 0;
    if (!isStandardAbsolute(path)) {
        error = EINVAL;
        return UniqueFd();
    }
    std::string start = "/";
    UniqueFd current;
    if (!anchor.empty() && anchor != "/" && isStandardAbsolute(anchor) && Paths::isAtOrBelow(path, anchor)) {
        current.reset(::open(anchor.c_str(), kPassFlags));
        if (!current.valid()) {
            error = errno;
            return UniqueFd();
        }
        start = anchor;
    } else {
        current.reset(::open("/", kPassFlags));
        if (!current.valid()) {
            error = errno;
            return UniqueFd();
        }
    }
    std::string rest = start == "/" ? path : path.substr(start.size());
    for (const std::string& name : components(rest)) {
        int next = openat(current.get(), name.c_str(), kFolderFlags);
        if (next < 0 && errno == ENOENT && createMissing) {
            if (mkdirat(current.get(), name.c_str(), mode) != 0 && errno != EEXIST) {
                error = errno;
                return UniqueFd();
            }
            next = openat(current.get(), name.c_str(), kFolderFlags);
        }
        if (next < 0) {
            error = classifyOpenFailure(current.get(), name, errno);
            return UniqueFd();
        }
        current.reset(next);
    }
    return current;
}

ParentDirectory ParentDirectory::open(const std::string& path, const std::string& anchor, bool createMissing,
                                      mode_t mode) {
    ParentDirectory result;
    if (!isStandardAbsolute(path) || path == "/") {
        result.error_ = EINVAL;
        return result;
    }
    std::size_t slash = path.rfind('/');
    result.leaf_ = path.substr(slash + 1);
    result.folderPath_ = slash == 0 ? "/" : path.substr(0, slash);
    int error = 0;
    result.fd_ = openFolder(result.folderPath_, anchor, createMissing, mode, error);
    result.error_ = error;
    return result;
}

}  // namespace korvane
