#include "app/presenters/SummaryNode.h"

#include <string>

#include "app/presenters/CountText.h"
#include "core/model/SizeSum.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

constexpr std::string_view suffix = "//smaller";

}  // namespace

StorageNode summaryNode(std::string_view ownerID, std::span<const StorageNode* const> nodes) {
    StorageNode summary;
    summary.id = std::string(ownerID) + std::string(suffix);
    const auto count = static_cast<std::int64_t>(nodes.size());
    summary.name = countText(count, "smaller item");
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
