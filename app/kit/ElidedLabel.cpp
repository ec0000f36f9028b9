#include "app/kit/ElidedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "app/kit/ShownToolTip.h"

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

QString ElidedLabel::shownText() const {
    QString line = text();
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return fontMetrics().elidedText(line, mode_, contentsRect().width());
}

bool ElidedLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        QString line = text();
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (shownText() == line)
            QToolTip::hideText();
        else
            // Marked as rich text so that a name holding "<b>" or "&" shows as itself.
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), wrappingToolTipText(line), this);
        return true;
    }
    return QLabel::event(event);
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.setFont(font());
    painter.drawText(contentsRect(), static_cast<int>(alignment() | Qt::TextSingleLine), shownText());
}

}  // namespace korvane
