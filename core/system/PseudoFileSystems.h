#pragma once

namespace korvane {

// True when the open descriptor lies on a kernel pseudo file system (proc,
// sysfs, devtmpfs, cgroup, debugfs, tracefs, securityfs, pstore, bpf,
// configfs, fusectl, mqueue, hugetlbfs, autofs) that walks must never enter.
// Meant to be asked when a walk crosses a device boundary.
bool isPseudoFileSystem(int fd);

}  // namespace korvane
