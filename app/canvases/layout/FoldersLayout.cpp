#include "app/canvases/layout/FoldersLayout.h"

#include <algorithm>
#include <cmath>

#include "app/canvases/layout/CanvasHitTest.h"
#include "app/canvases/layout/VisibleChildren.h"
#include "app/presenters/CountText.h"
#include "app/presenters/ItemKind.h"
#include "app/presenters/SummaryNode.h"
#include "app/state/TreeNavigation.h"

namespace korvane {

namespace {

double available(double width) { return std::max(width - 2 * FoldersLayout::padding, 0.0); }

// From the top of the right side: down it, along the bottom and up the left
// side, every corner rounded by `R`, and shut. Folders and files share it.
void closeDownAndAround(QPainterPath& path, const QRectF& r, double R) {
    path.lineTo(r.right(), r.bottom() - R);
    path.quadTo(QPointF(r.right(), r.bottom()), QPointF(r.right() - R, r.bottom()));
    path.lineTo(r.left() + R, r.bottom());
    path.quadTo(QPointF(r.left(), r.bottom()), QPointF(r.left(), r.bottom() - R));
    path.lineTo(r.left(), r.top() + R);
    path.quadTo(QPointF(r.left(), r.top()), QPointF(r.left() + R, r.top()));
    path.closeSubpath();
}

}  // namespace

int FoldersLayout::columnCount(double width) {
    const double room = available(width);
    return std::max(static_cast<int>(std::floor((room + spacing) / (minimumColumn + spacing))), 1);
}

FoldersLayout FoldersLayout::make(const StorageNode& root, double width) {
    FoldersLayout layout;
    layout.tiles = visibleChildren(root);
    layout.columns = columnCount(width);
    const double room = available(width);
    const double natural = (room - spacing * (layout.columns - 1)) / layout.columns;
    layout.columnWidth = std::clamp(natural, 0.0, maximumColumn);
    // Columns held at their maximum leave room over: the grid stays centred.
    const double gridWidth = layout.columnWidth * layout.columns + spacing * (layout.columns - 1);
    layout.gridLeft = padding + std::max(0.5 * (room - gridWidth), 0.0);
    return layout;
}

QRectF FoldersLayout::tileRect(std::size_t index) const {
    const auto column = static_cast<double>(index % static_cast<std::size_t>(columns));
    const auto row = static_cast<double>(index / static_cast<std::size_t>(columns));
    return QRectF(gridLeft + column * (columnWidth + spacing), gridTop + row * (tileHeight + spacing), columnWidth,
                  tileHeight);
}

double FoldersLayout::contentHeight() const {
    const auto rows = (tiles.size() + static_cast<std::size_t>(columns) - 1) / static_cast<std::size_t>(columns);
    if (rows == 0) return gridTop + padding;
    return gridTop + static_cast<double>(rows) * (tileHeight + spacing) - spacing + padding;
}

std::optional<std::size_t> FoldersLayout::tileAt(QPointF point) const {
    if (point.y() < gridTop || point.x() < gridLeft || !(columnWidth > 0)) return std::nullopt;
    const auto row = static_cast<std::size_t>(std::floor((point.y() - gridTop) / (tileHeight + spacing)));
    const auto column = static_cast<std::size_t>(std::floor((point.x() - gridLeft) / (columnWidth + spacing)));
    if (column >= static_cast<std::size_t>(columns)) return std::nullopt;
    const std::size_t index = row * static_cast<std::size_t>(columns) + column;
    if (index >= tiles.size() || !inside(tileRect(index), point)) return std::nullopt;
    return index;
}

std::pair<std::size_t, std::size_t> FoldersLayout::visibleTiles(double top, double height) const {
    const double pitch = tileHeight + spacing;
    const auto perRow = static_cast<std::size_t>(columns);
    const auto firstRow = static_cast<std::size_t>(std::floor(std::max(top - gridTop, 0.0) / pitch));
    const auto lastRow = static_cast<std::size_t>(std::ceil(std::max(top + height - gridTop, 0.0) / pitch));
    const auto first = std::min(firstRow * perRow, tiles.size());
    const auto last = std::min(lastRow * perRow, tiles.size());
    return {first, std::max(first, last)};
}

bool FoldersLayout::isFileTile(const StorageNode& node) {
    return isWalkedNode(node) && itemNature(node) == ItemNature::file;
}

std::vector<FoldersLayout::Heading> FoldersLayout::headings() const {
    std::size_t folders = 0, files = 0;
    for (const StorageNode* tile : tiles) {
        if (isFileTile(*tile))
            ++files;
        else if (!isWalkedNode(*tile) || itemNature(*tile) == ItemNature::folder)
            ++folders;  // a sum of smaller items is neither: its tile says what it holds
    }
    std::vector<Heading> shown;
    if (folders > 0 || files == 0) shown.push_back({"Folders", folders});
    if (files > 0) shown.push_back({"Files", files});
    return shown;
}

std::vector<const StorageNode*> FoldersLayout::dots(const StorageNode& node) {
    return visibleChildren(node, dotCount);
}

std::string FoldersLayout::itemsText(const StorageNode& node) {
    // A folder scan counted what lies inside; a file says what it is. A
    // developer tree counts its items, as its page's header does.
    if (isWalkedNode(node)) return itemCountText(node).value_or(itemKindLabel(node));
    if (isSummaryNode(node)) return countText(heldItems(node), "item");
    return countText(static_cast<std::int64_t>(TreeNavigation::itemCount(node)), "item");
}

QPainterPath FoldersLayout::folderShape(QRectF rect, double radius, double tabWidth, double tabHeight, double inset) {
    const QRectF r = rect.adjusted(inset, inset, -inset, -inset);
    const double R = radius;
    const double tabRight = r.left() + tabWidth * r.width();
    const double bodyTop = r.top() + tabHeight;
    QPainterPath path;
    path.moveTo(r.left() + R, r.top());
    path.lineTo(tabRight - R, r.top());
    path.quadTo(QPointF(tabRight + 0.4 * R, r.top()), QPointF(tabRight + R, bodyTop));
    path.lineTo(r.right() - R, bodyTop);
    path.quadTo(QPointF(r.right(), bodyTop), QPointF(r.right(), bodyTop + R));
    closeDownAndAround(path, r, R);
    return path;
}

QPainterPath FoldersLayout::tileShape(const StorageNode& node, QRectF rect, double inset) {
    if (isFileTile(node)) return fileShape(rect, 8, 18, inset);
    if (isWalkedNode(node) && itemNature(node) == ItemNature::smallerItems) {
        QPainterPath sum;
        sum.addRoundedRect(rect.adjusted(inset, inset, -inset, -inset), 8, 8);
        return sum;
    }
    return folderShape(rect, 8, 0.36, 11, inset);
}

QPainterPath FoldersLayout::fileShape(QRectF rect, double radius, double fold, double inset) {
    const QRectF r = rect.adjusted(inset, inset, -inset, -inset);
    const double R = radius;
    const double F = std::min({fold, r.width() / 2, r.height() / 2});
    QPainterPath path;
    path.moveTo(r.left() + R, r.top());
    path.lineTo(r.right() - F, r.top());
    path.lineTo(r.right(), r.top() + F);
    closeDownAndAround(path, r, R);
    // The fold: a triangle inside the outline, which the odd-even fill leaves open.
    path.moveTo(r.right() - F, r.top());
    path.lineTo(r.right() - F, r.top() + F);
    path.lineTo(r.right(), r.top() + F);
    return path;
}

}  // namespace korvane
