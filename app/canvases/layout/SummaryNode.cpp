#include "app/canvases/layout/SummaryNode.h"

#include <string>

#include "core/model/SizeSum.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

constexpr std::string_view suffix = "//smaller";

}  // namespace

StorageNode summaryNode(std::string_view ownerID, std::span<const StorageNode* const> nodes) {
    StorageNode summary;
    summary.id = std::string(ownerID) + std::string(suffix);
    const std::string count = ByteFormat::groupedInteger(static_cast<std::int64_t>(nodes.size()));
    summary.name = count + (nodes.size() == 1 ? " smaller item" : " smaller items");
    summary.kind = StorageNode::Kind::item;
    SizeSum bytes;
    for (const StorageNode* node : nodes) {
        bytes += node->bytes;
        if (node->lastModified && (!summary.lastModified || *node->lastModified > *summary.lastModified))
            summary.lastModified = node->lastModified;
    }
    summary.bytes = bytes.total();
    summary.details.emplace("Items", count);
    return summary;
}

bool isSummaryNode(const StorageNode& node) { return std::string_view(node.id).ends_with(suffix); }

}  // namespace korvane
