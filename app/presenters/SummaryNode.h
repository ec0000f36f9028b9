#pragma once

#include <span>
#include <string_view>

#include "core/model/StorageNode.h"

namespace korvane {

// One node standing for items too small to draw one by one ("12 smaller
// items"): their bytes and reclaimable bytes summed, their newest date. It
// has no path, so no node action applies to it; its id is one no real path
// can produce.
StorageNode summaryNode(std::string_view ownerID, std::span<const StorageNode* const> nodes);
bool isSummaryNode(const StorageNode& node);
// The summary as the inspector shows it when its tile is selected: with
// copies of what it sums as its children, largest first as given. With
// `bytes` (one per node), a copy holds only that many of its node's bytes:
// the share the summary sums.
StorageNode summaryWithParts(const StorageNode& summary, std::span<const StorageNode* const> nodes,
                             std::span<const std::int64_t> bytes = {});

}  // namespace korvane
