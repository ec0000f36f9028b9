#include "app/canvases/layout/MindMapLayout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/canvases/layout/CanvasHitTest.h"
#include "app/canvases/layout/VisibleChildren.h"

namespace korvane {

namespace {

// The first ring keeps its largest dots (28 points) clear of the root's
// disc, however small the canvas: the rings beyond share what is left.
constexpr double firstRingClearance = 0.5 * MindMapLayout::rootDot + 14 + 4;

struct Placement {
    const StorageNode& root;
    int maxDepth;
    double radius;
    double ringSpacing;
    QPointF centre;
    std::vector<MindMapLayout::Dot>& dots;

    double ringDistance(int depth) const {
        if (depth == 0) return 0;
        const double first = std::max(ringSpacing, std::min(firstRingClearance, radius));
        return first + (radius - first) * (depth - 1) / std::max(maxDepth - 1, 1);
    }

    void place(const StorageNode& node, int depth, std::optional<std::size_t> parent, double from, double to) {
        const double angle = (from + to) * 0.5;
        const double distance = ringDistance(depth);
        MindMapLayout::Dot dot;
        dot.node = &node;
        dot.point = centre + QPointF(std::cos(angle) * distance, std::sin(angle) * distance);
        dot.parent = parent;
        dot.depth = depth;
        if (depth > 0) {
            const double share = std::min(static_cast<double>(node.bytes) /
                                              static_cast<double>(std::max<std::int64_t>(root.bytes, 1)),
                                          1.0);
            dot.dotRadius = std::sqrt(std::max(share, 0.0)) * 22 + 6;
        }
        const std::size_t index = dots.size();
        dots.push_back(dot);
        if (depth >= maxDepth) return;

        const auto kept =
            visibleChildren(node, depth == 0 ? MindMapLayout::rootChildLimit : MindMapLayout::childLimit);
        double total = 0;
        for (const auto* child : kept) total += std::sqrt(static_cast<double>(child->bytes));
        if (!(total > 0)) return;
        double cursor = from;
        for (const auto* child : kept) {
            const double end = cursor + (to - from) * std::sqrt(static_cast<double>(child->bytes)) / total;
            place(*child, depth + 1, index, cursor, end);
            cursor = end;
        }
    }
};

}  // namespace

MindMapLayout MindMapLayout::make(const StorageNode& root, QSizeF size, int maxDepth) {
    MindMapLayout layout;
    layout.centre = QPointF(0.5 * size.width(), 0.5 * size.height());
    layout.radius = std::max(0.5 * std::min(size.width(), size.height()) - 42, 40.0);
    layout.ringSpacing = layout.radius / std::max(maxDepth, 1);
    Placement{root, maxDepth, layout.radius, layout.ringSpacing, layout.centre, layout.dots}.place(
        root, 0, std::nullopt, -0.5 * std::numbers::pi, 1.5 * std::numbers::pi);
    return layout;
}

QRectF MindMapLayout::labelBox(const Dot& dot, QSizeF labelSize, bool below) {
    const double top = below ? dot.point.y() + 0.5 * dot.dotRadius + 4 : dot.point.y() - dot.dotRadius - 16;
    return {dot.point.x() - 0.5 * labelSize.width(), top, labelSize.width(), labelSize.height()};
}

void MindMapLayout::placeLabels(const std::function<QSizeF(const StorageNode&)>& labelSize) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < dots.size(); ++i) {
        dots[i].labelShown = false;
        dots[i].labelBelow = false;
        if (dots[i].hasLabel()) order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return dots[a].node->bytes > dots[b].node->bytes; });
    const auto crossesRoot = [this](const QRectF& box) {
        if (dots.empty()) return false;
        const Dot& root = dots.front();
        const QPointF nearest(std::clamp(root.point.x(), box.left(), box.right()),
                              std::clamp(root.point.y(), box.top(), box.bottom()));
        const QPointF d = nearest - root.point;
        return std::hypot(d.x(), d.y()) < 0.5 * root.dotRadius;
    };
    std::vector<QRectF> kept;
    const auto isFree = [&](const QRectF& box) {
        return !crossesRoot(box) &&
               std::none_of(kept.begin(), kept.end(), [&](const QRectF& other) { return other.intersects(box); });
    };
    for (const std::size_t i : order) {
        const QSizeF size = labelSize(*dots[i].node);
        for (const bool below : {false, true}) {
            const QRectF box = labelBox(dots[i], size, below);
            if (!isFree(box)) continue;
            kept.push_back(box);
            dots[i].labelShown = true;
            dots[i].labelBelow = below;
            break;
        }
    }
}

double MindMapLayout::linkWidth(int depth) { return std::max(3.2 - depth, 0.8); }

double MindMapLayout::clampZoom(double zoom) { return std::clamp(zoom, minimumZoom, maximumZoom); }

std::string MindMapLayout::zoomText(double zoom) {
    return std::to_string(static_cast<long long>(zoom * 100)) + "%";
}

QPointF MindMapLayout::toMap(QPointF point, double zoom, QPointF pan) const {
    const double z = zoom > 0 ? zoom : 1;
    return centre + (point - pan - centre) / z;
}

std::optional<std::size_t> MindMapLayout::dotAt(QPointF mapPoint) const {
    return topmostHit(dots, mapPoint, [](const Dot& dot, QPointF p) {
        const QPointF d = p - dot.point;
        return std::hypot(d.x(), d.y()) <= 0.5 * dot.dotRadius;
    });
}

}  // namespace korvane
