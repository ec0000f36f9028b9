#include "app/kit/Panel.h"

#include <cmath>

#include <QPainter>
#include <QVBoxLayout>

#include "app/kit/PaletteEnvironment.h"

namespace korvane {

Panel::Panel(double padding, QWidget* parent) : QWidget(parent), layout_(new QVBoxLayout(this)) {
    const int inset = static_cast<int>(std::lround(padding));
    layout_->setContentsMargins(inset, inset, inset, inset);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void Panel::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(palette.hairline, 1));
    painter.setBrush(palette.panel);
    painter.drawRoundedRect(card, palette.radius, palette.radius);
}

}  // namespace korvane
