#include "app/canvases/layout/FlameLayout.h"

#include <algorithm>
#include <cmath>

#include "app/canvases/layout/CanvasHitTest.h"
#include "app/canvases/layout/VisibleChildren.h"
#include "core/model/SizeSum.h"

namespace korvane {

namespace {

void place(const StorageNode& node, int depth, int maxDepth, double x, double width,
           std::vector<FlameLayout::Cell>& cells) {
    if (width < FlameLayout::minimumWidth || depth >= maxDepth) return;
    cells.push_back({&node, QRectF(x, depth * FlameLayout::rowPitch, width, FlameLayout::cellHeight), depth});
    if (depth + 1 >= maxDepth) return;
    const auto children = visibleChildren(node);
    SizeSum total;
    for (const auto* child : children) total += child->bytes;
    if (total.total() < 1) return;
    double cursor = x;
    for (const auto* child : children) {
        const double childWidth = width * static_cast<double>(child->bytes) / static_cast<double>(total.total());
        // Sorted largest first: once one child is too narrow, so are the rest.
        if (childWidth < FlameLayout::minimumWidth) break;
        place(*child, depth + 1, maxDepth, cursor, childWidth, cells);
        cursor += childWidth;
    }
}

}  // namespace

FlameLayout FlameLayout::make(const StorageNode& root, double width, int maxDepth) {
    FlameLayout layout;
    if (width > 0) place(root, 0, maxDepth, 0, width, layout.cells);
    int deepest = 0;
    for (const auto& cell : layout.cells) deepest = std::max(deepest, cell.depth);
    layout.contentHeight = (deepest + 1) * rowPitch;
    layout.rows_.resize(static_cast<std::size_t>(deepest) + 1);
    for (std::size_t i = 0; i < layout.cells.size(); ++i)
        layout.rows_[static_cast<std::size_t>(layout.cells[i].depth)].push_back(i);
    return layout;
}

double FlameLayout::fillOpacity(int depth, double fillStrength) {
    return std::max(1 - 0.1 * depth, 0.34) * fillStrength * 3.2;
}

std::optional<std::size_t> FlameLayout::cellAt(QPointF point) const {
    if (point.y() < 0) return std::nullopt;
    const auto row = static_cast<std::size_t>(std::floor(point.y() / rowPitch));
    if (row >= rows_.size()) return std::nullopt;
    const auto& indices = rows_[row];
    auto it = std::upper_bound(indices.begin(), indices.end(), point.x(),
                               [&](double x, std::size_t i) { return x < cells[i].rect.left(); });
    if (it == indices.begin()) return std::nullopt;
    --it;
    if (inside(cells[*it].frame(), point)) return *it;
    return std::nullopt;
}

}  // namespace korvane
