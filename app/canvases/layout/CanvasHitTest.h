#pragma once

#include <cmath>
#include <cstddef>
#include <numbers>
#include <optional>

#include <QPointF>
#include <QRectF>

namespace korvane {

// Half-open containment (left and top edges in, right and bottom out), so a
// point on the line between two neighbours belongs to exactly one of them.
inline bool inside(const QRectF& rect, QPointF point) {
    return point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top() &&
           point.y() < rect.bottom();
}

// The item drawn last that contains the point: canvases paint in list order,
// so the topmost hit is found by walking the list backwards.
template <typename Items, typename Contains>
std::optional<std::size_t> topmostHit(const Items& items, QPointF point, Contains contains) {
    for (std::size_t i = items.size(); i-- > 0;)
        if (contains(items[i], point)) return i;
    return std::nullopt;
}

// A point seen from a centre: its distance, and its angle in radians from the
// positive x axis towards the positive y axis (down on screen), brought into
// [−π/2, 3π/2) so that it compares directly with the radial canvases' spans,
// which start at twelve o'clock and run clockwise.
struct PolarPoint {
    double radius = 0;
    double angle = 0;

    static PolarPoint of(QPointF point, QPointF centre) {
        const double dx = point.x() - centre.x();
        const double dy = point.y() - centre.y();
        double angle = std::atan2(dy, dx);
        if (angle < -0.5 * std::numbers::pi) angle += 2 * std::numbers::pi;
        return {std::hypot(dx, dy), angle};
    }
};

}  // namespace korvane
