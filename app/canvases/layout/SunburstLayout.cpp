#include "app/canvases/layout/SunburstLayout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/canvases/layout/CanvasHitTest.h"
#include "core/model/SizeSum.h"

namespace korvane {

namespace {

constexpr double startAngle = -0.5 * std::numbers::pi;
constexpr double endAngle = 1.5 * std::numbers::pi;

void collect(const StorageNode& node, int ring, double from, double to, int depth,
             std::vector<SunburstLayout::Arc>& arcs, int branch = 0) {
    if (ring >= depth || node.children.empty()) return;
    SizeSum total;
    for (const auto& child : node.children) total += child.bytes;
    if (total.total() <= 0) return;
    const double span = to - from;
    double cursor = from;
    int firstRingCount = 0;
    for (const auto& child : node.children) {
        if (child.bytes < 1) continue;
        const double childSpan = span * static_cast<double>(child.bytes) / static_cast<double>(total.total());
        const int childBranch = ring == 0 ? firstRingCount++ : branch;
        arcs.push_back({&child, cursor, cursor + childSpan, ring, childBranch});
        if (childSpan > SunburstLayout::minimumParentSpan)
            collect(child, ring + 1, cursor, cursor + childSpan, depth, arcs, childBranch);
        cursor += childSpan;
    }
}

double degrees(double radians) { return radians * 180 / std::numbers::pi; }

}  // namespace

std::vector<SunburstLayout::Arc> SunburstLayout::arcsOf(const StorageNode& node, int ring, double from, double to,
                                                        int depth) {
    std::vector<Arc> arcs;
    collect(node, ring, from, to, depth, arcs);
    return arcs;
}

SunburstLayout SunburstLayout::make(const StorageNode& root, QSizeF size, int depth) {
    SunburstLayout layout;
    const double side = std::max(std::min(size.width(), size.height()), 0.0);
    layout.centre = QPointF(0.5 * size.width(), 0.5 * size.height());
    layout.hole = 0.16 * side;
    layout.depth = std::max(depth, 0);
    if (layout.depth < 1) return layout;
    layout.pitch = 0.94 * (0.5 * side - layout.hole) / layout.depth;
    // Rings thinner than their gap leave no room to draw anything.
    if (!(layout.pitch > ringGap)) return layout;

    layout.arcs = arcsOf(root, 0, startAngle, endAngle, layout.depth);
    layout.byRing_.resize(static_cast<std::size_t>(layout.depth));
    for (std::size_t i = 0; i < layout.arcs.size(); ++i)
        layout.byRing_[static_cast<std::size_t>(layout.arcs[i].ring)].push_back(i);
    return layout;
}

QPainterPath SunburstLayout::path(const Arc& arc) const {
    const double inner = innerRadius(arc.ring), outer = outerRadius(arc.ring);
    const QRectF outerBox(centre.x() - outer, centre.y() - outer, 2 * outer, 2 * outer);
    const QRectF innerBox(centre.x() - inner, centre.y() - inner, 2 * inner, 2 * inner);
    // Qt counts degrees counter-clockwise on screen; these angles run clockwise.
    const double start = -degrees(arc.start), sweep = -degrees(arc.end - arc.start);
    QPainterPath path;
    path.arcMoveTo(outerBox, start);
    path.arcTo(outerBox, start, sweep);
    path.arcTo(innerBox, start + sweep, -sweep);
    path.closeSubpath();
    return path;
}

std::optional<std::size_t> SunburstLayout::arcAt(QPointF point) const {
    if (arcs.empty()) return std::nullopt;
    const auto polar = PolarPoint::of(point, centre);
    if (polar.radius < hole) return std::nullopt;
    const auto ring = static_cast<std::size_t>(std::floor((polar.radius - hole) / pitch));
    if (ring >= byRing_.size() || polar.radius > outerRadius(static_cast<int>(ring))) return std::nullopt;
    const auto& indices = byRing_[ring];
    auto it = std::upper_bound(indices.begin(), indices.end(), polar.angle,
                               [&](double angle, std::size_t i) { return angle < arcs[i].start; });
    if (it == indices.begin()) return std::nullopt;
    --it;
    if (polar.angle < arcs[*it].end) return *it;
    return std::nullopt;
}

const StorageNode& SunburstLayout::centreNode(const StorageNode& root,
                                              std::optional<std::string_view> selectedID) const {
    if (selectedID)
        for (const auto& arc : arcs)
            if (arc.node->id == *selectedID) return *arc.node;
    return root;
}

std::optional<SunburstLayout::Label> SunburstLayout::label(const Arc& arc, QSizeF text, double minimumWidth) const {
    constexpr double padding = 3;
    const double inner = innerRadius(arc.ring), outer = outerRadius(arc.ring);
    const double thickness = outer - inner;
    const double middle = 0.5 * (inner + outer);
    const double mid = 0.5 * (arc.start + arc.end);
    // Half the sector's angle, kept below a right angle for the tangent.
    const double half = std::min(0.5 * (arc.end - arc.start), 0.49 * std::numbers::pi);
    const double h = text.height();
    const QPointF centrePoint = centre + QPointF(std::cos(mid), std::sin(mid)) * middle;

    // Along the ring: the line stays inside the outer arc and between the
    // sector's edges at its inner side.
    double along = 0;
    if (thickness >= h + 2 * padding) {
        const double top = middle + 0.5 * h, bottom = middle - 0.5 * h;
        along = std::min(2 * std::sqrt(std::max(outer * outer - top * top, 0.0)), 2 * bottom * std::tan(half)) -
                2 * padding;
    }
    // Across the ring: the line runs along the radius; its inner end must
    // still be wider than the text is high.
    double across = 0;
    const double acrossLength = thickness - 2 * padding;
    if (acrossLength > 0) {
        const double innerEnd = middle - 0.5 * std::min(acrossLength, text.width());
        if (2 * innerEnd * std::tan(half) >= h + padding) across = acrossLength;
    }

    const double degreesMid = degrees(mid);
    const auto upright = [](double rotation) {
        while (rotation > 90) rotation -= 180;
        while (rotation <= -90) rotation += 180;
        return rotation;
    };
    const Label alongLabel{centrePoint, upright(degreesMid + 90), along};
    const Label acrossLabel{centrePoint, upright(degreesMid), across};
    if (along >= text.width()) return alongLabel;
    if (across >= text.width()) return acrossLabel;
    const Label& wider = along >= across ? alongLabel : acrossLabel;
    if (wider.width < minimumWidth) return std::nullopt;
    return wider;
}

double SunburstLayout::fillOpacity(int ring, bool emphasised) {
    const double base = std::max(0.62 - 0.16 * ring, 0.16);
    return std::min(base + (emphasised ? 0.28 : 0.0), 1.0);
}

}  // namespace korvane
