#include "app/kit/ThemedStyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <QStyleOption>

namespace korvane {

ThemedStyle::ThemedStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

void ThemedStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const {
    const bool isCheckBox = element == PE_IndicatorCheckBox;
    if (!isCheckBox && element != PE_IndicatorRadioButton) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QPalette& colors = option->palette;
    const bool on = option->state & State_On;
    const bool partly = option->state & State_NoChange;
    const bool enabled = option->state & State_Enabled;
    const QRectF box = QRectF(option->rect).adjusted(1.5, 1.5, -1.5, -1.5);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QColor edge = colors.color(QPalette::Text);
    edge.setAlphaF(enabled ? 0.55 : 0.3);
    QColor fill = (on || partly) ? colors.color(QPalette::Highlight) : colors.color(QPalette::Base);
    if (!enabled && (on || partly)) fill.setAlphaF(0.45);
    painter->setPen(on || partly ? QPen(fill, 1) : QPen(edge, 1));
    painter->setBrush(fill);
    if (isCheckBox)
        painter->drawRoundedRect(box, 3, 3);
    else
        painter->drawEllipse(box);

    const QColor mark = colors.color(QPalette::HighlightedText);
    if (isCheckBox && on) {
        QPainterPath tick;
        tick.moveTo(box.left() + box.width() * 0.22, box.top() + box.height() * 0.52);
        tick.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.72);
        tick.lineTo(box.left() + box.width() * 0.78, box.top() + box.height() * 0.30);
        painter->setPen(QPen(mark, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(tick);
    } else if (isCheckBox && partly) {
        painter->setPen(QPen(mark, 1.6, Qt::SolidLine, Qt::RoundCap));
        const double y = box.center().y();
        painter->drawLine(QPointF(box.left() + box.width() * 0.25, y), QPointF(box.right() - box.width() * 0.25, y));
    } else if (!isCheckBox && on) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(mark);
        const double r = box.width() * 0.2;
        painter->drawEllipse(box.center(), r, r);
    }
    painter->restore();
}

}  // namespace korvane
