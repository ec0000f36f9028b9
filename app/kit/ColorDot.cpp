#include "app/kit/ColorDot.h"

#include <QPainter>

namespace korvane {

ColorDot::ColorDot(const QColor& color, int diameter, QWidget* parent) : QWidget(parent), color_(color) {
    setFixedSize(diameter, diameter);
}

void ColorDot::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void ColorDot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color_);
    painter.drawEllipse(QRectF(rect()));
}

}  // namespace korvane
