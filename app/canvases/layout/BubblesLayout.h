#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include <QPointF>
#include <QSizeF>

#include "core/model/StorageNode.h"

namespace korvane {

// Nested circles: each child a circle inside its parent with an area that
// follows its share of the parent's bytes, placed greedily on rings around
// the largest one and then scaled to fill 86% of the parent.
struct BubblesLayout {
    static constexpr int maxDepth = 4;
    // The ring search gives up at this distance and puts the circle on the x axis.
    static constexpr double farthestRing = 40000;
    // The greedy ring search costs time in the square of the circle count, so
    // a node packs only its 5,000 largest children (at that count the rest
    // would be drawn at 2 points or less anyway on any screen).
    static constexpr std::size_t childLimit = 5000;

    struct Circle {
        const StorageNode* node = nullptr;
        QPointF centre;
        double radius = 0;
        int depth = 0;  // 0 for the root
        // The two deepest levels and small circles carry no label.
        bool hasLabel() const { return radius > 20 && depth < 3; }
        bool hasSizeText() const { return hasLabel() && radius > 40; }
        double nameFontSize() const;
        double sizeFontSize() const;
        // The root's label sits 16 points below the top of its circle.
        double labelOffset() const { return depth == 0 ? 16 - radius : 0; }
    };

    std::vector<Circle> circles;  // pre-order: a circle, then each child's circles

    static BubblesLayout make(const StorageNode& root, QSizeF size);
    static BubblesLayout make(const StorageNode&& root, QSizeF size) = delete;

    // How a candidate centre is checked against the circles already placed:
    // against every one of them, or only against those in neighbouring cells
    // of a uniform grid. Both accept exactly the same candidates.
    enum class CollisionTest { plain, grid };

    // One centre per radius (largest first), around the origin: the first at
    // the origin, each next one at the first angle of the nearest ring where
    // it keeps a gap of 1 to every circle placed so far.
    static std::vector<QPointF> place(const std::vector<double>& radii, CollisionTest test = CollisionTest::grid);

    // The topmost circle under the point.
    std::optional<std::size_t> circleAt(QPointF point) const;
};

}  // namespace korvane
