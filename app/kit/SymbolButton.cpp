#include "app/kit/SymbolButton.h"

#include <cmath>

#include <QPainter>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/ShownToolTip.h"
#include "app/theme/FocusRing.h"
#include "app/theme/SymbolGlyph.h"
#include "app/kit/FocusVisibility.h"

namespace korvane {

SymbolButton::SymbolButton(std::string symbol, const QString& help, double size, QWidget* parent)
    : QAbstractButton(parent), symbol_(std::move(symbol)), size_(size) {
    setShownToolTip(*this, help);
    setAccessibleName(help);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void SymbolButton::setColor(const QColor& color) {
    color_ = color;
    update();
}

QSize SymbolButton::sizeHint() const {
    const int side = static_cast<int>(std::ceil(size_ + 8));
    return {side, side};
}

void SymbolButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    hovering_ = true;
    update();
}

void SymbolButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    hovering_ = false;
    update();
}

void SymbolButton::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (!isEnabled()) painter.setOpacity(0.4);
    QColor color = color_.isValid() ? color_ : palette.inkSecondary;
    if ((hovering_ || FocusVisibility::shows(*this)) && isEnabled()) color = palette.ink;
    if (FocusVisibility::shows(*this)) FocusRing::paint(painter, rect(), 4, palette, palette.canvas);
    painter.setFont(symbolFont(size_));
    painter.setPen(color);
    painter.drawText(rect(), Qt::AlignCenter, symbolText(symbol_));
}

}  // namespace korvane
