#include "app/presenters/SummaryNode.h"

#include <algorithm>
#include <climits>
#include <string>

#include "app/presenters/CountText.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/model/SizeSum.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

constexpr std::string_view suffix = "//smaller";

}  // namespace

std::int64_t heldItems(const StorageNode& node) {
    // A sum keeps its count where a folder keeps what it holds.
    if (isSummaryNode(node)) return node.fileCount;
    if (FileTreeScanner::isRemainderID(node.id)) return std::int64_t{node.fileCount} + node.folderCount;
    if (node.path && node.id == *node.path) {
        if (node.kind == StorageNode::Kind::item) return 1;
        return std::int64_t{node.fileCount} + node.folderCount + (node.kind == StorageNode::Kind::root ? 0 : 1);
    }
    std::int64_t items = 0;
    for (const StorageNode* leaf : node.leaves())
        if (leaf->kind != StorageNode::Kind::uninspected) ++items;
    return items;
}

std::string smallerItemsName(std::int64_t items) {
    return items >= 1 ? countText(items, "smaller item") : "Everything else";
}

StorageNode summaryNode(std::string_view ownerID, std::span<const StorageNode* const> nodes) {
    std::int64_t items = 0;
    for (const StorageNode* node : nodes) items += heldItems(*node);
    return summaryNode(ownerID, nodes, items);
}

StorageNode summaryNode(std::string_view ownerID, std::span<const StorageNode* const> nodes, std::int64_t items) {
    StorageNode summary;
    summary.id = std::string(ownerID) + std::string(suffix);
    const std::int64_t count = items;
    summary.name = smallerItemsName(count);
    summary.kind = StorageNode::Kind::item;
    SizeSum bytes, reclaimable;
    for (const StorageNode* node : nodes) {
        bytes += node->bytes;
        reclaimable += node->reclaimable;
        if (node->lastModified && (!summary.lastModified || *node->lastModified > *summary.lastModified))
            summary.lastModified = node->lastModified;
    }
    summary.bytes = bytes.total();
    summary.reclaimable = reclaimable.total();
    summary.details.emplace("Items", ByteFormat::groupedInteger(count));
    summary.fileCount = static_cast<std::uint32_t>(std::clamp<std::int64_t>(count, 0, UINT32_MAX));
    return summary;
}

bool isSummaryNode(const StorageNode& node) { return std::string_view(node.id).ends_with(suffix); }

StorageNode summaryWithParts(const StorageNode& summary, std::span<const StorageNode* const> nodes,
                             std::span<const std::int64_t> bytes) {
    StorageNode held = summary;
    held.children.reserve(nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        held.children.push_back(*nodes[i]);
        if (i < bytes.size()) held.children.back().bytes = bytes[i];
    }
    return held;
}

}  // namespace korvane
