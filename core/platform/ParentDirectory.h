#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "core/system/UniqueFd.h"

namespace korvane {

// Reaches folders by descriptors, one component at a time, refusing every
// symbolic link on the way, so that a path that passed a check cannot be
// redirected elsewhere between the check and the act.
//
// Only the anchor (normally the home folder, which may itself be reached
// through a link such as /home -> /data/home) is opened by its path; every
// component below it is opened with O_NOFOLLOW. Paths outside the anchor are
// walked from "/".
//
// The descriptors are O_PATH ones: they serve openat, fstatat, renameat2,
// mkdirat and unlinkat, and reach a folder whose parents may be searched but
// not read. Reading a listing needs the folder opened again for reading.
class ParentDirectory {
public:
    // Opens the folder holding the last component of `path`. With
    // `createMissing`, missing folders on the way are made with `mode`
    // (the umask applies). Failures: EINVAL for a path that is not absolute
    // and standardised (or contains a NUL byte, or is "/"), ELOOP when a
    // component is a symbolic link, ENOTDIR when it is not a folder, else errno.
    static ParentDirectory open(const std::string& path, const std::string& anchor = {},
                                bool createMissing = false, mode_t mode = 0777);

    // Opens `path` itself as a folder by the same rules; -1 and `error` set on failure.
    static UniqueFd openFolder(const std::string& path, const std::string& anchor, bool createMissing,
                               mode_t mode, int& error);

    // Absolute, no NUL byte, no empty, "." or ".." component, no trailing "/".
    static bool isStandardAbsolute(const std::string& path);
    static std::vector<std::string> components(const std::string& path);

    bool ok() const { return error_ == 0; }
    int error() const { return error_; }
    int fd() const { return fd_.get(); }
    const std::string& leaf() const { return leaf_; }
    const std::string& folderPath() const { return folderPath_; }

private:
    UniqueFd fd_;
    int error_ = 0;
    std::string leaf_;
    std::string folderPath_;
};

}  // namespace korvane
