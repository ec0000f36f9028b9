#pragma once

#include <array>

#include <QColor>
#include <QRectF>

namespace korvane {

struct Palette;

// A miniature of a theme: its canvas as a rounded card with three chips of
// its categorical colours (0, 3 and 6), framed by its hairline. Every measure
// is a fraction of the height.
struct ThemeSwatchShape {
    struct Chip {
        QRectF rect;
        QColor color;
    };

    QRectF frame;  // 1.55 s × s at the origin
    double radius = 0;
    QColor fill;
    QColor border;
    double chipRadius = 0;
    std::array<Chip, 3> chips;

    static ThemeSwatchShape make(const Palette& palette, double size);
};

}  // namespace korvane
