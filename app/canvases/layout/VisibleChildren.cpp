#include "app/canvases/layout/VisibleChildren.h"

#include <algorithm>
#include <functional>

namespace korvane {

std::vector<const StorageNode*> visibleChildren(const StorageNode& node, std::size_t limit) {
    std::vector<const StorageNode*> kept;
    kept.reserve(node.children.size());
    for (const auto& child : node.children)
        if (child.bytes >= 1) kept.push_back(&child);
    // The children sit in one vector, so their addresses follow the tree's
    // order: breaking ties by address makes the order total, and a partial
    // sort then gives exactly the prefix a stable sort would.
    const auto larger = [](const StorageNode* a, const StorageNode* b) {
        if (a->bytes != b->bytes) return a->bytes > b->bytes;
        return std::less<const StorageNode*>{}(a, b);
    };
    if (limit < kept.size()) {
        std::partial_sort(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(limit), kept.end(), larger);
        kept.resize(limit);
    } else {
        std::sort(kept.begin(), kept.end(), larger);
    }
    return kept;
}

}  // namespace korvane
