#include "app/kit/ThemedStyle.h"

#include <QDialog>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <QStyleOption>
#include <algorithm>

#include "app/kit/PaletteEnvironment.h"
#include "app/theme/AppFont.h"
#include "app/theme/FocusRing.h"
#include "app/theme/Palette.h"
#include "app/kit/FocusVisibility.h"

namespace korvane {

namespace {

// Controls round their corners a little less than panels do.
double controlRadius(const Palette& palette) { return std::max(palette.radius - 3, 4.0); }

// A box with a one-pixel edge on whole pixels.
void drawBox(QPainter* painter, const QRect& rect, const QBrush& fill, const QColor& edge, double radius,
             double edgeWidth = 1) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(edge.isValid() ? QPen(edge, edgeWidth) : QPen(Qt::NoPen));
    painter->setBrush(fill);
    const double inset = edge.isValid() ? edgeWidth / 2 : 0;
    painter->drawRoundedRect(QRectF(rect).adjusted(inset, inset, -inset, -inset), radius, radius);
    painter->restore();
}

// The face of a combo box, button or tool button in its state.
void drawControlFace(QPainter* painter, const QStyleOption* option, const Palette& palette) {
    const bool enabled = option->state & QStyle::State_Enabled;
    const bool hovered = enabled && (option->state & QStyle::State_MouseOver);
    const bool pressed = enabled && (option->state & (QStyle::State_Sunken | QStyle::State_On));
    const bool focused = enabled && (option->state & QStyle::State_HasFocus) && FocusVisibility::showsRings();
    QColor fill = pressed || hovered ? palette.hover : palette.panel;
    if (!enabled) fill.setAlphaF(0.6f);
    drawBox(painter, option->rect, fill, focused ? FocusRing::color(palette, fill) : palette.hairline,
            controlRadius(palette), focused ? FocusRing::width : 1);
}

// A downward chevron in the secondary ink, centred in the rect.
void drawChevron(QPainter* painter, const QRect& rect, const QColor& color) {
    const QPointF centre = QRectF(rect).center();
    constexpr double half = 3.5;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(color, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->setBrush(Qt::NoBrush);
    const QPointF points[] = {centre + QPointF(-half, -half / 2), centre + QPointF(0, half / 2),
                              centre + QPointF(half, -half / 2)};
    painter->drawPolyline(points, 3);
    painter->restore();
}

// The tick, dash or dot inside a check box or radio button that is on.
void drawIndicatorMark(QPainter* painter, const QRectF& box, const QColor& mark, bool isCheckBox, bool on,
                       bool partly) {
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
        painter->drawLine(QPointF(box.left() + box.width() * 0.25, y),
                          QPointF(box.right() - box.width() * 0.25, y));
    } else if (!isCheckBox && on) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(mark);
        const double r = box.width() * 0.2;
        painter->drawEllipse(box.center(), r, r);
    }
}

// A check box (rounded square) or radio button (circle) from the widget's
// own palette, filled in the highlight while on.
void drawIndicator(QPainter* painter, const QStyleOption* option, bool isCheckBox) {
    const QPalette& colors = option->palette;
    const bool on = option->state & QStyle::State_On;
    const bool partly = option->state & QStyle::State_NoChange;
    const bool enabled = option->state & QStyle::State_Enabled;
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

    drawIndicatorMark(painter, box, colors.color(QPalette::HighlightedText), isCheckBox, on, partly);
    painter->restore();
}

}  // namespace

ThemedStyle::ThemedStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

void ThemedStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    // A menu or a dialog (the folder picker, a message) is a window of its own
    // and would take the application's colours, not those of the widget it
    // belongs to, while this style draws its controls' faces in that widget's.
    const bool ownWindow = qobject_cast<QMenu*>(widget) != nullptr ||
                           (qobject_cast<QDialog*>(widget) != nullptr && widget->parentWidget() != nullptr);
    if (ownWindow) widget->setPalette(environmentPalette(widget).qtPalette());
}

int ThemedStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    if (metric == PM_ScrollBarExtent) return scrollBarExtent;
    if (metric == PM_ScrollBarSliderMin) return scrollBarSliderMinimum;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QRect ThemedStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                                  const QWidget* widget) const {
    if (const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        control == CC_GroupBox && box != nullptr && !box->text.isEmpty() &&
        !(box->subControls & SC_GroupBoxCheckBox)) {
        // The title stands above its panel, not on its edge.
        const int titleHeight = widget ? AppFont::lineHeight(widget->font()) : box->fontMetrics.height();
        const QRect frame = box->rect.adjusted(0, titleHeight + groupBoxTitleGap, 0, 0);
        switch (subControl) {
            case SC_GroupBoxLabel:
                return QRect(box->rect.left() + 2, box->rect.top(),
                             std::min(box->fontMetrics.horizontalAdvance(box->text) + 4, box->rect.width() - 2),
                             titleHeight);
            case SC_GroupBoxFrame: return frame;
            case SC_GroupBoxContents: return frame.adjusted(1, 1, -1, -1);
            default: break;
        }
    }
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
    const Palette& palette = environmentPalette(widget);
    if (const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
        control == CC_ComboBox && combo != nullptr && !combo->editable) {
        drawControlFace(painter, combo, palette);
        const QRect arrow = proxy()->subControlRect(control, combo, SC_ComboBoxArrow, widget);
        drawChevron(painter, arrow, combo->state & State_Enabled ? palette.inkSecondary : palette.inkTertiary);
        return;
    }
    if (const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
        control == CC_Slider && slider != nullptr) {
        drawSlider(slider, painter, widget, palette);
        return;
    }
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

void ThemedStyle::drawSlider(const QStyleOptionSlider* slider, QPainter* painter, const QWidget* widget,
                             const Palette& palette) const {
    const bool enabled = slider->state & State_Enabled;
    const bool horizontal = slider->orientation == Qt::Horizontal;
    const QRect groove = proxy()->subControlRect(CC_Slider, slider, SC_SliderGroove, widget);
    const QRect handle = proxy()->subControlRect(CC_Slider, slider, SC_SliderHandle, widget);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    // The track, and the part of it up to the knob in the accent.
    const QPointF centre = QRectF(groove).center();
    const QRectF track = horizontal ? QRectF(groove.left(), centre.y() - sliderTrackThickness / 2, groove.width(),
                                             sliderTrackThickness)
                                    : QRectF(centre.x() - sliderTrackThickness / 2, groove.top(),
                                             sliderTrackThickness, groove.height());
    const double round = sliderTrackThickness / 2;
    painter->setBrush(palette.hairline);
    painter->drawRoundedRect(track, round, round);
    const QPointF knob = QRectF(handle).center();
    QRectF filled = track;
    if (horizontal)
        filled.setRight(knob.x());
    else
        filled.setTop(knob.y());
    QColor accent = palette.accent;
    if (!enabled) accent.setAlphaF(0.4f);
    painter->setBrush(accent);
    painter->drawRoundedRect(filled, round, round);
    // The knob: a panel-coloured disc with an edge, the accent's while focused.
    const double diameter = std::min(handle.width(), handle.height()) - 2;
    const bool focused = enabled && (slider->state & State_HasFocus) && FocusVisibility::showsRings();
    const bool active = enabled && (slider->state & (State_MouseOver | State_Sunken)) &&
                        (slider->activeSubControls & SC_SliderHandle);
    painter->setBrush(active ? palette.hover : palette.panel);
    painter->setPen(QPen(focused ? FocusRing::color(palette, palette.panel) : palette.inkTertiary,
                         focused ? FocusRing::width : 1));
    painter->drawEllipse(knob, diameter / 2, diameter / 2);
    painter->restore();
}

void ThemedStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
    const Palette& palette = environmentPalette(widget);
    switch (element) {
        case CE_TabBarTabShape: {
            // The chosen tab is a pill in the hover fill; a hovered one shows it faintly.
            const bool selected = option->state & State_Selected;
            const bool hovered = (option->state & State_MouseOver) && (option->state & State_Enabled);
            const QRect pill = option->rect.adjusted(2, 3, -2, -3);
            if (selected || hovered) {
                QColor fill = palette.hover;
                if (!selected) fill.setAlphaF(0.5f);
                drawBox(painter, pill, fill, selected ? palette.hairline : QColor(), controlRadius(palette));
            }
            // The tab bar's focus rings its current tab; the label draws none of its own.
            if ((option->state & State_HasFocus) && FocusVisibility::showsRings())
                FocusRing::paint(*painter, pill, controlRadius(palette), palette,
                                 selected ? palette.hover : palette.canvas);
            return;
        }
        case CE_TabBarTabLabel: {
            QStyleOptionTab tab;
            if (const auto* given = qstyleoption_cast<const QStyleOptionTab*>(option)) tab = *given;
            else break;
            const QColor ink = option->state & State_Selected ? palette.ink : palette.inkSecondary;
            tab.state &= ~State_HasFocus;
            tab.palette.setColor(QPalette::WindowText, ink);
            tab.palette.setColor(QPalette::ButtonText, ink);
            QProxyStyle::drawControl(element, &tab, painter, widget);
            return;
        }
        case CE_MenuItem: {
            // The row under the pointer takes the hover fill, its text stays ink.
            QStyleOptionMenuItem item;
            if (const auto* given = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) item = *given;
            else break;
            if (item.menuItemType == QStyleOptionMenuItem::Separator) {
                const int y = item.rect.center().y();
                painter->fillRect(QRect(item.rect.left() + 6, y, item.rect.width() - 12, 1), palette.hairline);
                return;
            }
            const bool selected = (item.state & State_Selected) && (item.state & State_Enabled);
            if (selected) drawBox(painter, item.rect.adjusted(3, 0, -3, 0), palette.hover, QColor(), 4);
            item.state &= ~State_Selected;
            item.palette.setColor(QPalette::Window, palette.panel);
            QProxyStyle::drawControl(element, &item, painter, widget);
            return;
        }
        default: break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void ThemedStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const {
    const Palette& palette = environmentPalette(widget);
    switch (element) {
        case PE_PanelButtonCommand:
        case PE_PanelButtonTool:
            if (element == PE_PanelButtonTool && !(option->state & (State_Raised | State_Sunken | State_On |
                                                                    State_MouseOver)))
                return;
            drawControlFace(painter, option, palette);
            return;
        case PE_FrameFocusRect:
            // Around a tab's or a box's label; a chosen tab stands on the hover fill.
            if (!FocusVisibility::showsRings()) return;
            FocusRing::paint(*painter, option->rect, 3, palette, palette.hover);
            return;
        case PE_FrameTabWidget:
            drawBox(painter, option->rect, Qt::NoBrush, palette.hairline, palette.radius);
            return;
        case PE_FrameTabBarBase: return;
        case PE_FrameGroupBox:
            drawBox(painter, option->rect, palette.panel, palette.hairline, palette.radius);
            return;
        case PE_PanelMenu:
        case PE_FrameMenu:
            // Menus are opaque windows: square corners, the rule colour round them.
            painter->fillRect(option->rect, palette.panel);
            painter->setPen(palette.hairline);
            painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
            return;
        case PE_PanelLineEdit:
            if (const auto* field = qstyleoption_cast<const QStyleOptionFrame*>(option);
                field != nullptr && field->lineWidth > 0) {
                // A field shows where typing goes, however it got the focus.
                const bool focused = option->state & State_HasFocus;
                drawBox(painter, option->rect, option->palette.base(),
                        focused ? FocusRing::color(palette, palette.panel) : palette.hairline,
                        controlRadius(palette), focused ? FocusRing::width : 1);
                return;
            }
            break;
        case PE_FrameLineEdit: return;  // drawn with the panel above
        default: break;
    }
    const bool isCheckBox = element == PE_IndicatorCheckBox;
    if (!isCheckBox && element != PE_IndicatorRadioButton) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    drawIndicator(painter, option, isCheckBox);
}

}  // namespace korvane
