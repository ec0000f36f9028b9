#include "app/theme/MotionAnimation.h"

#include <cmath>

namespace korvane {

MotionAnimation::MotionAnimation(const Motion& motion, const QVariant& initial, QObject* parent)
    : QVariantAnimation(parent), running_(motion), next_(motion) {
    // Time runs linearly; interpolated() applies the motion's own curve.
    setEasingCurve(QEasingCurve::Linear);
    setStartValue(initial);
    setEndValue(initial);
}

void MotionAnimation::jumpTo(const QVariant& value) {
    stop();
    setStartValue(value);
    setEndValue(value);
    setCurrentTime(duration());
}

void MotionAnimation::animateTo(const QVariant& target) {
    const QVariant from = currentValue();
    if (AppMotion::jumpsToEnd() || from == target) {
        jumpTo(target);
        return;
    }
    stop();
    running_ = next_;
    setDuration(static_cast<int>(std::ceil(running_.duration() * 1000)));
    setStartValue(from);
    setEndValue(target);
    start();
}

QVariant MotionAnimation::interpolated(const QVariant& from, const QVariant& to, qreal progress) const {
    return QVariantAnimation::interpolated(from, to, running_.progress(progress * running_.duration()));
}

}  // namespace korvane
