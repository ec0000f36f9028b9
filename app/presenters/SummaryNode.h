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
// The same with the number of items it sums given: "N smaller items" counts
// what they hold, not how many nodes stand for them.
StorageNode summaryNode(std::string_view ownerID, std::span<const StorageNode* const> nodes, std::int64_t items);
// The items a node stands for, counted alike everywhere: a folder scan's
// file is one, a folder is itself and all it holds, a remainder what it
// sums; in other trees every leaf but what nobody looked into or offers.
std::int64_t heldItems(const StorageNode& node);
// "12 smaller items", or "Everything else" for none.
std::string smallerItemsName(std::int64_t items);
bool isSummaryNode(const StorageNode& node);
// The summary as the inspector shows it when its tile is selected: with
// copies of what it sums as its children, largest first as given. With
// `bytes` (one per node), a copy holds only that many of its node's bytes:
// the share the summary sums.
StorageNode summaryWithParts(const StorageNode& summary, std::span<const StorageNode* const> nodes,
                             std::span<const std::int64_t> bytes = {});

}  // namespace korvane
