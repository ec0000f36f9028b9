#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/system/Flag.h"
#include "core/system/UniqueFd.h"

namespace korvane {

// Resolves the symbolic links of an absolute path in one pass, component by
// component through descriptors, so that the cost grows with the length of
// the path (not with its square, as retrying realpath() on ever shorter
// prefixes does) and paths longer than PATH_MAX resolve like any other.
class RealPath {
public:
    // What one component of the resolved path is.
    struct Step {
        dev_t device = 0;
        ino_t inode = 0;
        bool isDirectory = false;
        bool mountRoot = false;  // the root of a mount, bind mounts included
    };

    struct Resolution {
        // The longest prefix that could be resolved, in its real form, followed
        // by the components that could not be as they were given (a missing
        // entry, a dangling link, a link loop, a folder that cannot be read).
        std::string path;
        // 0 when every component was resolved; else why the walk stopped
        // (ENOENT, ENOTDIR, ELOOP, EACCES, ECANCELED, …).
        int error = 0;
        // One entry per component of the resolved prefix, from the top.
        std::vector<Step> steps;
        // The resolved item itself (an O_PATH descriptor) when `error` is 0.
        UniqueFd item;

        bool complete() const { return error == 0; }
        bool cancelled() const;
    };

    // `path` must be absolute and hold no NUL byte (else it comes back as it
    // is with EINVAL). A set `cancel` flag stops a long walk with ECANCELED.
    static Resolution resolve(std::string_view path, const Flag* cancel = nullptr);
    // Just the resolved form of the path.
    static std::string resolved(std::string_view path);
};

}  // namespace korvane
