#include "app/canvases/TableCanvas.h"

#include <QFontMetricsF>
#include <QPainter>

#include "app/canvases/CanvasPaint.h"
#include "app/state/TreeNavigation.h"
#include "app/theme/Palette.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

constexpr double padding = 12;
constexpr double safetyWidth = 130;
constexpr double dashOnlyWidth = 56;  // "Safety" over dashes: a folder scan tags nothing
constexpr double sizeWidth = 84;
constexpr double reclaimableWidth = 90;
constexpr double nameGap = 12;  // between a name cut short and the safety tag

const QFont& headerFont() {
    static const QFont font = AppFont::font(10);
    return font;
}

// The columns across a row of `width`: name, safety, size, reclaimable.
struct Columns {
    QRectF name, safety, size, reclaimable;
    explicit Columns(double width, double top, double height, bool showsSafety) {
        const double right = std::max(width - padding, padding);
        reclaimable = QRectF(right - reclaimableWidth, top, reclaimableWidth, height);
        size = QRectF(reclaimable.left() - sizeWidth, top, sizeWidth, height);
        const double tags = showsSafety ? safetyWidth : dashOnlyWidth;
        safety = QRectF(size.left() - tags, top, tags, height);
        name = QRectF(padding, top, std::max(safety.left() - nameGap - padding, 0.0), height);
    }
};

}  // namespace

TableCanvas::TableCanvas(const CanvasParts& parts, QWidget* parent)
    : ScrollingCanvas(parts, CanvasMode::table, parent) {}

const TableLayout& TableCanvas::layout() {
    return cache_.get(*root(), QSizeF(size()), depth(), [this] { return TableLayout::make(*root(), expanded_); });
}

double TableCanvas::pinnedHeight() const { return 7 + QFontMetricsF(headerFont()).height() + 7; }

QRectF TableCanvas::itemBounds(std::size_t item) {
    if (!root() || item >= layout().rows.size()) return {};
    const double top = static_cast<double>(item) * TableLayout::rowHeight;
    return fromContent(QRectF(0, top, contentWidth(), TableLayout::rowHeight));
}

const StorageNode* TableCanvas::itemNode(std::size_t item) {
    if (!root() || item >= layout().rows.size()) return nullptr;
    return layout().rows[item].node;
}

CanvasItemReading TableCanvas::reading(const Hit& hit) {
    const StorageNode* node = itemNode(hit.index);
    return node ? tableRowReading(*node) : CanvasItemReading{};
}

std::optional<CanvasBase::Hit> TableCanvas::hitAt(QPointF point) {
    if (point.y() < pinnedHeight() || point.x() >= contentWidth()) return std::nullopt;
    if (const auto row = layout().rowAt(toContent(point).y())) return Hit{Hit::item, *row};
    return std::nullopt;
}

void TableCanvas::clicked(const Hit& hit) {
    const StorageNode* node = itemNode(hit.index);
    if (!node) return;
    CanvasBase::clicked(hit);
    if (!TreeNavigation::opens(*node)) return;
    TableLayout::toggle(*node, expanded_);
    // A folder's remainder shows what it sums once that is read.
    if (expanded_.contains(node->id)) navigation().openSummed(*node, false);
    cache_.invalidate();
    followContentHeight();
    update();
}

void TableCanvas::activated(const Hit& hit) {
    const StorageNode* node = itemNode(hit.index);
    if (node && FileTreeScanner::isMountPoint(*node)) return doubleClicked(hit);
    clicked(hit);
}

// A folder opens in place; one where another file system is mounted opens as a scan of its own.
void TableCanvas::doubleClicked(const Hit& hit) {
    const StorageNode* node = itemNode(hit.index);
    if (node && FileTreeScanner::isMountPoint(*node)) drill(*node);
}

std::vector<CanvasBase::Hit> TableCanvas::keyboardTargets() {
    std::vector<Hit> targets;
    if (!root()) return targets;
    for (std::size_t i = 0; i < layout().rows.size(); ++i) targets.push_back({Hit::item, i});
    return targets;
}

std::optional<CanvasBase::Hit> TableCanvas::step(const Hit& from, KeyboardStep::Direction direction) {
    using Direction = KeyboardStep::Direction;
    const auto& rows = layout().rows;
    if (from.index >= rows.size()) return std::nullopt;
    const TableLayout::Row row = rows[from.index];
    if (direction == Direction::right && row.hasChevron) {
        if (row.isExpanded) {
            const bool childShown = from.index + 1 < rows.size() && rows[from.index + 1].depth > row.depth;
            return childShown ? std::optional(Hit{Hit::item, from.index + 1}) : std::nullopt;
        }
        clicked(from);
        return from;
    }
    if (direction == Direction::left) {
        if (row.isExpanded) {
            clicked(from);
            return from;
        }
        // The nearest row above one level out is the parent.
        for (std::size_t i = from.index; i-- > 0;)
            if (rows[i].depth < row.depth) return Hit{Hit::item, i};
        return std::nullopt;
    }
    if (direction == Direction::right) return std::nullopt;
    return CanvasBase::step(from, direction);
}

void TableCanvas::paintCanvas(QPainter& painter) {
    followContentHeight();
    const TableLayout& table = layout();
    painter.save();
    painter.setClipRect(QRectF(0, pinnedHeight(), contentWidth(), viewHeight()));
    const auto [first, last] = table.visibleRows(viewTop(), viewHeight());
    for (std::size_t i = first; i < last; ++i) paintRow(painter, i);
    painter.restore();
    paintHeader(painter);
}

void TableCanvas::paintHeader(QPainter& painter) {
    const Palette& colours = palette();
    const double height = pinnedHeight();
    painter.fillRect(QRectF(0, 0, width(), height), colours.canvas);
    const Columns columns(contentWidth(), 0, height, root() && layout().showsSafety);
    const QColor ink = colours.inkTertiary;
    drawLine(painter, columns.name, QStringLiteral("Name"), headerFont(), ink);
    drawLine(painter, columns.safety, QStringLiteral("Safety"), headerFont(), ink);
    drawLine(painter, columns.size, QStringLiteral("Size"), headerFont(), ink, Qt::AlignRight | Qt::AlignVCenter);
    drawLine(painter, columns.reclaimable, QStringLiteral("Reclaimable"), headerFont(), ink,
             Qt::AlignRight | Qt::AlignVCenter);
    painter.fillRect(QRectF(0, height - 1, width(), 1), colours.hairline);
}

void TableCanvas::paintRow(QPainter& painter, std::size_t index) {
    static const QFont topNameFont = AppFont::font(12, QFont::Medium);
    static const QFont nameFont = AppFont::font(12);
    static const QFont dashFont = AppFont::font(10);
    static const QFont sizeFont = AppFont::font(11);
    static const QFont reclaimableFont = AppFont::font(11, QFont::Medium);
    const Palette& colours = palette();
    const TableLayout::Row& row = layout().rows[index];
    const StorageNode& node = *row.node;
    const QRectF rect = itemBounds(index);
    if (isSelectedNode(node)) painter.fillRect(rect, colours.hover);

    const Columns columns(rect.width(), rect.top(), rect.height(), layout().showsSafety);
    // Deep rows step in no further than half the column: the name keeps room.
    QRectF name = columns.name.adjusted(std::min(row.indent(), columns.name.width() / 2), 0, 0, 0);
    if (row.hasChevron)
        drawSymbol(painter, QRectF(name.left(), name.top(), 10, name.height()),
                   row.isExpanded ? "chevron.down" : "chevron.right", 8, colours.inkTertiary);
    name.setLeft(name.left() + 10 + 5);
    if (row.depth == 0 && node.category) {
        drawSymbol(painter, QRectF(name.left(), name.top(), 12, name.height()), symbolName(*node.category), 10,
                   colours.colorForCategory(*node.category));
        name.setLeft(name.left() + 12 + 5);
    }
    drawLine(painter, name, QString::fromStdString(node.name), row.depth == 0 ? topNameFont : nameFont, colours.ink,
             Qt::AlignLeft | Qt::AlignVCenter, Qt::ElideMiddle);

    if (node.safety)
        drawSafetyTag(painter, columns.safety.left(), columns.safety.center().y(), *node.safety, colours);
    else
        drawLine(painter, columns.safety, QStringLiteral("\u2014"), dashFont, colours.ink);
    // Another file system mounted here is counted by a scan of its own, not in this one.
    if (FileTreeScanner::isMountPoint(node))
        drawLine(painter, columns.size, QStringLiteral("Not counted"), sizeFont, colours.inkTertiary,
                 Qt::AlignRight | Qt::AlignVCenter);
    else
        drawLine(painter, columns.size, QString::fromStdString(ByteFormat::string(node.bytes)), sizeFont,
                 colours.ink, Qt::AlignRight | Qt::AlignVCenter);
    const bool none = node.reclaimable < 1;
    drawLine(painter, columns.reclaimable,
             none ? QStringLiteral("\u2014") : QString::fromStdString(ByteFormat::string(node.reclaimable)),
             reclaimableFont, none ? colours.inkTertiary : colours.accent, Qt::AlignRight | Qt::AlignVCenter);
}

}  // namespace korvane
