#include "app/canvases/BarsCanvas.h"

#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QPainter>

#include "app/canvases/CanvasPaint.h"
#include "app/theme/Palette.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

const QFont& headerFont() {
    static const QFont font = AppFont::font(10);
    return font;
}

}  // namespace

BarsCanvas::BarsCanvas(const CanvasParts& parts, QWidget* parent)
    : ScrollingCanvas(parts, CanvasMode::bars, parent) {}

const BarsLayout& BarsCanvas::layout() {
    return cache_.get(*root(), QSizeF(size()), depth(), [this] { return BarsLayout::make(*root()); });
}

double BarsCanvas::pinnedHeight() const { return 6 + QFontMetricsF(headerFont()).height() + 6; }

QRectF BarsCanvas::itemBounds(std::size_t item) {
    if (!root() || item >= layout().rows.size()) return {};
    return fromContent(layout().rowRect(item, contentWidth()));
}

const StorageNode* BarsCanvas::itemNode(std::size_t item) {
    if (!root() || item >= layout().rows.size()) return nullptr;
    return layout().rows[item].node;
}

std::optional<CanvasBase::Hit> BarsCanvas::hitAt(QPointF point) {
    if (point.y() < pinnedHeight() || point.x() >= contentWidth()) return std::nullopt;
    if (const auto row = layout().rowAt(toContent(point).y())) return Hit{Hit::item, *row};
    return std::nullopt;
}

void BarsCanvas::doubleClicked(const Hit& hit) {
    if (const StorageNode* node = itemNode(hit.index)) drill(*node);
}

std::vector<CanvasBase::Hit> BarsCanvas::keyboardTargets() {
    std::vector<Hit> targets;
    if (!root()) return targets;
    for (std::size_t i = 0; i < layout().rows.size(); ++i) targets.push_back({Hit::item, i});
    return targets;
}

void BarsCanvas::contextMenuEvent(QContextMenuEvent* event) { event->ignore(); }

void BarsCanvas::paintCanvas(QPainter& painter) {
    followContentHeight();
    const BarsLayout& bars = layout();
    const auto columns = BarsLayout::columns(contentWidth());
    painter.save();
    painter.setClipRect(QRectF(0, pinnedHeight(), contentWidth(), viewHeight()));
    const auto [first, last] = bars.visibleRows(viewTop(), viewHeight());
    for (std::size_t i = first; i < last; ++i) paintRow(painter, i, columns);
    painter.restore();
    paintHeader(painter, columns);
}

void BarsCanvas::paintHeader(QPainter& painter, const BarsLayout::Columns& columns) {
    const Palette& colours = palette();
    const QRectF band(0, 0, width(), pinnedHeight());
    painter.fillRect(band, colours.canvas);
    const QColor ink = colours.inkTertiary;
    const auto across = [&](const QRectF& column) { return QRectF(column.left(), 0, column.width(), band.height()); };
    drawLine(painter, across(columns.name), QStringLiteral("Name"), headerFont(), ink);
    drawLine(painter, across(columns.total), QStringLiteral("Total"), headerFont(), ink,
             Qt::AlignRight | Qt::AlignVCenter);
    drawLine(painter, across(columns.reclaimable), QStringLiteral("Reclaimable"), headerFont(), ink,
             Qt::AlignRight | Qt::AlignVCenter);
}

void BarsCanvas::paintRow(QPainter& painter, std::size_t index, const BarsLayout::Columns& columns) {
    static const QFont nameFont = AppFont::font(12, QFont::Medium);
    static const QFont totalFont = AppFont::font(11);
    static const QFont reclaimableFont = AppFont::font(11, QFont::Medium);
    const Palette& colours = palette();
    const BarsLayout::Row& row = layout().rows[index];
    const StorageNode& node = *row.node;
    const QRectF rect = fromContent(layout().rowRect(index, contentWidth()));
    if (isSelectedNode(node)) fillRounded(painter, rect, 6, colours.hover);

    const auto cell = [&](const QRectF& column) { return QRectF(column.left(), rect.top(), column.width(), rect.height()); };
    QRectF name = cell(columns.name);
    if (node.category) {
        drawSymbol(painter, QRectF(name.left(), name.top(), 14, name.height()), symbolName(*node.category), 10,
                   colours.colorForCategory(*node.category));
        name.setLeft(name.left() + 14 + 6);
    }
    drawLine(painter, name, QString::fromStdString(node.name), nameFont, colours.ink);

    const QRectF barCell = cell(columns.bar);
    const QColor barColour = colours.colorForCategory(BarsLayout::barCategory(node));
    const double barTop = barCell.center().y() - 9;
    fillRounded(painter, QRectF(barCell.left(), barTop, barCell.width() * row.sizeFraction, 18), 4,
                tinted(barColour, colours.fillStrength));
    fillRounded(painter, QRectF(barCell.left(), barTop, barCell.width() * row.reclaimableFraction, 18), 4, barColour);

    drawLine(painter, cell(columns.total), QString::fromStdString(ByteFormat::string(node.bytes)), totalFont,
             colours.ink, Qt::AlignRight | Qt::AlignVCenter);
    drawLine(painter, cell(columns.reclaimable), QString::fromStdString(BarsLayout::reclaimableText(node.reclaimable)),
             reclaimableFont, colours.accent, Qt::AlignRight | Qt::AlignVCenter);
}

}  // namespace korvane
