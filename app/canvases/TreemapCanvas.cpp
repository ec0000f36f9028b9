#include "app/canvases/TreemapCanvas.h"

#include <QFontMetricsF>
#include <QPainter>

#include "app/canvases/CanvasPaint.h"
#include "app/theme/Palette.h"
#include "core/text/ByteFormat.h"

namespace korvane {

TreemapCanvas::TreemapCanvas(const CanvasParts& parts, QWidget* parent)
    : LayoutCanvas<TreemapLayout>(parts, CanvasMode::treemap, parent) {}

TreemapLayout TreemapCanvas::buildLayout(const StorageNode& root, QSizeF size) {
    return TreemapLayout::make(root, size);
}

QRectF TreemapCanvas::itemBounds(std::size_t item) {
    const TreemapLayout& map = layout();
    if (item < map.tiles.size()) return map.tiles[item].frame;
    item -= map.tiles.size();
    return item < map.inner.size() ? map.inner[item].frame : QRectF();
}

const StorageNode* TreemapCanvas::itemNode(std::size_t item) {
    const TreemapLayout& map = layout();
    if (item < map.tiles.size()) return map.tiles[item].node;
    item -= map.tiles.size();
    return item < map.inner.size() ? map.inner[item].node : nullptr;
}

std::optional<CanvasBase::Hit> TreemapCanvas::hitAt(QPointF point) {
    const TreemapLayout& map = layout();
    const auto hit = map.hitAt(point);
    if (!hit) return std::nullopt;
    return Hit{Hit::item, hit->inner ? map.tiles.size() + *hit->inner : hit->tile};
}

void TreemapCanvas::doubleClicked(const Hit& hit) {
    if (const StorageNode* node = itemNode(hit.index)) drill(*node);
}

std::vector<CanvasBase::Hit> TreemapCanvas::keyboardTargets() {
    std::vector<Hit> targets;
    if (!root()) return targets;
    const auto& tiles = layout().tiles;
    for (std::size_t i = 0; i < tiles.size(); ++i)
        if (!tiles[i].frame.isEmpty()) targets.push_back({Hit::item, i});
    return targets;
}

std::optional<std::size_t> TreemapCanvas::hoveredTile() {
    const auto hover = paintedHover();
    if (!hover || hover->zone != Hit::item) return std::nullopt;
    const TreemapLayout& map = layout();
    if (hover->index < map.tiles.size()) return hover->index;
    const std::size_t inner = hover->index - map.tiles.size();
    if (inner < map.inner.size()) return map.inner[inner].parent;
    return std::nullopt;
}

QRectF TreemapCanvas::hoverArea(const Hit& hit) {
    const TreemapLayout& map = layout();
    std::size_t tile = hit.index;
    if (tile >= map.tiles.size() && tile - map.tiles.size() < map.inner.size())
        tile = map.inner[tile - map.tiles.size()].parent;
    return CanvasBase::hoverArea(Hit{hit.zone, tile});
}

void TreemapCanvas::paintCanvas(QPainter& painter) {
    const auto& tiles = layout().tiles;
    // Over the resting picture only the hovered tiles are drawn again.
    const std::optional<QRectF> clip =
        painter.hasClipping() ? std::optional(painter.clipBoundingRect()) : std::nullopt;
    // A tile narrower than the gap between tiles has nothing to draw.
    for (std::size_t i = 0; i < tiles.size(); ++i)
        if (!tiles[i].frame.isEmpty() && (!clip || clip->intersects(tiles[i].frame))) paintTile(painter, i);
}

void TreemapCanvas::paintTile(QPainter& painter, std::size_t index) {
    static const QFont innerFont = AppFont::font(9);
    static const QFont nameFont = AppFont::font(11, QFont::DemiBold);
    static const QFont sizeFont = AppFont::font(10);
    const Palette& colours = palette();
    const TreemapLayout& map = layout();
    const TreemapLayout::Tile& tile = map.tiles[index];
    const StorageNode& node = *tile.node;
    const QColor colour = colours.colorForNode(node);
    const QRectF frame = tile.frame;

    const bool tileHovered = hoveredTile() == index;
    fillRounded(painter, frame, 5, tinted(colour, colours.fillStrength * (tileHovered ? 1.7 : 1)));

    const double innerOpacity = colours.isDark ? 0.26 : 0.22;
    for (std::size_t i = tile.firstInner; i < tile.firstInner + tile.innerCount; ++i) {
        const TreemapLayout::InnerTile& inner = map.inner[i];
        fillRounded(painter, inner.frame, 3, tinted(colours.colorForNode(*inner.node), innerOpacity));
        if (inner.hasLabel)
            drawLine(painter, QRectF(inner.frame.left() + 4, inner.frame.top(), inner.frame.width() - 8, 13),
                     fittedText(QString::fromStdString(inner.node->name), innerFont, inner.frame.width() - 8),
                     innerFont, tinted(colours.ink, 0.75));
        if (isHovered(Hit::item, map.tiles.size() + i))
            strokeInside(painter, inner.frame, 3, tinted(colours.ink, 0.35), 1);
    }

    if (tile.hasLabel) {
        const QFontMetricsF metrics(nameFont);
        QRectF line(frame.left() + 7, frame.top() + 5, frame.width() - 14, metrics.height());
        if (node.category) {
            drawSymbol(painter, QRectF(line.left(), line.top(), 12, line.height()), symbolName(*node.category), 10,
                       colours.ink);
            line.setLeft(line.left() + 12 + 5);
        }
        QString size;
        double sizeWidth = 0;
        if (tile.hasSizeText) {
            size = QString::fromStdString(ByteFormat::string(node.bytes));
            sizeWidth = QFontMetricsF(sizeFont).horizontalAdvance(size);
        }
        const double nameWidth = std::max(line.width() - (sizeWidth > 0 ? sizeWidth + 5 : 0), 0.0);
        const double drawn = drawLine(painter, QRectF(line.left(), line.top(), nameWidth, line.height()),
                                      fittedText(QString::fromStdString(node.name), nameFont, nameWidth),
                                      nameFont, colours.ink);
        if (sizeWidth > 0)
            drawLine(
                painter,
                QRectF(line.left() + (drawn > 0 ? drawn + 5 : 0), line.top(), sizeWidth + 1, line.height()),
                size, sizeFont, colours.inkSecondary);
    }

    const bool selected = isSelectedNode(node);
    strokeInside(painter, frame, 5, tinted(colour, selected ? 1.0 : 0.28), selected ? 2 : 1);
}

}  // namespace korvane
