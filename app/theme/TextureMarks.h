#pragma once

#include <vector>

#include <QRectF>
#include <QSizeF>

#include "app/theme/Texture.h"

namespace korvane {

// One filled rectangle of a background texture, drawn in the ink colour at
// the given opacity.
struct TextureMark {
    QRectF rect;
    double opacity = 0;

    friend bool operator==(const TextureMark&, const TextureMark&) = default;
};

// The marks of a texture over an area. The random textures restart from a
// fixed seed, so the same size always gives the same marks.
std::vector<TextureMark> textureMarks(Texture texture, QSizeF size);

}  // namespace korvane
