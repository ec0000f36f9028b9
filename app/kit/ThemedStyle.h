#pragma once

#include <QProxyStyle>

class QStyleOptionSlider;

namespace korvane {

struct Palette;

// The platform style with the stock controls drawn in the theme: check boxes
// and radio buttons from the widget's own palette (the default look outlines
// them with a shade darker than the window, which vanishes on the dark
// themes), scroll bars as a thin rounded handle in the theme's secondary ink
// on the background they stand on, without arrows, and the rest as the kit
// draws its own: combo boxes, buttons and fields as panel-coloured boxes with
// a hairline edge, tabs as a hover-filled pill on a pane that is only an edge,
// group boxes as panels, sliders as a thin track filled in the accent with a
// round knob, menus as a panel whose rows take the hover fill.
class ThemedStyle : public QProxyStyle {
public:
    static constexpr int scrollBarExtent = 10;
    static constexpr int scrollBarSliderMinimum = 28;
    static constexpr double scrollBarHandleInset = 2;
    // The handle's opacity over the background: resting, hovered, dragged.
    static constexpr double handleOpacity = 0.35;
    static constexpr double hoveredHandleOpacity = 0.55;
    static constexpr double pressedHandleOpacity = 0.7;
    static constexpr double sliderTrackThickness = 4;
    static constexpr int groupBoxTitleGap = 6;

    ThemedStyle();

    using QProxyStyle::polish;
    void polish(QWidget* widget) override;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                         const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

private:
    void drawSlider(const QStyleOptionSlider* slider, QPainter* painter, const QWidget* widget,
                    const Palette& palette) const;
};

}  // namespace korvane
