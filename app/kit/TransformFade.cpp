#include "app/kit/TransformFade.h"

#include <QPainter>
#include <algorithm>

namespace korvane {

TransformFade::TransformFade(QObject* parent) : QGraphicsEffect(parent) { setEnabled(false); }

void TransformFade::setLook(const QTransform& transform, double opacity) {
    transform_ = transform;
    opacity_ = std::clamp(opacity, 0.0, 1.0);
    follow();
}

void TransformFade::setBackdrop(const QPixmap& backdrop, QPoint at) {
    backdrop_ = backdrop;
    backdropAt_ = at;
    follow();
}

bool TransformFade::isAtRest() const {
    return transform_.isIdentity() && opacity_ >= 1 && backdrop_.isNull();
}

void TransformFade::follow() {
    // Off at rest: the widget paints straight to the screen, as without an effect.
    setEnabled(!isAtRest());
    updateBoundingRect();
    update();
}

QRectF TransformFade::boundingRectFor(const QRectF& rect) const {
    QRectF area = rect | transform_.mapRect(rect);
    if (!backdrop_.isNull()) area |= QRectF(backdropAt_, backdrop_.deviceIndependentSize());
    return area;
}

void TransformFade::draw(QPainter* painter) {
    if (isAtRest()) {
        drawSource(painter);
        return;
    }
    QPoint offset;
    const QPixmap picture = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad);
    painter->save();
    if (!backdrop_.isNull()) painter->drawPixmap(backdropAt_, backdrop_);
    painter->setOpacity(painter->opacity() * opacity_);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setTransform(transform_, true);
    painter->drawPixmap(offset, picture);
    painter->restore();
}

}  // namespace korvane
