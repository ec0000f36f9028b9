#pragma once

#include <QVariantAnimation>

#include "app/theme/AppMotion.h"

namespace korvane {

// A value that moves to each new target along a Motion, starting from
// wherever it is at that moment (so a hover that ends half-way turns back
// smoothly). Connect to valueChanged() to repaint.
class MotionAnimation : public QVariantAnimation {
    Q_OBJECT
public:
    MotionAnimation(const Motion& motion, const QVariant& initial, QObject* parent = nullptr);

    // The curve of the following animateTo() calls.
    void setMotion(const Motion& motion) { next_ = motion; }
    // Lands on `target` at once while AppMotion::jumpsToEnd() is set.
    void animateTo(const QVariant& target);
    // Stops any move and sits on `value`.
    void jumpTo(const QVariant& value);

protected:
    QVariant interpolated(const QVariant& from, const QVariant& to, qreal progress) const override;

private:
    Motion running_;
    Motion next_;
};

}  // namespace korvane
