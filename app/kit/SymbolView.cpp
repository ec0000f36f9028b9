#include "app/kit/SymbolView.h"

#include <cmath>

#include <QPainter>

#include "app/theme/SymbolGlyph.h"

namespace korvane {

SymbolView::SymbolView(std::string name, double size, QWidget* parent)
    : QWidget(parent), name_(std::move(name)), size_(size) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolView::setSymbol(std::string name) {
    name_ = std::move(name);
    update();
}

void SymbolView::setColor(const QColor& color) {
    color_ = color;
    update();
}

void SymbolView::setRotation(double degrees) {
    rotation_ = degrees;
    update();
}

void SymbolView::setOpacity(double opacity) {
    opacity_ = opacity;
    update();
}

void SymbolView::setScale(double scale) {
    scale_ = scale;
    update();
}

QSize SymbolView::sizeHint() const {
    const int side = static_cast<int>(std::ceil(symbolFont(size_).pixelSize()));
    return {side, side};
}

void SymbolView::paintEvent(QPaintEvent*) {
    if (opacity_ <= 0) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setOpacity(opacity_);
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.rotate(rotation_);
    painter.scale(scale_, scale_);
    painter.translate(-centre);
    painter.setFont(symbolFont(size_));
    painter.setPen(color_.isValid() ? color_ : palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter, symbolText(name_));
}

}  // namespace korvane
