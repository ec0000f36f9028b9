#include "app/canvases/FlameCanvas.h"

#include <QPainter>

#include "app/canvases/CanvasPaint.h"
#include "app/presenters/ItemKind.h"
#include "app/theme/Palette.h"

namespace korvane {

namespace {

constexpr double rowDelay = 0.03;  // each row fades in this much after the one above

}  // namespace

FlameCanvas::FlameCanvas(const CanvasParts& parts, QWidget* parent)
    : ScrollingCanvas(parts, CanvasMode::flame, parent) {}

const FlameLayout& FlameCanvas::layout() {
    return cache_.get(*root(), QSizeF(contentWidth(), height()), depth(),
                      [this] { return FlameLayout::make(*root(), contentWidth(), depth()); });
}

QRectF FlameCanvas::itemBounds(std::size_t item) {
    const auto& cells = layout().cells;
    return item < cells.size() ? fromContent(cells[item].frame()) : QRectF();
}

const StorageNode* FlameCanvas::itemNode(std::size_t item) {
    const auto& cells = layout().cells;
    return item < cells.size() ? cells[item].node : nullptr;
}

std::optional<CanvasBase::Hit> FlameCanvas::hitAt(QPointF point) {
    if (point.x() >= contentWidth()) return std::nullopt;
    if (const auto cell = layout().cellAt(toContent(point))) return Hit{Hit::item, *cell};
    return std::nullopt;
}

void FlameCanvas::doubleClicked(const Hit& hit) {
    const StorageNode* node = itemNode(hit.index);
    if (node && opensFurther(*node)) drill(*node);
}

std::vector<CanvasBase::Hit> FlameCanvas::keyboardTargets() {
    std::vector<Hit> targets;
    if (!root()) return targets;
    const auto& cells = layout().cells;
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (!cells[i].frame().isEmpty()) targets.push_back({Hit::item, i});
    return targets;
}

void FlameCanvas::paintCanvas(QPainter& painter) {
    static const QFont labelFont = AppFont::font(10, QFont::Medium);
    followContentHeight();
    const Palette& colours = palette();
    const FlameLayout& flame = layout();
    const double top = viewTop(), bottom = viewTop() + viewHeight();
    for (std::size_t i = 0; i < flame.cells.size(); ++i) {
        const FlameLayout::Cell& cell = flame.cells[i];
        if (cell.rect.bottom() < top || cell.rect.top() > bottom) continue;
        const double shown = std::clamp(entrance(rowDelay * cell.depth, AppMotion::smooth), 0.0, 1.0);
        if (shown <= 0) continue;
        painter.save();
        painter.setOpacity(painter.opacity() * shown);
        const QRectF frame = fromContent(cell.frame());
        const QColor colour = colours.colorForNode(*cell.node);
        fillRounded(painter, frame, 3, tinted(colour, FlameLayout::fillOpacity(cell.depth, colours.fillStrength)));
        const bool selected = isSelectedNode(*cell.node);
        const double border = selected ? 1.0 : isHovered(Hit::item, i) ? 0.7 : 0.22;
        strokeInside(painter, frame, 3, tinted(colour, border), selected ? 2 : 1);
        // Cut at its end or not at all: the hover card names every cell.
        if (cell.hasLabel())
            drawLine(painter, frame.adjusted(5, 0, -5, 0),
                     fittedText(QString::fromStdString(cell.node->name), labelFont, frame.width() - 10),
                     labelFont, colours.ink);
        painter.restore();
    }
}

}  // namespace korvane
