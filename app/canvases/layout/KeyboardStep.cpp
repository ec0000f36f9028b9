#include "app/canvases/layout/KeyboardStep.h"

#include <cmath>
#include <limits>
#include <tuple>

namespace korvane {

namespace {

using Direction = KeyboardStep::Direction;

// Room for edges that meet but were rounded apart.
constexpr double edgeTolerance = 0.5;
// Shapes of one row start this close to each other.
constexpr double rowTolerance = 1;

// A shape's extent along the arrow's axis and across it, turned so that the
// arrow points towards growing values.
struct Extent {
    double start, end, crossStart, crossEnd;
    double centre() const { return (start + end) / 2; }
    double crossCentre() const { return (crossStart + crossEnd) / 2; }
};

Extent extent(const QRectF& rect, Direction direction) {
    switch (direction) {
        case Direction::right:
            return {rect.left(), rect.right(), rect.top(), rect.bottom()};
        case Direction::left:
            return {-rect.right(), -rect.left(), rect.top(), rect.bottom()};
        case Direction::down:
            return {rect.top(), rect.bottom(), rect.left(), rect.right()};
        case Direction::up:
            return {-rect.bottom(), -rect.top(), rect.left(), rect.right()};
    }
    return {};
}

// How far apart two intervals lie: 0 where they overlap.
double gapBetween(double aStart, double aEnd, double bStart, double bEnd) {
    return std::max({bStart - aEnd, aStart - bEnd, 0.0});
}

}  // namespace

std::optional<std::size_t> KeyboardStep::alongRows(const QRectF& from, std::span<const QRectF> shapes,
                                                   Direction direction) {
    const Extent start = extent(from, direction);
    // Left and right stay in the start's row; up and down go to the next row
    // wherever its shapes end.
    const bool inRow = direction == Direction::left || direction == Direction::right;
    const auto reachable = [&](const QRectF& shape) {
        if (shape.isEmpty()) return false;
        const Extent at = extent(shape, direction);
        if (at.start < start.end - edgeTolerance) return false;
        return !inRow || std::min(at.crossEnd, start.crossEnd) - std::max(at.crossStart, start.crossStart) >
                             edgeTolerance;
    };
    // The nearest row beyond the start's edge.
    double nearest = std::numeric_limits<double>::infinity();
    for (const QRectF& shape : shapes)
        if (reachable(shape)) nearest = std::min(nearest, extent(shape, direction).start - start.end);
    if (!std::isfinite(nearest)) return std::nullopt;
    std::optional<std::size_t> best;
    std::tuple<double, double> bestScore;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (!reachable(shapes[i])) continue;
        const Extent at = extent(shapes[i], direction);
        if (at.start - start.end > nearest + rowTolerance) continue;
        const std::tuple score{gapBetween(start.crossStart, start.crossEnd, at.crossStart, at.crossEnd),
                               std::abs(at.crossCentre() - start.crossCentre())};
        if (!best || score < bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

std::optional<std::size_t> KeyboardStep::scattered(const QRectF& from, std::span<const QRectF> shapes,
                                                   Direction direction) {
    const Extent start = extent(from, direction);
    std::optional<std::size_t> best;
    double bestScore = 0;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (shapes[i].isNull()) continue;
        const Extent at = extent(shapes[i], direction);
        const double along = at.centre() - start.centre();
        const double across = std::abs(at.crossCentre() - start.crossCentre());
        // Within 45 degrees of the arrow: a dot mostly above is not to the right.
        if (along <= edgeTolerance || across > along) continue;
        const double score = along + 2 * across;
        if (!best || score < bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

}  // namespace korvane
