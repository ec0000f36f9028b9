#include "app/kit/ScaleReveal.h"

#include <algorithm>
#include <cmath>

#include "app/kit/TransformFade.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {

ScaleReveal::ScaleReveal(QWidget* content, int leading, const Motion& motion, QWidget* parent)
    : QWidget(parent),
      content_(content),
      leading_(leading),
      progress_(new MotionAnimation(motion, 0.0, this)),
      look_(new TransformFade(this)) {
    content_->setParent(this);
    content_->setGraphicsEffect(look_);
    setSizePolicy(QSizePolicy::Fixed, content_->sizePolicy().verticalPolicy());
    connect(progress_, &QVariantAnimation::valueChanged, this, &ScaleReveal::follow);
    connect(progress_, &QAbstractAnimation::finished, this, &ScaleReveal::follow);
    // The holder stays, no wider than nothing while its content is gone:
    // showing it again would lay out the whole window at once, mid-change.
    content_->setVisible(false);
}

double ScaleReveal::progress() const { return progress_->currentValue().toDouble(); }

void ScaleReveal::setRevealed(bool revealed) {
    if (revealed == revealed_) return;
    revealed_ = revealed;
    // Off screen there is nothing to watch: land at once.
    if (parentWidget() && parentWidget()->isVisible())
        progress_->animateTo(revealed ? 1.0 : 0.0);
    else
        progress_->jumpTo(revealed ? 1.0 : 0.0);
    follow();
}

QSize ScaleReveal::sizeHint() const {
    const double shown = std::clamp(progress(), 0.0, 1.0);
    const QSize whole = content_->sizeHint();
    // Gone, it asks for no room at all, not even its height.
    return {static_cast<int>(std::lround((leading_ + whole.width()) * shown)),
            content_->isHidden() ? 0 : whole.height()};
}

void ScaleReveal::follow() {
    const bool moving = progress_->state() == QAbstractAnimation::Running;
    updateGeometry();
    if (!revealed_ && !moving) {
        content_->setVisible(false);
        look_->setLook({}, 1);
        return;
    }
    if (content_->isHidden()) content_->setVisible(true);
    // The content keeps its whole size, its centre where its shrunken self
    // sits at the trailing end of the holder.
    const double shown = moving ? std::max(progress(), 0.0) : 1.0;
    const int whole = content_->sizeHint().width();
    const double centre = width() - whole * std::min(shown, 1.0) / 2;
    content_->setGeometry(static_cast<int>(std::lround(centre - whole / 2.0)), 0, whole, height());
    QTransform transform;
    if (moving) {
        const QPointF middle(whole / 2.0, height() / 2.0);
        transform.translate(middle.x(), middle.y());
        transform.scale(shown, shown);
        transform.translate(-middle.x(), -middle.y());
    }
    look_->setLook(transform, shown);
}

void ScaleReveal::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    follow();
}

}  // namespace korvane
