#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <string>

#include "core/system/UniqueFd.h"

namespace korvane::testing {

// The deepest of a chain of nested folders, with an open descriptor of it
// (its path soon outgrows PATH_MAX, so only descriptors reach it).
struct DeepFolder {
    std::string path;
    UniqueFd fd;
};

// Makes `levels` nested folders named `name` below `root` through descriptors.
inline DeepFolder deepFolders(const std::string& root, int levels, const std::string& name) {
    DeepFolder deep{root, UniqueFd(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))};
    for (int i = 0; i < levels && deep.fd.valid(); ++i) {
        mkdirat(deep.fd.get(), name.c_str(), 0755);
        deep.fd.reset(openat(deep.fd.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        deep.path += "/" + name;
    }
    return deep;
}

}  // namespace korvane::testing
