#pragma once

#include <QProxyStyle>

namespace korvane {

// The platform style with check boxes and radio buttons drawn from the
// widget's own palette: the default look outlines them with a shade darker
// than the window, which vanishes on the dark themes.
class ThemedStyle : public QProxyStyle {
public:
    ThemedStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};

}  // namespace korvane
