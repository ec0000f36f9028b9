#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include <QPainterPath>
#include <QPointF>
#include <QSizeF>

#include "core/model/StorageNode.h"

namespace korvane {

// Rings of annular sectors around an empty centre: the root's children on the
// first ring, each sector's children on the next, every child's angle its
// share of its parent's angle, in the tree's order clockwise from twelve
// o'clock. Angles are radians from the positive x axis towards the positive
// y axis (down on screen).
struct SunburstLayout {
    // Below this span (radians, about a degree) a sector gets nothing beneath it.
    static constexpr double minimumParentSpan = 0.017;
    static constexpr double ringGap = 1.5;

    struct Arc {
        const StorageNode* node = nullptr;
        double start = 0;
        double end = 0;
        int ring = 0;  // 0 for the root's children
        // Position of its first-ring ancestor (itself on the first ring)
        // among the first ring's sectors: sectors of one branch share a colour.
        int branch = 0;
    };

    // Where a sector's name is written: centred on `centre`, turned by
    // `rotation` degrees (clockwise on screen), at most `width` long.
    struct Label {
        QPointF centre;
        double rotation = 0;
        double width = 0;
    };

    QPointF centre;
    double hole = 0;   // radius of the empty centre
    double pitch = 0;  // from one ring's inner edge to the next one's
    int depth = 0;
    // In pre-order: a sector, then everything beneath it, then its next sibling.
    std::vector<Arc> arcs;

    // Shapes point into the tree, which must outlive the layout.
    static SunburstLayout make(const StorageNode& root, QSizeF size, int depth);
    static SunburstLayout make(const StorageNode&& root, QSizeF size, int depth) = delete;
    // The sectors of `node`'s children on `ring` and below, over [from, to).
    static std::vector<Arc> arcsOf(const StorageNode& node, int ring, double from, double to, int depth);

    double innerRadius(int ring) const { return hole + ring * pitch; }
    double outerRadius(int ring) const { return innerRadius(ring) + pitch - ringGap; }
    double labelWidth() const { return 1.7 * hole; }

    // The sector's outline: outer arc clockwise, inner arc back, closed.
    QPainterPath path(const Arc& arc) const;
    // The sector under the point; nothing in the hole, in the gaps between
    // rings, outside the last ring or past the last sector of a ring.
    std::optional<std::size_t> arcAt(QPointF point) const;

    // The node the centre label names: the first sector whose node has the
    // selected id, else the root.
    const StorageNode& centreNode(const StorageNode& root, std::optional<std::string_view> selectedID) const;

    // Where a name of this size is best written inside the sector: along
    // the ring when the whole name fits there, else across it when it fits
    // there, else wherever more of it fits; nothing when not even a short
    // stub of `minimumWidth` fits.
    std::optional<Label> label(const Arc& arc, QSizeF text, double minimumWidth) const;

    // Fill opacity of a sector of a categorised node (uncategorised nodes take
    // the hover colour at full opacity instead).
    static double fillOpacity(int ring, bool emphasised);

private:
    // Per ring, the indices of its arcs: pre-order visits them in angle order.
    std::vector<std::vector<std::size_t>> byRing_;
};

}  // namespace korvane
