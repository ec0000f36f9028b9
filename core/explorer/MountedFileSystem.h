#pragma once

#include <cstdint>

#include "core/model/DetailMap.h"

namespace korvane {

// The file systems a folder scan names where it meets one mounted inside the
// scanned folder. A node keeps only a small number for its kind; the detail
// that names it is shared by every node of that kind.
namespace MountedFileSystem {

// The kind of file system the open folder `fd` lies on, never 0.
std::uint8_t kindOf(int fd);
// The mount point detail of a node of that kind: "Mount point" → "tmpfs".
DetailMap detail(std::uint8_t kind);

}  // namespace MountedFileSystem

}  // namespace korvane
