#include "app/canvases/CanvasBlurb.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace korvane {

namespace {

const QString ellipsis = QStringLiteral("\u2026");

// A cut never leaves a dangling separator before the ellipsis.
bool isSeparator(QChar c) {
    return c.isSpace() || c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char(':') ||
           c == QChar(0x00B7) || c == QChar(0x2014) || c == QChar(0x2013) || c == QLatin1Char('-');
}

}  // namespace

CanvasBlurb::CanvasBlurb(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QString CanvasBlurb::shortened(const QString& text, const std::function<qreal(const QString&)>& widthOf,
                               qreal width) {
    QString line = text.simplified();
    if (widthOf(line) <= width) return line;
    // The longest run of whole words that fits with the ellipsis.
    for (qsizetype at = line.lastIndexOf(QLatin1Char(' ')); at > 0; at = line.lastIndexOf(QLatin1Char(' '), at - 1)) {
        qsizetype end = at;
        while (end > 0 && isSeparator(line[end - 1])) --end;
        if (end == 0) break;
        QString candidate = line.left(end) + ellipsis;
        if (widthOf(candidate) <= width) return candidate;
    }
    return {};
}

QString CanvasBlurb::shownText() const {
    const QFontMetricsF metrics(font());
    return shortened(
        text(), [&metrics](const QString& candidate) { return metrics.horizontalAdvance(candidate); },
        contentsRect().width());
}

QSize CanvasBlurb::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

bool CanvasBlurb::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        // The whole text, only where it does not show whole.
        const QString shown = shownText();
        if (shown == text().simplified() || text().isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                               QStringLiteral("<qt>%1</qt>").arg(text().toHtmlEscaped()), this);
        return true;
    }
    return QLabel::event(event);
}

void CanvasBlurb::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.setFont(font());
    painter.drawText(contentsRect(), static_cast<int>(alignment() | Qt::TextSingleLine), shownText());
}

}  // namespace korvane
