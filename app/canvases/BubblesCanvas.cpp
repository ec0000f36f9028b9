#include "app/canvases/BubblesCanvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <optional>

#include "app/canvases/CanvasPaint.h"
#include "app/state/TreeNavigation.h"
#include "app/theme/Palette.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

constexpr double levelDelay = 0.06;  // each level grows in this much after the one above
constexpr double entranceScale = 0.7;

}  // namespace

BubblesCanvas::BubblesCanvas(const CanvasParts& parts, QWidget* parent)
    : LayoutCanvas<BubblesLayout>(parts, CanvasMode::bubbles, parent) {}

namespace {

QFont nameFont(const BubblesLayout::Circle& circle, double scale) {
    return AppFont::font(circle.nameFontSize() * scale, QFont::Medium);
}

QFont sizeFont(const BubblesLayout::Circle& circle, double scale) { return AppFont::font(circle.sizeFontSize() * scale); }

// The label at rest: the name over the size, padded 4 points at each side.
QSizeF labelSize(const BubblesLayout::Circle& circle) {
    const QFontMetricsF name(nameFont(circle, 1));
    double width = name.horizontalAdvance(QString::fromStdString(circle.node->name));
    double height = name.height();
    if (circle.hasSizeText()) {
        const QFontMetricsF size(sizeFont(circle, 1));
        width = std::max(width, size.horizontalAdvance(QString::fromStdString(ByteFormat::string(circle.node->bytes))));
        height += size.height();
    }
    return {width + 8, height};
}

}  // namespace

BubblesLayout BubblesCanvas::buildLayout(const StorageNode& root, QSizeF size) {
    return BubblesLayout::make(root, size, labelSize);
}

QRectF BubblesCanvas::itemBounds(std::size_t item) {
    const auto& circles = layout().circles;
    if (item >= circles.size()) return {};
    const auto& circle = circles[item];
    return {circle.centre.x() - circle.radius, circle.centre.y() - circle.radius, 2 * circle.radius,
            2 * circle.radius};
}

const StorageNode* BubblesCanvas::itemNode(std::size_t item) {
    const auto& circles = layout().circles;
    return item < circles.size() ? circles[item].node : nullptr;
}

std::optional<CanvasBase::Hit> BubblesCanvas::hitAt(QPointF point) {
    if (const auto circle = layout().circleAt(point)) return Hit{Hit::item, *circle};
    return std::nullopt;
}

void BubblesCanvas::clicked(const Hit& hit) {
    CanvasBase::clicked(hit);
    const auto& circles = layout().circles;
    if (hit.index >= circles.size()) return;
    const auto& circle = circles[hit.index];
    if (circle.depth != 0 && !circle.isSummary && TreeNavigation::opens(*circle.node)) drill(*circle.node);
}

std::vector<CanvasBase::Hit> BubblesCanvas::keyboardTargets() {
    std::vector<Hit> targets;
    if (!root()) return targets;
    const auto& circles = layout().circles;
    for (std::size_t i = 0; i < circles.size(); ++i)
        if (circles[i].depth == 1 && circles[i].radius > 0) targets.push_back({Hit::item, i});
    return targets;
}

const StorageNode* BubblesCanvas::summedFolder(std::size_t item) {
    const auto& circles = layout().circles;
    if (item >= circles.size() || !circles[item].isSummary) return nullptr;
    // In pre-order the bubble holding it is the nearest one before it a level up.
    for (std::size_t i = item; i-- > 0;)
        if (circles[i].depth == circles[item].depth - 1) return circles[i].node;
    return nullptr;
}

void BubblesCanvas::paintCanvas(QPainter& painter) {
    const Palette& colours = palette();
    const QPointF canvasCentre = QRectF(rect()).center();
    const auto& circles = layout().circles;
    // Over the picture at rest only what lies in the hovered areas is drawn again.
    const std::optional<QRectF> clip =
        painter.hasClipping() ? std::optional(painter.clipBoundingRect()) : std::nullopt;
    const auto outside = [&clip](const BubblesLayout::Circle& circle) {
        return clip && !clip->intersects(QRectF(circle.centre - QPointF(circle.radius, circle.radius),
                                                QSizeF(2 * circle.radius, 2 * circle.radius)));
    };
    for (std::size_t i = 0; i < circles.size(); ++i) {
        const BubblesLayout::Circle& circle = circles[i];
        if (circle.radius <= 0 || outside(circle)) continue;
        const double progress = entrance(levelDelay * circle.depth);
        const double shown = std::clamp(progress, 0.0, 1.0);
        if (shown <= 0) continue;
        // Grown out of the canvas centre, from 70 % to full size.
        const double scale = entranceScale + (1 - entranceScale) * progress;
        const QPointF centre = canvasCentre + (circle.centre - canvasCentre) * scale;
        const double radius = circle.radius * scale;
        const QRectF disc(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
        const bool isRoot = circle.depth == 0;
        const QColor colour = isRoot ? colours.inkTertiary : colours.colorForNode(*circle.node);
        const bool selected = isSelectedNode(*circle.node);
        painter.save();
        painter.setOpacity(painter.opacity() * shown);
        fillRounded(painter, disc, radius,
                    isRoot ? tinted(colours.panel, 0.5)
                           : tinted(colour, std::min((circle.depth * 0.45 + 0.9) * colours.fillStrength, 0.6)));
        const double border = selected ? 1.0 : isHovered(Hit::item, i) ? 0.75 : 0.3;
        strokeInside(painter, disc, radius, tinted(colour, border), selected ? 2 : 1);
        painter.restore();
    }
    // Labels over every bubble, so no child's fill covers its parent's label.
    for (const BubblesLayout::Circle& circle : circles) {
        if (!circle.labelShown || circle.radius <= 0 || outside(circle)) continue;
        const double progress = entrance(levelDelay * circle.depth);
        const double shown = std::clamp(progress, 0.0, 1.0);
        if (shown <= 0) continue;
        const double scale = entranceScale + (1 - entranceScale) * progress;
        painter.save();
        painter.setOpacity(painter.opacity() * shown);
        paintLabel(painter, circle, canvasCentre + (circle.centre - canvasCentre) * scale, scale);
        painter.restore();
    }
}

void BubblesCanvas::paintLabel(QPainter& painter, const BubblesLayout::Circle& circle, QPointF centre, double scale) {
    const Palette& colours = palette();
    // The box at rest, grown with its circle about the circle's centre.
    const QRectF& rest = circle.labelRest;
    const QRectF box(centre + (rest.topLeft() - circle.centre) * scale, rest.size() * scale);
    const QFont name = nameFont(circle, scale);
    const double nameHeight = QFontMetricsF(name).height();
    // A name cut to a few letters says nothing; the card names the bubble.
    const QString shown = fittedText(QString::fromStdString(circle.node->name), name, box.width());
    if (shown.isEmpty()) return;
    drawLine(painter, QRectF(box.left(), box.top(), box.width(), nameHeight), shown, name, colours.ink, Qt::AlignCenter);
    if (!circle.hasSizeText()) return;
    const QFont size = sizeFont(circle, scale);
    drawLine(painter, QRectF(box.left(), box.top() + nameHeight, box.width(), QFontMetricsF(size).height()),
             QString::fromStdString(ByteFormat::string(circle.node->bytes)), size, colours.inkSecondary,
             Qt::AlignCenter);
}

}  // namespace korvane
