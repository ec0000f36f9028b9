#pragma once

#include <QColor>

namespace korvane {

struct Palette;

// The colour a gauge draws its fill in: the theme's accent, or one of the
// fixed warning colours.
enum class GaugeTint { accent, amber, red };

// The load meters (sidebar bars, statistics rings): red above 0.85, amber
// above 0.65, else the accent. Both bounds are strict.
GaugeTint meterTint(double fraction);

QColor tintColor(GaugeTint tint, const Palette& palette);

}  // namespace korvane
