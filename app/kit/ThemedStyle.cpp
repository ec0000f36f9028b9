#include "app/kit/ThemedStyle.h"

#include <algorithm>

#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <QStyleOption>

#include "app/kit/PaletteEnvironment.h"

namespace korvane {

ThemedStyle::ThemedStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

int ThemedStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    if (metric == PM_ScrollBarExtent) return scrollBarExtent;
    if (metric == PM_ScrollBarSliderMin) return scrollBarSliderMinimum;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QRect ThemedStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                                  const QWidget* widget) const {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || bar == nullptr)
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    // The whole bar is the groove: no arrow buttons.
    const QRect groove = bar->rect;
    const bool horizontal = bar->orientation == Qt::Horizontal;
    const int length = horizontal ? groove.width() : groove.height();
    const qint64 range = qint64(bar->maximum) - bar->minimum;
    int sliderLength = length;
    if (range > 0 && bar->pageStep > 0) {
        const qint64 proportional = qint64(length) * bar->pageStep / (range + bar->pageStep);
        sliderLength = static_cast<int>(
            std::clamp<qint64>(proportional, std::min(proxy()->pixelMetric(PM_ScrollBarSliderMin, bar, widget), length),
                               length));
    }
    const int sliderStart = sliderPositionFromValue(bar->minimum, bar->maximum, bar->sliderPosition,
                                                    length - sliderLength, bar->upsideDown);
    const auto along = [&](int start, int size) {
        return horizontal ? QRect(groove.left() + start, groove.top(), size, groove.height())
                          : QRect(groove.left(), groove.top() + start, groove.width(), size);
    };
    QRect rect;
    switch (subControl) {
        case SC_ScrollBarGroove: rect = groove; break;
        case SC_ScrollBarSlider: rect = along(sliderStart, sliderLength); break;
        case SC_ScrollBarSubPage: rect = along(0, sliderStart); break;
        case SC_ScrollBarAddPage:
            rect = along(sliderStart + sliderLength, length - sliderStart - sliderLength);
            break;
        default: break;  // the arrow buttons and ends have no room
    }
    return visualRect(bar->direction, bar->rect, rect);
}

void ThemedStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                     const QWidget* widget) const {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || bar == nullptr) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    // The trough is the background the bar stands on (a scroll area on the
    // rail gives its bars the rail's role); with nothing to scroll there is
    // no handle.
    painter->fillRect(bar->rect, bar->palette.brush(widget != nullptr ? widget->backgroundRole() : QPalette::Window));
    if (bar->maximum <= bar->minimum) return;
    const bool pressed = (bar->state & State_Sunken) && (bar->activeSubControls & SC_ScrollBarSlider);
    const bool hovered = bar->state & State_MouseOver;
    QColor handle = environmentPalette(widget).inkSecondary;
    handle.setAlphaF(pressed ? pressedHandleOpacity : hovered ? hoveredHandleOpacity : handleOpacity);
    const QRectF slider = QRectF(proxy()->subControlRect(control, bar, SC_ScrollBarSlider, widget))
                              .adjusted(scrollBarHandleInset, scrollBarHandleInset, -scrollBarHandleInset,
                                        -scrollBarHandleInset);
    if (slider.isEmpty()) return;
    const double radius = 0.5 * std::min(slider.width(), slider.height());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(handle);
    painter->drawRoundedRect(slider, radius, radius);
    painter->restore();
}

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
