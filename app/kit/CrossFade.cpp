#include "app/kit/CrossFade.h"

#include <QPainter>
#include <algorithm>

#include "app/theme/MotionAnimation.h"

namespace korvane {

CrossFade::CrossFade(QWidget* parent)
    : QWidget(parent), opacity_(new MotionAnimation(AppMotion::fade, 0.0, this)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
    connect(opacity_, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(opacity_, &QAbstractAnimation::finished, this, [this] {
        hide();
        picture_ = QPixmap();
    });
}

void CrossFade::fadeOut(const QPixmap& picture, const QRect& area, const Motion& motion) {
    if (AppMotion::jumpsToEnd() || picture.isNull()) return;
    picture_ = picture;
    setGeometry(area);
    opacity_->jumpTo(1.0);
    opacity_->setMotion(motion);
    opacity_->animateTo(0.0);
    show();
    update();
}

double CrossFade::opacity() const {
    return !isHidden() ? std::clamp(opacity_->currentValue().toDouble(), 0.0, 1.0) : 0.0;
}

void CrossFade::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setOpacity(opacity());
    painter.drawPixmap(0, 0, picture_);
}

}  // namespace korvane
