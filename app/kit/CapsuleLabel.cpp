#include "app/kit/CapsuleLabel.h"

#include <QPainter>

#include "app/kit/PaletteEnvironment.h"

namespace korvane {

CapsuleLabel::CapsuleLabel(const QString& text, QMargins padding, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setText(text);
    setContentsMargins(padding);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CapsuleLabel::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(environmentPalette(this).hover);
        const double radius = height() / 2.0;
        painter.drawRoundedRect(QRectF(rect()), radius, radius);
    }
    QLabel::paintEvent(event);
}

}  // namespace korvane
