#pragma once

#include <cstddef>
#include <limits>
#include <vector>

#include "core/model/StorageNode.h"

namespace korvane {

// The children of a node that hold at least one byte, largest first; equal
// sizes keep the tree's order. With a limit only the first `limit` of that
// order are returned (without sorting the rest).
std::vector<const StorageNode*> visibleChildren(const StorageNode& node,
                                                std::size_t limit = std::numeric_limits<std::size_t>::max());

}  // namespace korvane
