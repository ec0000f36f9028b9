#include "app/theme/ButtonLook.h"

#include <algorithm>

#include "app/theme/AppFont.h"
#include "app/theme/Palette.h"

namespace korvane {

QColor withOpacity(QColor color, double opacity) {
    color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return color;
}

QColor mixed(const QColor& from, const QColor& to, double amount) {
    if (amount <= 0) return from;
    if (amount >= 1) return to;
    const auto t = static_cast<float>(amount);
    const auto mix = [t](float a, float b) { return a + (b - a) * t; };
    return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()),
                            mix(from.blueF(), to.blueF()), mix(from.alphaF(), to.alphaF()));
}

ButtonLook solidButtonLook(const Palette& palette, ButtonState state) {
    const bool lifted = state.hovered && state.enabled;
    ButtonLook look;
    look.font = AppFont::font(12, QFont::DemiBold, palette.fontDesign, palette.tracking);
    look.foreground = palette.onSolid;
    look.background = withOpacity(palette.solid, state.enabled ? 1.0 : 0.3);
    look.radius = std::max(palette.radius - 2, 0.0);
    look.padding = QMarginsF(16, 9, 16, 9);
    look.scale = state.pressed ? 0.975 : lifted ? 1.012 : 1.0;
    look.shadow = withOpacity(palette.solid, lifted ? 0.28 : 0.0);
    return look;
}

ButtonLook outlineButtonLook(const Palette& palette, ButtonState state) {
    ButtonLook look;
    look.font = AppFont::font(11, QFont::Medium, palette.fontDesign);
    look.foreground = withOpacity(palette.ink, state.enabled ? 1.0 : 0.35);
    look.background = state.pressed                      ? palette.hover
                      : state.hovered && state.enabled ? withOpacity(palette.hover, 0.6)
                                                       : palette.panel;
    look.border = palette.hairline;
    look.radius = std::max(palette.radius - 2, 0.0);
    look.padding = QMarginsF(13, 7, 13, 7);
    look.scale = state.pressed ? 0.98 : 1.0;
    look.shadow = Qt::transparent;
    return look;
}

}  // namespace korvane
