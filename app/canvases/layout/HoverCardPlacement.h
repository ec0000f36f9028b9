#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace korvane {

// Where the hover card goes beside a hovered item.
struct HoverCardPlacement {
    // The estimate used until the card has been measured once.
    static constexpr QSizeF initialSize{178, 180};
    static constexpr double gap = 10;
    static constexpr double margin = 8;

    // The card's top-left corner: centred under the target with a gap, flipped
    // above it when it would come closer than the margin to the bottom edge,
    // then kept the margin away from every edge (the top and left win when the
    // card does not fit).
    static QPointF origin(QRectF target, QSizeF container, QSizeF card);

    // A new measurement replaces the stored size only when it has a height.
    static QSizeF measured(QSizeF stored, QSizeF reported);
};

}  // namespace korvane
