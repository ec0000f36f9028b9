#include "app/kit/Hairline.h"

#include <QPainter>

#include "app/kit/PaletteEnvironment.h"

namespace korvane {

Hairline::Hairline(Qt::Orientation orientation, QWidget* parent) : QWidget(parent) {
    if (orientation == Qt::Horizontal) {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    } else {
        setFixedWidth(1);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }
}

void Hairline::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), environmentPalette(this).hairline);
}

}  // namespace korvane
