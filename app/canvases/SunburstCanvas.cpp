#include "app/canvases/SunburstCanvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include "app/canvases/CanvasPaint.h"
#include "app/theme/Palette.h"
#include "core/text/ByteFormat.h"

namespace korvane {

SunburstCanvas::SunburstCanvas(AppState& state, QWidget* parent)
    : LayoutCanvas<SunburstLayout>(state, AppState::CanvasMode::sunburst, parent) {}

SunburstLayout SunburstCanvas::buildLayout(const StorageNode& root, QSizeF size) {
    return SunburstLayout::make(root, size, depth());
}

QRectF SunburstCanvas::itemBounds(std::size_t item) { return item < layout().arcs.size() ? QRectF(rect()) : QRectF(); }

const StorageNode* SunburstCanvas::itemNode(std::size_t item) {
    const auto& arcs = layout().arcs;
    return item < arcs.size() ? arcs[item].node : nullptr;
}

std::optional<CanvasBase::Hit> SunburstCanvas::hitAt(QPointF point) {
    if (const auto arc = layout().arcAt(point)) return Hit{Hit::item, *arc};
    return std::nullopt;
}

void SunburstCanvas::doubleClicked(const Hit& hit) {
    if (const StorageNode* node = itemNode(hit.index)) drill(*node);
}

QRectF SunburstCanvas::hoverArea(const Hit& hit) {
    const auto& arcs = layout().arcs;
    if (hit.index >= arcs.size()) return {};
    return layout().path(arcs[hit.index]).controlPointRect().adjusted(-2, -2, 2, 2);
}

void SunburstCanvas::paintCanvas(QPainter& painter) {
    const Palette& colours = palette();
    const SunburstLayout& sun = layout();
    const QPen separator(colours.canvas, 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    // Over the resting picture only the hovered sectors are drawn again.
    const std::optional<QRectF> clip =
        painter.hasClipping() ? std::optional(painter.clipBoundingRect()) : std::nullopt;
    for (std::size_t i = 0; i < sun.arcs.size(); ++i) {
        const SunburstLayout::Arc& arc = sun.arcs[i];
        // A sector whose outer edge is under a point long is all separator
        // line: the canvas colour it would leave is what is there already.
        // Skipping it keeps a ring of 100,000 sectors paintable.
        if ((arc.end - arc.start) * sun.outerRadius(arc.ring) < 1) continue;
        QColor fill = colours.hover;
        if (arc.node->category) {
            const bool emphasised = isHovered(Hit::item, i) || isSelectedNode(*arc.node);
            fill = tinted(colours.colorForCategory(*arc.node->category),
                               SunburstLayout::fillOpacity(arc.ring, emphasised));
        }
        const QPainterPath path = sun.path(arc);
        if (clip && !clip->intersects(path.controlPointRect().adjusted(-1, -1, 1, 1))) continue;
        painter.setPen(separator);
        painter.setBrush(fill);
        painter.drawPath(path);
    }
    paintCentreLabel(painter);
}

void SunburstCanvas::paintCentreLabel(QPainter& painter) {
    static const QFont nameFont = AppFont::font(11, QFont::DemiBold);
    static const QFont sizeFont = AppFont::font(12, QFont::Medium);
    const Palette& colours = palette();
    const SunburstLayout& sun = layout();
    const StorageNode& node = sun.centreNode(*root(), state().selectedID());
    const double width = std::max(sun.labelWidth(), 1.0);

    // At most two lines of name, centred, the second elided.
    QStringList lines;
    const QString name = QString::fromStdString(node.name);
    QTextLayout text(name, nameFont);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    text.setTextOption(option);
    text.beginLayout();
    for (int i = 0; i < 2; ++i) {
        QTextLine line = text.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        QString part = name.mid(line.textStart(), line.textLength()).trimmed();
        if (i == 1 && line.textStart() + line.textLength() < name.size())
            part = QFontMetricsF(nameFont).elidedText(name.mid(line.textStart()), Qt::ElideRight, width);
        lines << part;
    }
    text.endLayout();

    const QFontMetricsF nameMetrics(nameFont), sizeMetrics(sizeFont);
    const double height = nameMetrics.height() * static_cast<double>(lines.size()) + 1 + sizeMetrics.height();
    const QPointF centre = sun.centre;
    double y = centre.y() - height / 2;
    for (const QString& line : lines) {
        drawLine(painter, QRectF(centre.x() - width / 2, y, width, nameMetrics.height()), line, nameFont, colours.ink,
                 Qt::AlignCenter);
        y += nameMetrics.height();
    }
    y += 1;
    drawLine(painter, QRectF(centre.x() - width / 2, y, width, sizeMetrics.height()),
             QString::fromStdString(ByteFormat::string(node.bytes)), sizeFont, colours.inkSecondary, Qt::AlignCenter);
}

}  // namespace korvane
