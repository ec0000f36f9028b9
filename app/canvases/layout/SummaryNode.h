#pragma once

#include <span>
#include <string_view>

#include "core/model/StorageNode.h"

namespace korvane {

// One node standing for items too small to draw one by one ("12 smaller
// items"): their bytes summed, their newest date. It has no path, so it is
// never acted on; its id is one no real path can produce.
StorageNode summaryNode(std::string_view ownerID, std::span<const StorageNode* const> nodes);
bool isSummaryNode(const StorageNode& node);

}  // namespace korvane
