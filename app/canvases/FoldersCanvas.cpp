#include "app/canvases/FoldersCanvas.h"

#include <QFontMetricsF>
#include <QPainter>

#include "app/canvases/CanvasPaint.h"
#include "app/presenters/ItemKind.h"
#include "app/theme/Palette.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

constexpr double hoverScale = 0.015;

}  // namespace

FoldersCanvas::FoldersCanvas(const CanvasParts& parts, QWidget* parent)
    : ScrollingCanvas(parts, CanvasMode::folders, parent) {}

const FoldersLayout& FoldersCanvas::layout() {
    return cache_.get(*root(), QSizeF(contentWidth(), height()), depth(),
                      [this] { return FoldersLayout::make(*root(), contentWidth()); });
}

QString FoldersCanvas::restingDescription() {
    return layout().isEmpty() ? QStringLiteral("Nothing to open. This level holds no folders of its own.") : QString();
}

QRectF FoldersCanvas::itemBounds(std::size_t item) {
    if (!root() || item >= layout().tiles.size()) return {};
    return fromContent(layout().tileRect(item));
}

const StorageNode* FoldersCanvas::itemNode(std::size_t item) {
    if (!root() || item >= layout().tiles.size()) return nullptr;
    return layout().tiles[item];
}

std::optional<CanvasBase::Hit> FoldersCanvas::hitAt(QPointF point) {
    if (point.x() >= contentWidth()) return std::nullopt;
    if (const auto tile = layout().tileAt(toContent(point))) return Hit{Hit::item, *tile};
    return std::nullopt;
}

void FoldersCanvas::doubleClicked(const Hit& hit) {
    const StorageNode* node = itemNode(hit.index);
    if (node && opensFurther(*node)) drill(*node);
}

std::vector<CanvasBase::Hit> FoldersCanvas::keyboardTargets() {
    std::vector<Hit> targets;
    if (!root()) return targets;
    for (std::size_t i = 0; i < layout().tiles.size(); ++i) targets.push_back({Hit::item, i});
    return targets;
}

void FoldersCanvas::paintCanvas(QPainter& painter) {
    followContentHeight();
    const FoldersLayout& folders = layout();
    if (folders.isEmpty()) return paintEmptyState(painter);
    paintHeader(painter);
    // Over the resting picture only the hovered tiles are drawn again.
    const std::optional<QRectF> clip =
        painter.hasClipping() ? std::optional(painter.clipBoundingRect()) : std::nullopt;
    const auto [first, last] = folders.visibleTiles(viewTop(), viewHeight());
    for (std::size_t i = first; i < last; ++i)
        if (!clip || clip->intersects(hoverArea(Hit{Hit::item, i}))) paintTile(painter, i);
}

QRectF FoldersCanvas::hoverArea(const Hit& hit) {
    // A hovered tile grows about its centre.
    const QRectF rect = itemBounds(hit.index);
    const QPointF grown(rect.width() * hoverScale / 2 + 2, rect.height() * hoverScale / 2 + 2);
    return rect.adjusted(-grown.x(), -grown.y(), grown.x(), grown.y());
}

void FoldersCanvas::paintHeader(QPainter& painter) {
    const Palette& colours = palette();
    const QFont titleFont = AppFont::font(15, QFont::DemiBold, colours.fontDesign);
    static const QFont countFont = AppFont::font(11, QFont::Medium);
    const QFontMetricsF metrics(countFont);
    QRectF line = fromContent(
        QRectF(FoldersLayout::padding + 4, FoldersLayout::padding, 400, FoldersLayout::headerHeight));
    for (const FoldersLayout::Heading& heading : layout().headings()) {
        const double titleWidth = drawLine(painter, line, QString::fromStdString(heading.title), titleFont,
                                           colours.ink, Qt::AlignLeft | Qt::AlignVCenter);
        const QString count = QString::number(heading.count);
        const QRectF capsule(line.left() + titleWidth + 8, line.center().y() - metrics.height() / 2 - 2,
                             metrics.horizontalAdvance(count) + 12, metrics.height() + 4);
        fillRounded(painter, capsule, capsule.height() / 2, colours.hover);
        drawLine(painter, capsule, count, countFont, colours.inkSecondary, Qt::AlignCenter);
        line.setLeft(capsule.right() + 18);
    }
}

double FoldersCanvas::shownTileScale(std::size_t index) const {
    return 1 + hoverScale * hoverAmount(Hit::item, index);
}

double FoldersCanvas::shownTileBorder(std::size_t index) {
    const StorageNode* node = itemNode(index);
    if (node && isSelectedNode(*node)) return 0.95;
    // The hovered border comes and goes with the tile's growth.
    return 0.24 + (0.6 - 0.24) * hoverAmount(Hit::item, index);
}

void FoldersCanvas::paintTile(QPainter& painter, std::size_t index) {
    static const QFont nameFont = AppFont::font(13, QFont::Medium);
    static const QFont countFont = AppFont::font(10);
    static const QFont sizeFont = AppFont::font(12, QFont::DemiBold);
    const Palette& colours = palette();
    const StorageNode& node = *layout().tiles[index];
    const QColor colour = colours.colorForNode(node);
    const bool selected = isSelectedNode(node);
    const double hover = hoverAmount(Hit::item, index);
    const QRectF rect = itemBounds(index);

    painter.save();
    if (hover != 0) {
        const double scale = shownTileScale(index);
        painter.translate(rect.center());
        painter.scale(scale, scale);
        painter.translate(-rect.center());
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(tinted(colour, colours.fillStrength * 1.5));
    painter.drawPath(FoldersLayout::tileShape(node, rect));
    const double lineWidth = selected ? 2 : 1;
    const double border = shownTileBorder(index);
    painter.setPen(QPen(tinted(colour, border), lineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(FoldersLayout::tileShape(node, rect, lineWidth / 2));

    // The label block sits at the bottom: the name, then dots, count and size.
    const QRectF inner = rect.adjusted(12, 0, -12, -11);
    const QFontMetricsF nameMetrics(nameFont), sizeMetrics(sizeFont);
    const double rowHeight = sizeMetrics.height();
    const QRectF row(inner.left(), inner.bottom() - rowHeight, inner.width(), rowHeight);
    const QRectF name(inner.left(), row.top() - 6 - nameMetrics.height(), inner.width(), nameMetrics.height());
    drawLine(painter, name, QString::fromStdString(node.name), nameFont, colours.ink, Qt::AlignLeft | Qt::AlignVCenter,
             Qt::ElideMiddle);

    double x = row.left();
    const auto dots = FoldersLayout::dots(node);
    for (const StorageNode* dot : dots) {
        fillRounded(painter, QRectF(x, row.center().y() - 2.5, 5, 5), 2.5, colours.colorForNode(*dot));
        x += 5 + 2;
    }
    if (!dots.empty()) x += 6 - 2;
    const QString size = QString::fromStdString(ByteFormat::string(node.bytes));
    const double sizeWidth = sizeMetrics.horizontalAdvance(size);
    drawLine(painter, QRectF(row.right() - sizeWidth - 1, row.top(), sizeWidth + 1, row.height()), size, sizeFont,
             colours.ink, Qt::AlignRight | Qt::AlignVCenter);
    drawLine(painter, QRectF(x, row.top(), std::max(row.right() - sizeWidth - 4 - x, 0.0), row.height()),
             QString::fromStdString(FoldersLayout::itemsText(node)), countFont, colours.inkTertiary);
    painter.restore();
}

void FoldersCanvas::paintEmptyState(QPainter& painter) {
    const Palette& colours = palette();
    const QFont titleFont = AppFont::font(13, QFont::Medium);
    const QFont& messageFont = AppFont::caption();
    const QFontMetricsF titleMetrics(titleFont), messageMetrics(messageFont);
    const double symbolHeight = 28;
    const double height = symbolHeight + 7 + titleMetrics.height() + 7 + messageMetrics.height();
    double y = (this->height() - height) / 2;
    const double w = width();
    drawSymbol(painter, QRectF(0, y, w, symbolHeight), "folder", 24, colours.inkTertiary);
    y += symbolHeight + 7;
    drawLine(painter, QRectF(0, y, w, titleMetrics.height()), QStringLiteral("Nothing to open"), titleFont,
             colours.ink, Qt::AlignCenter);
    y += titleMetrics.height() + 7;
    drawLine(painter, QRectF(0, y, w, messageMetrics.height()),
             QStringLiteral("This level holds no folders of its own."), messageFont, colours.inkSecondary,
             Qt::AlignCenter);
}

}  // namespace korvane
