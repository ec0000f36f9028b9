#pragma once

#include <QColor>
#include <QFont>
#include <QMarginsF>

namespace korvane {

struct Palette;

// What the pointer and the enabled flag say about a button right now.
struct ButtonState {
    bool enabled = true;
    bool hovered = false;
    bool pressed = false;
};

// How a kit button draws in one state.
struct ButtonLook {
    QFont font;
    QColor foreground;
    QColor background;
    QColor border;  // invalid: no border
    double radius = 0;
    QMarginsF padding;
    double scale = 1;
    QColor shadow;  // transparent: no shadow

    friend bool operator==(const ButtonLook&, const ButtonLook&) = default;
};

// The filled primary button.
ButtonLook solidButtonLook(const Palette& palette, ButtonState state);
// The outlined secondary button.
ButtonLook outlineButtonLook(const Palette& palette, ButtonState state);

// A colour at a fraction of its own opacity.
QColor withOpacity(QColor color, double opacity);
// The colour `amount` of the way from `from` to `to` (0 … 1, clamped), its
// opacity too: a look moving to another.
QColor mixed(const QColor& from, const QColor& to, double amount);

}  // namespace korvane
