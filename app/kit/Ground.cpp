#include "app/kit/Ground.h"

#include <QPainter>

#include "app/kit/PaletteEnvironment.h"

namespace korvane {

Ground::Ground(QColor Palette::*color, Rule rule, QWidget* parent) : QWidget(parent), color_(color), rule_(rule) {}

void Ground::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    painter.fillRect(rect(), palette.*color_);
    if (rule_ == Rule::top) painter.fillRect(QRect(0, 0, width(), 1), palette.hairline);
}

}  // namespace korvane
