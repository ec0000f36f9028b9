#include "app/kit/PaletteEnvironment.h"

#include <QLabel>
#include <QVariant>
#include <QWidget>

#include "app/theme/AppFont.h"

namespace korvane {

namespace {

constexpr char themeProperty[] = "korvaneTheme";

}  // namespace

void setEnvironmentPalette(QWidget* root, ThemeID theme) {
    // The property first: restyling on the PaletteChange reads it.
    root->setProperty(themeProperty, static_cast<int>(theme));
    root->setPalette(Palette::forTheme(theme).qtPalette());
}

const Palette& environmentPalette(const QWidget* widget) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        const QVariant theme = w->property(themeProperty);
        if (theme.isValid()) return Palette::forTheme(static_cast<ThemeID>(theme.toInt()));
    }
    return Palette::forTheme(ThemeID::paper);
}

void styleLabel(QLabel* label, const QFont& font, const QColor& color) {
    label->setFont(font);
    // A label a line high by the font's rounded metrics can lose the bottom
    // row of its underscores; it is never less than the whole line.
    const QMargins margins = label->contentsMargins();
    label->setMinimumHeight(AppFont::lineHeight(font) + margins.top() + margins.bottom() +
                            2 * label->margin());
    // Inside a button a label draws in the button's text role: the colour
    // given here is the label's own in either role.
    QPalette colors = label->palette();
    colors.setColor(QPalette::WindowText, color);
    colors.setColor(QPalette::ButtonText, color);
    label->setPalette(colors);
}

}  // namespace korvane
