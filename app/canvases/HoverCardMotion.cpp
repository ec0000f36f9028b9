#include "app/canvases/HoverCardMotion.h"

#include <algorithm>

#include <QPainter>
#include <QRegion>
#include <QWidget>

#include "app/canvases/HoverCard.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {

QRect HoverCardMotion::paintedArea(const QRectF& card) {
    // The card's shadow reaches this far beyond it (below more than above).
    return card.isEmpty() ? QRect() : card.adjusted(-15, -15, 15, 20).toAlignedRect();
}

HoverCardMotion::HoverCardMotion(QWidget& canvas)
    : QObject(&canvas),
      canvas_(canvas),
      fade_(new MotionAnimation(AppMotion::fade, 0.0, this)),
      glide_(new MotionAnimation(AppMotion::snappy, QPointF(), this)) {
    connect(fade_, &QVariantAnimation::valueChanged, this, &HoverCardMotion::repaint);
    connect(glide_, &QVariantAnimation::valueChanged, this, &HoverCardMotion::repaint);
}

void HoverCardMotion::show(const HoverCardContent& content, const QRectF& rect) {
    const bool visible = opacity() > 0;
    const bool moved = rect != target_;
    const bool changed = !content_ || *content_ != content || rect.size() != target_.size();
    content_ = content;
    target_ = rect;
    // A card already on screen glides to its new item; a new one appears where it belongs.
    if (moved) {
        if (visible) glide_->animateTo(rect.topLeft());
        else glide_->jumpTo(rect.topLeft());
    }
    if (!shown_) {
        shown_ = true;
        fade_->animateTo(1.0);
    }
    if (changed) repaint();
}

void HoverCardMotion::hide() {
    if (!shown_) return;
    shown_ = false;
    fade_->animateTo(0.0);
}

void HoverCardMotion::drop() {
    shown_ = false;
    fade_->jumpTo(0.0);
    content_.reset();
    repaint();
}

double HoverCardMotion::opacity() const { return std::clamp(fade_->currentValue().toDouble(), 0.0, 1.0); }

QRectF HoverCardMotion::shownRect() const {
    if (!content_ || opacity() <= 0) return {};
    return {glide_->currentValue().toPointF(), target_.size()};
}

void HoverCardMotion::paint(QPainter& painter, const Palette& palette) {
    const QRectF card = shownRect();
    painted_ = card;
    if (card.isEmpty()) return;
    painter.save();
    painter.setOpacity(painter.opacity() * opacity());
    HoverCard::paint(painter, card.topLeft(), *content_, palette);
    painter.restore();
}

void HoverCardMotion::repaint() {
    // Where it was painted last and where it goes now: nothing else moves,
    // and nothing between the two is repainted.
    const QRegion dirty = QRegion(paintedArea(shownRect())) + QRegion(paintedArea(painted_));
    if (!dirty.isEmpty()) canvas_.update(dirty);
}

}  // namespace korvane
