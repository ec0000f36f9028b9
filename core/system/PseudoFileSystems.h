#pragma once

#include <optional>
#include <string_view>

namespace korvane {

// True when the open descriptor lies on a kernel pseudo file system (proc,
// sysfs, devtmpfs, cgroup, debugfs, tracefs, securityfs, pstore, bpf,
// configfs, fusectl, mqueue, hugetlbfs, autofs) that walks must never enter.
// Meant to be asked when a walk crosses a device boundary.
bool isPseudoFileSystem(int fd);
// The type of that pseudo file system, as the mount table names it ("proc",
// "sysfs", "devtmpfs"); none for any other file system.
std::optional<std::string_view> pseudoFileSystemName(int fd);

}  // namespace korvane
