#include "app/canvases/layout/BarsLayout.h"

#include <algorithm>
#include <cmath>

#include "app/canvases/layout/VisibleChildren.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

constexpr double pitch = BarsLayout::rowHeight + BarsLayout::rowSpacing;

double fraction(std::int64_t part, std::int64_t scale) {
    return std::clamp(static_cast<double>(part) / static_cast<double>(scale), 0.0, 1.0);
}

}  // namespace

BarsLayout BarsLayout::make(const StorageNode& root) {
    BarsLayout layout;
    const auto children = visibleChildren(root);
    if (!children.empty()) layout.scale = std::max<std::int64_t>(children.front()->bytes, 1);
    layout.rows.reserve(children.size());
    for (const auto* child : children) {
        Row row;
        row.node = child;
        row.sizeFraction = fraction(child->bytes, layout.scale);
        // A reclaimable part larger than the node itself never outgrows its size bar.
        row.reclaimableFraction = std::min(fraction(child->reclaimable, layout.scale), row.sizeFraction);
        layout.rows.push_back(row);
    }
    return layout;
}

CleanupCategory BarsLayout::barCategory(const StorageNode& node) {
    return node.category.value_or(CleanupCategory::node);
}

std::string BarsLayout::reclaimableText(std::int64_t reclaimable) {
    return reclaimable >= 1 ? ByteFormat::string(reclaimable) : "\u2014";
}

BarsLayout::Columns BarsLayout::columns(double width) {
    const double left = horizontalPadding;
    const double right = std::max(width - horizontalPadding, left);
    Columns columns;
    columns.reclaimable = QRectF(right - sizeColumnWidth, 0, sizeColumnWidth, rowHeight);
    columns.total = QRectF(columns.reclaimable.left() - columnSpacing - sizeColumnWidth, 0, sizeColumnWidth, rowHeight);
    columns.name = QRectF(left, 0, nameWidth, rowHeight);
    const double barLeft = columns.name.right() + columnSpacing;
    columns.bar = QRectF(barLeft, 0, std::max(columns.total.left() - columnSpacing - barLeft, 0.0), rowHeight);
    return columns;
}

double BarsLayout::contentHeight() const {
    if (rows.empty()) return 2 * topPadding;
    return 2 * topPadding + static_cast<double>(rows.size()) * pitch - rowSpacing;
}

QRectF BarsLayout::rowRect(std::size_t row, double width) const {
    return QRectF(0, topPadding + static_cast<double>(row) * pitch, width, rowHeight);
}

std::optional<std::size_t> BarsLayout::rowAt(double y) const {
    const double offset = y - topPadding;
    if (offset < 0) return std::nullopt;
    const auto row = static_cast<std::size_t>(std::floor(offset / pitch));
    if (row >= rows.size() || offset - static_cast<double>(row) * pitch >= rowHeight) return std::nullopt;
    return row;
}

std::pair<std::size_t, std::size_t> BarsLayout::visibleRows(double top, double height) const {
    const double from = std::max(top - topPadding, 0.0);
    const double to = std::max(top + height - topPadding, 0.0);
    const auto first = std::min(static_cast<std::size_t>(std::floor(from / pitch)), rows.size());
    const auto last = std::min(static_cast<std::size_t>(std::ceil(to / pitch)), rows.size());
    return {first, std::max(first, last)};
}

}  // namespace korvane
