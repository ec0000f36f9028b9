#include "app/kit/ThemeSwatch.h"

#include <cmath>

#include <QPainter>

#include "app/theme/Palette.h"
#include "app/theme/ThemeSwatchShape.h"

namespace korvane {

ThemeSwatch::ThemeSwatch(ThemeID theme, double size, QWidget* parent)
    : QWidget(parent), theme_(theme), size_(size) {
    setFixedSize(static_cast<int>(std::ceil(1.55 * size)), static_cast<int>(std::ceil(size)));
}

void ThemeSwatch::setTheme(ThemeID theme) {
    theme_ = theme;
    update();
}

void ThemeSwatch::paintEvent(QPaintEvent*) {
    const ThemeSwatchShape shape = ThemeSwatchShape::make(Palette::forTheme(theme_), size_);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(shape.fill);
    painter.drawRoundedRect(shape.frame, shape.radius, shape.radius);
    for (const auto& chip : shape.chips) {
        painter.setBrush(chip.color);
        painter.drawRoundedRect(chip.rect, shape.chipRadius, shape.chipRadius);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(shape.border, 1));
    painter.drawRoundedRect(shape.frame.adjusted(0.5, 0.5, -0.5, -0.5), shape.radius, shape.radius);
}

}  // namespace korvane
