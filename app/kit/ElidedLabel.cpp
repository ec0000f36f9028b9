#include "app/kit/ElidedLabel.h"

#include <QPainter>

namespace korvane {

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent, Qt::TextElideMode mode)
    : QLabel(parent), mode_(mode) {
    setTextFormat(Qt::PlainText);
    setText(text);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize ElidedLabel::minimumSizeHint() const {
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")), QLabel::minimumSizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    QString line = text();
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    painter.setPen(palette().color(foregroundRole()));
    painter.setFont(font());
    painter.drawText(area, static_cast<int>(alignment() | Qt::TextSingleLine),
                     fontMetrics().elidedText(line, mode_, area.width()));
}

}  // namespace korvane
