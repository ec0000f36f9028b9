#pragma once

#include <QColor>
#include <QFont>

#include "app/theme/Palette.h"

class QLabel;
class QWidget;

namespace korvane {

// The palette travels down the widget tree like an inherited setting: a root
// names its theme, every widget below (popups included) draws with it, and
// widgets under no root draw in paper. Setting it also gives the stock
// widgets the theme's colours and sends every widget below a PaletteChange,
// on which kit widgets restyle.
void setEnvironmentPalette(QWidget* root, ThemeID theme);
const Palette& environmentPalette(const QWidget* widget);

// A label's font and text colour.
void styleLabel(QLabel* label, const QFont& font, const QColor& color);

}  // namespace korvane
