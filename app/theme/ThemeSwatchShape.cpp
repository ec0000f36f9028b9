#include "app/theme/ThemeSwatchShape.h"

#include "app/theme/Palette.h"

namespace korvane {

ThemeSwatchShape ThemeSwatchShape::make(const Palette& palette, double size) {
    ThemeSwatchShape shape;
    shape.frame = QRectF(0, 0, 1.55 * size, size);
    shape.radius = 0.3 * size;
    shape.fill = palette.canvas;
    shape.border = palette.hairline;
    shape.chipRadius = 0.1 * size;
    const double chipWidth = 0.2 * size;
    const double gap = 0.1 * size;
    const double chipHeight = size - 2 * 0.22 * size;
    // The chips stand centred in the card.
    const double rowWidth = 3 * chipWidth + 2 * gap;
    double x = (shape.frame.width() - rowWidth) / 2;
    const double y = (size - chipHeight) / 2;
    constexpr std::size_t chipSlots[] = {0, 3, 6};
    for (std::size_t i = 0; i < 3; ++i) {
        shape.chips[i] = {QRectF(x, y, chipWidth, chipHeight), palette.categorical[chipSlots[i]]};
        x += chipWidth + gap;
    }
    return shape;
}

}  // namespace korvane
