#pragma once

#include <QPixmap>
#include <QWidget>

#include "app/theme/AppMotion.h"

namespace korvane {

class MotionAnimation;

// A picture of how part of a window looked, faded out over its new look
// along a motion: a page replaced by another, colours of a new theme. Over
// opaque content that is exactly a cross-fade. Clicks pass through to the
// new look beneath; at rest it is hidden and holds no picture.
class CrossFade : public QWidget {
    Q_OBJECT
public:
    explicit CrossFade(QWidget* parent);

    // Shows `picture` over `area` of the parent and fades it out. Does
    // nothing while animations jump to their end.
    void fadeOut(const QPixmap& picture, const QRect& area, const Motion& motion);
    // 1 while the old look covers the new one, 0 once it is gone.
    double opacity() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
    MotionAnimation* opacity_;
};

}  // namespace korvane
