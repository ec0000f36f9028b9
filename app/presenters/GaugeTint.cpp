#include "app/presenters/GaugeTint.h"

#include "app/theme/Palette.h"

namespace korvane {

GaugeTint meterTint(double fraction) {
    if (fraction > 0.85) return GaugeTint::red;
    if (fraction > 0.65) return GaugeTint::amber;
    return GaugeTint::accent;
}

QColor tintColor(GaugeTint tint, const Palette& palette) {
    switch (tint) {
        case GaugeTint::amber: return palette.amber();
        case GaugeTint::red: return palette.red();
        case GaugeTint::accent: break;
    }
    return palette.accent;
}

}  // namespace korvane
