#include "app/canvases/layout/TreemapLayout.h"

#include <algorithm>
#include <limits>

#include "app/canvases/layout/CanvasHitTest.h"
#include "app/canvases/layout/VisibleChildren.h"
#include "core/model/SizeSum.h"

namespace korvane {

double Squarify::worst(double largest, double smallest, double sum, double side) {
    if (!(side > 0) || !(sum > 0) || !(smallest > 0)) return std::numeric_limits<double>::infinity();
    const double side2 = side * side;
    return std::max(side2 * largest / (sum * sum), sum * sum / (side2 * smallest));
}

std::vector<Squarify::Tile> Squarify::layout(const StorageNode& parent, QRectF area) {
    std::vector<Tile> tiles;
    if (!(area.width() > 0) || !(area.height() > 0)) return tiles;
    const auto nodes = visibleChildren(parent);
    SizeSum total;
    for (const auto* node : nodes) total += node->bytes;
    if (nodes.empty() || total.total() < 1) return tiles;

    const double scale = area.width() * area.height() / static_cast<double>(total.total());
    const auto areaOf = [&](std::size_t i) { return scale * static_cast<double>(nodes[i]->bytes); };
    tiles.reserve(nodes.size());

    QRectF free = area;
    std::size_t rowStart = 0, next = 0;  // the row is nodes[rowStart, next)
    double rowSum = 0;

    const auto layRow = [&](double side) {
        const double thickness = rowSum / side;
        if (free.height() <= free.width()) {
            double y = free.top();
            for (std::size_t i = rowStart; i < next; ++i) {
                const double h = areaOf(i) / thickness;
                tiles.push_back({nodes[i], QRectF(free.left(), y, thickness, h)});
                y += h;
            }
            free.setLeft(free.left() + thickness);
        } else {
            double x = free.left();
            for (std::size_t i = rowStart; i < next; ++i) {
                const double w = areaOf(i) / thickness;
                tiles.push_back({nodes[i], QRectF(x, free.top(), w, thickness)});
                x += w;
            }
            free.setTop(free.top() + thickness);
        }
        rowStart = next;
        rowSum = 0;
    };

    while (next < nodes.size()) {
        const double side = std::min(free.width(), free.height());
        if (!(side > 0)) break;
        const double a = areaOf(next);
        bool joins = next == rowStart;
        if (!joins) {
            // Sorted largest first: the row's largest area is its first, its
            // smallest the newest.
            const double largest = areaOf(rowStart);
            joins = worst(largest, a, rowSum + a, side) <= worst(largest, areaOf(next - 1), rowSum, side);
        }
        if (joins) {
            rowSum += a;
            ++next;
            if (next < nodes.size()) continue;
        }
        layRow(side);
        if (free.width() <= 0.5 || free.height() <= 0.5) break;
    }
    return tiles;
}

TreemapLayout TreemapLayout::make(const StorageNode& root, QSizeF size) {
    TreemapLayout layout;
    for (const auto& laid : Squarify::layout(root, QRectF(QPointF(0, 0), size))) {
        Tile tile;
        tile.node = laid.node;
        tile.rect = laid.rect;
        const double w = std::max(laid.rect.width() - 2 * tileInset, 0.0);
        const double h = std::max(laid.rect.height() - 2 * tileInset, 0.0);
        tile.frame = QRectF(laid.rect.left() + tileInset, laid.rect.top() + tileInset, w, h);
        tile.hasLabel = laid.rect.width() > 54 && laid.rect.height() > 26;
        tile.hasSizeText = tile.hasLabel && laid.rect.width() > 150;
        tile.firstInner = layout.inner.size();
        if (laid.rect.width() > 120 && laid.rect.height() > 90 && !laid.node->isLeaf()) {
            // Under the label: 24 points at the top, 6 on the other sides of the drawn tile.
            const QRectF area(tile.frame.left() + 6, tile.frame.top() + 24, std::max(w - 12, 0.0),
                              std::max(h - 30, 0.0));
            for (const auto& child : Squarify::layout(*laid.node, area)) {
                InnerTile innerTile;
                innerTile.node = child.node;
                innerTile.parent = layout.tiles.size();
                innerTile.rect = child.rect;
                innerTile.frame = QRectF(child.rect.left() + innerInset, child.rect.top() + innerInset,
                                         std::max(child.rect.width() - 2 * innerInset, 0.0),
                                         std::max(child.rect.height() - 2 * innerInset, 0.0));
                innerTile.hasLabel = child.rect.width() > 46 && child.rect.height() > 18;
                layout.inner.push_back(innerTile);
            }
        }
        tile.innerCount = layout.inner.size() - tile.firstInner;
        layout.tiles.push_back(tile);
    }
    return layout;
}

std::optional<TreemapLayout::Hit> TreemapLayout::hitAt(QPointF point) const {
    const auto tile = topmostHit(tiles, point, [](const Tile& t, QPointF p) { return inside(t.frame, p); });
    if (!tile) return std::nullopt;
    const Tile& t = tiles[*tile];
    for (std::size_t i = t.firstInner + t.innerCount; i-- > t.firstInner;)
        if (inside(inner[i].frame, point)) return Hit{*tile, i};
    return Hit{*tile, std::nullopt};
}

}  // namespace korvane
