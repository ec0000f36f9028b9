#include "app/kit/PillGroup.h"

#include <QHBoxLayout>
#include <QPainter>

#include "app/kit/PaletteEnvironment.h"

namespace korvane {

PillGroup::PillGroup(double radius, QWidget* parent) : QWidget(parent), radius_(radius), row_(new QHBoxLayout(this)) {
    row_->setContentsMargins(2, 2, 2, 2);
    row_->setSpacing(2);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PillGroup::addPill(QWidget* pill) { row_->addWidget(pill); }

void PillGroup::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(palette.panel);
    painter.setPen(QPen(palette.hairline, 1));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius_, radius_);
}

}  // namespace korvane
