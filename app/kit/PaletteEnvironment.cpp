#include "app/kit/PaletteEnvironment.h"

#include <QLabel>
#include <QVariant>
#include <QWidget>

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
    QPalette colors = label->palette();
    colors.setColor(QPalette::WindowText, color);
    label->setPalette(colors);
}

}  // namespace korvane
