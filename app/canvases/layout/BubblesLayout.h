#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include "core/model/StorageNode.h"

namespace korvane {

// Nested circles: each child a circle inside its parent with an area that
// follows its share of the parent's bytes, placed greedily on rings around
// the largest one, then the smallest disc around them scaled to fill 86% of
// the parent, below the label the parent writes at its top.
struct BubblesLayout {
    static constexpr int maxDepth = 4;
    // The ring search gives up at this distance and puts the circle on the x axis.
    static constexpr double farthestRing = 40000;
    // Children that would be drawn smaller than this radius (points) are
    // summed into one "N smaller items" bubble, when there are two or more
    // of them and at least one child large enough to draw on its own.
    static constexpr double visibleRadius = 8;
    // The ring search keeps a gap of 1 between circles. Radii are first
    // scaled up so that the smallest is at least this large: with many
    // small children a gap of a whole unit would spread them far apart and
    // shrink every bubble. Two equal children are not scaled (√½ > 0.7).
    static constexpr double smallestSearchRadius = 0.7;
    // A folder packs at most this many bubbles: its largest children and,
    // where it has more, one bubble summing the rest.
    static constexpr std::size_t tightPackLimit = 300;
    // How many children of a folder beyond that limit keep their own bubble.
    static constexpr std::size_t widestKept = 150;

    struct Circle {
        const StorageNode* node = nullptr;
        QPointF centre;
        double radius = 0;
        int depth = 0;  // 0 for the root
        // Whether bubbles of its children are drawn inside it.
        bool holdsChildren = false;
        // Whether it sums its parent's smallest children.
        bool isSummary = false;
        // Whether its label is drawn, and where at rest (see placeLabels).
        bool labelShown = false;
        QRectF labelRest{};
        // The two deepest levels and small circles carry no label.
        bool hasLabel() const { return radius > 20 && depth < 3; }
        bool hasSizeText() const { return hasLabel() && radius > 40; }
        double nameFontSize() const;
        double sizeFontSize() const;
        // The label's box for a label of this size, at most 1.9 radii wide
        // and wholly inside the circle: for the root, and for any bubble with
        // bubbles inside, at the top (its children lie below it), else at
        // the centre.
        QRectF labelBox(QSizeF labelSize) const;
        // Its middle 16 points below the top of the circle, or lower where
        // its corners would cross the edge.
        QRectF topLabelBox(QSizeF labelSize) const;
        QRectF centredLabelBox(QSizeF labelSize) const;
    };
    // What keeps a label off its circle's edge (points).
    static constexpr double labelMargin = 2;
    // The size of a circle's label as drawn.
    using LabelSize = std::function<QSizeF(const Circle&)>;

    std::vector<Circle> circles;  // pre-order: a circle, then each child's circles
    // The nodes of the summing bubbles, which circles point to.
    std::vector<std::shared_ptr<const StorageNode>> summaries;

    // Chooses the labels to draw: from the root down (pre-order, so outer
    // bubbles first), a label whose box would cross one already kept stays
    // hidden; hovering shows its card.
    void placeLabels(const LabelSize& labelSize);

    // With the labels' size, each circle that writes its label at its top
    // keeps its children below it, and the labels to draw are chosen.
    static BubblesLayout make(const StorageNode& root, QSizeF size, const LabelSize& labelSize = {});
    static BubblesLayout make(const StorageNode&& root, QSizeF size, const LabelSize& labelSize = {}) = delete;

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
