#include "app/canvases/SunburstCanvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/canvases/CanvasPaint.h"
#include "app/theme/Palette.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

// Sectors never overlap, so a fill at an opacity over the canvas is painted
// as the opaque colour it gives there: the raster engine fills thousands of
// opaque sectors far faster than translucent ones.
QColor over(const QColor& top, double opacity, const QColor& ground) {
    const double a = std::clamp(opacity, 0.0, 1.0);
    const auto mix = [a](int t, int g) { return static_cast<int>(std::lround(t * a + g * (1 - a))); };
    return {mix(top.red(), ground.red()), mix(top.green(), ground.green()), mix(top.blue(), ground.blue())};
}

}  // namespace

SunburstCanvas::SunburstCanvas(const CanvasParts& parts, QWidget* parent)
    : LayoutCanvas<SunburstLayout>(parts, CanvasMode::sunburst, parent) {}

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

std::vector<CanvasBase::Hit> SunburstCanvas::keyboardTargets() {
    std::vector<Hit> targets;
    if (!root()) return targets;
    const auto& arcs = layout().arcs;
    for (std::size_t i = 0; i < arcs.size(); ++i)
        if (arcs[i].end > arcs[i].start) targets.push_back({Hit::item, i});
    return targets;
}

QRectF SunburstCanvas::targetRect(const Hit& hit) {
    const SunburstLayout& sun = layout();
    if (hit.index >= sun.arcs.size()) return {};
    // The middle of the sector, across and along its ring.
    const SunburstLayout::Arc& arc = sun.arcs[hit.index];
    const double angle = (arc.start + arc.end) / 2;
    const double radius = (sun.innerRadius(arc.ring) + sun.outerRadius(arc.ring)) / 2;
    const QPointF middle = sun.centre + QPointF(std::cos(angle), std::sin(angle)) * radius;
    return {middle - QPointF(1, 1), QSizeF(2, 2)};
}

std::optional<CanvasBase::Hit> SunburstCanvas::step(const Hit& from, KeyboardStep::Direction direction) {
    using Direction = KeyboardStep::Direction;
    const auto& arcs = layout().arcs;
    if (from.index >= arcs.size()) return std::nullopt;
    const int ring = arcs[from.index].ring;
    const auto shown = [&](std::size_t i) { return arcs[i].end > arcs[i].start; };
    switch (direction) {
        case Direction::up:
            // In pre-order the parent is the nearest sector before it a ring in.
            for (std::size_t i = from.index; i-- > 0;)
                if (arcs[i].ring < ring) return shown(i) ? std::optional(Hit{Hit::item, i}) : std::nullopt;
            return std::nullopt;
        case Direction::down: {
            const std::size_t next = from.index + 1;
            if (next < arcs.size() && arcs[next].ring == ring + 1 && shown(next)) return Hit{Hit::item, next};
            return std::nullopt;
        }
        case Direction::left:
        case Direction::right: {
            // The ring's sectors lie in pre-order clockwise from twelve o'clock.
            std::vector<std::size_t> around;
            for (std::size_t i = 0; i < arcs.size(); ++i)
                if (arcs[i].ring == ring && shown(i)) around.push_back(i);
            const auto at = std::find(around.begin(), around.end(), from.index);
            if (at == around.end() || around.size() < 2) return std::nullopt;
            const auto position = static_cast<std::size_t>(at - around.begin());
            const std::size_t count = around.size();
            const std::size_t to = direction == Direction::right ? (position + 1) % count : (position + count - 1) % count;
            return Hit{Hit::item, around[to]};
        }
    }
    return std::nullopt;
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
        // Nodes without a category (a folder scan) take their branch's colour.
        const QColor base = arc.node->category
                                ? colours.colorForCategory(*arc.node->category)
                                : colours.categorical[static_cast<std::size_t>(arc.branch) % colours.categorical.size()];
        const bool emphasised = isHovered(Hit::item, i) || isSelectedNode(*arc.node);
        const QColor fill = over(base, SunburstLayout::fillOpacity(arc.ring, emphasised), colours.canvas);
        const QPainterPath path = sun.path(arc);
        if (clip && !clip->intersects(path.controlPointRect().adjusted(-1, -1, 1, 1))) continue;
        painter.setPen(separator);
        painter.setBrush(fill);
        painter.drawPath(path);
    }
    paintArcLabels(painter, sun);
    paintCentreLabel(painter);
}

namespace {

const QFont& arcFont() {
    static const QFont font = AppFont::font(10, QFont::Medium);
    return font;
}

}  // namespace

const std::vector<SunburstCanvas::ArcLabel>& SunburstCanvas::arcLabels(const SunburstLayout& sun) {
    if (labelsBuild_ == layoutBuilds()) return labels_;
    labelsBuild_ = layoutBuilds();
    labels_.clear();
    const QFontMetricsF metrics(arcFont());
    const double height = metrics.height();
    constexpr double shortest = 30;  // a stub shorter than this reads as nothing
    for (std::size_t i = 0; i < sun.arcs.size(); ++i) {
        const auto& arc = sun.arcs[i];
        // Most sectors of a large tree are far too thin for any text.
        if ((arc.end - arc.start) * sun.innerRadius(arc.ring) < height) continue;
        const QString name = QString::fromStdString(arc.node->name);
        const auto place = sun.label(arc, {metrics.horizontalAdvance(name), height}, shortest);
        if (!place) continue;
        const QString shown = fittedText(name, arcFont(), place->width);
        if (shown.isEmpty()) continue;
        labels_.push_back({i, *place, shown});
    }
    return labels_;
}

void SunburstCanvas::paintArcLabels(QPainter& painter, const SunburstLayout& sun) {
    const auto& labels = arcLabels(sun);
    if (labels.empty()) return;
    const Palette& colours = palette();
    const double ratio = painter.device()->devicePixelRatio();
    if (layerBuild_ != labelsBuild_ || layerPalette_ != &colours || layerRatio_ != ratio ||
        labelLayer_.size() != size() * ratio) {
        layerBuild_ = labelsBuild_;
        layerPalette_ = &colours;
        layerRatio_ = ratio;
        labelLayer_ = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
        labelLayer_.setDevicePixelRatio(ratio);
        labelLayer_.fill(Qt::transparent);
        QPainter layer(&labelLayer_);
        layer.setRenderHint(QPainter::Antialiasing);
        layer.setRenderHint(QPainter::TextAntialiasing);
        layer.setFont(arcFont());
        layer.setPen(colours.ink);
        const double height = QFontMetricsF(arcFont()).height();
        for (const ArcLabel& label : labels) {
            layer.save();
            layer.translate(label.place.centre);
            layer.rotate(label.place.rotation);
            layer.drawText(QRectF(-label.place.width / 2, -height / 2, label.place.width, height), Qt::AlignCenter,
                           label.text);
            layer.restore();
        }
    }
    painter.drawImage(QRectF(rect()), labelLayer_);
}

QString SunburstCanvas::restingDescription() {
    // The centre names the selected node, or the root.
    const StorageNode& node = layout().centreNode(*root(), navigation().selectedID());
    return QString::fromStdString(node.name + ", " + ByteFormat::string(node.bytes));
}

void SunburstCanvas::paintCentreLabel(QPainter& painter) {
    static const QFont nameFont = AppFont::font(11, QFont::DemiBold);
    static const QFont sizeFont = AppFont::font(12, QFont::Medium);
    const Palette& colours = palette();
    const SunburstLayout& sun = layout();
    const StorageNode& node = sun.centreNode(*root(), navigation().selectedID());
    const double width = std::max(sun.labelWidth(), 1.0);

    // At most two lines of name, centred, split only between folders or words.
    const QStringList lines = fittedTextLines(QString::fromStdString(node.name), nameFont, width, 2);

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
