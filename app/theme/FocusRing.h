#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace korvane {

struct Palette;

// The keyboard focus on a control: a ring just inside its edge in the accent
// colour. Where the control's own fill is too close to the accent for the
// ring to stand out (a solid button in a theme whose solid colour is its
// accent), the ring is drawn a little further in, on the fill, in the
// palette's colour that stands out most from it.
struct FocusRing {
    // What a focus indicator needs against what it is drawn on.
    static constexpr double contrast = 3.0;
    static constexpr double width = 1.5;

    // The ring's colour on `ground`, the colour right under it.
    static QColor color(const Palette& palette, const QColor& ground);
    // How far in from the edge the ring's line runs.
    static double inset(const Palette& palette, const QColor& ground);
    // Draws the ring of a control with `bounds` and corner `radius` whose
    // edge stands on `ground`.
    static void paint(QPainter& painter, const QRectF& bounds, double radius, const Palette& palette,
                      const QColor& ground);
};

}  // namespace korvane
