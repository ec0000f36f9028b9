#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

namespace korvane {

struct Palette;

// Where a dropdown's list opens relative to its label.
struct DropdownGeometry {
    enum class Direction { down, up };
    // Only trailing lines up the trailing edges; leading and center line up the leading edges.
    enum class Alignment { leading, center, trailing };

    // Padding around the list's rows.
    static constexpr double listPadding = 5;
    // How far the list's near edge sits from the label's far one.
    static constexpr double listOffset = 26;

    // The list's frame for a label frame (both in the same coordinates): its
    // top 26 below the label's top (down) or its bottom 26 above the label's
    // bottom (up), on the aligned edge. `bounds`, when valid, is the screen
    // area the list is moved into where it would stick out.
    static QRectF listFrame(QRectF label, QSizeF list, Direction direction, Alignment alignment,
                            QRectF bounds = {});
    // Where the opening list starts, relative to its frame (it slides into place).
    static QPointF insertionOffset(Direction direction);

    // How the list shows on its way in or out: moved by `offset`, scaled by
    // `scale` about its anchor corner and drawn at `opacity` (clamped when drawn).
    struct Look {
        QPointF offset;
        double scale = 1;
        double opacity = 1;

        // `progress` of the way from `from` to `to`; a spring's overshoot passes 1.
        static Look between(const Look& from, const Look& to, double progress);
        // Maps the list's own coordinates to where they show.
        QTransform transform(QPointF anchor) const;
        friend bool operator==(const Look&, const Look&) = default;
    };
    // The corner the list grows from and shrinks to: the one nearest the
    // label (top for down, bottom for up) on the aligned edge.
    static QPointF anchor(QRectF card, Direction direction, Alignment alignment);
    // The opening list comes from 6 points off, at 94 % and unseen; the
    // closing one goes to 97 % and unseen where it stands.
    static Look insertedLook(Direction direction);
    static Look removedLook();

    static double listRadius(const Palette& palette);
    static double rowRadius(const Palette& palette);
    // The background of a picker's label (theme, disposal).
    static double pickerLabelRadius(const Palette& palette);
};

}  // namespace korvane
