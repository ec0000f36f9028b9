#include "app/canvases/CanvasBlurb.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "app/kit/ShownToolTip.h"

namespace korvane {

namespace {

// Where a description may end early and still say something whole: before
// a dash or a middle dot between its clauses, or at a comma.
const QString clauseEnds[] = {QStringLiteral(" \u2014 "), QStringLiteral(" \u00b7 "), QStringLiteral(", ")};

}  // namespace

CanvasBlurb::CanvasBlurb(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QString CanvasBlurb::shortened(const QString& text, const std::function<qreal(const QString&)>& widthOf,
                               qreal width) {
    const QString line = text.simplified();
    if (widthOf(line) <= width) return line;
    // The longest run of whole clauses that fits; a cut clause says nothing true.
    qsizetype end = line.size();
    while (true) {
        qsizetype next = -1;
        for (const QString& clauseEnd : clauseEnds)
            next = std::max(next, line.lastIndexOf(clauseEnd, end - 1));
        if (next <= 0) return {};
        if (widthOf(line.left(next)) <= width) return line.left(next);
        end = next;
    }
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
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), wrappingToolTipText(text()),
                               this);
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
