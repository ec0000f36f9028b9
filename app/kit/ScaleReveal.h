#pragma once

#include <QWidget>

#include "app/theme/AppMotion.h"

namespace korvane {

class MotionAnimation;
class TransformFade;

// Holds one small widget (a badge, a button in a row) and brings it in by
// growing it from nothing about its centre while it fades in, or takes it
// away the reverse way. The holder's width follows, `leading` points of room
// before the widget included, so neighbours make way smoothly instead of
// jumping. At rest the widget draws itself directly.
class ScaleReveal : public QWidget {
    Q_OBJECT
public:
    ScaleReveal(QWidget* content, int leading, const Motion& motion, QWidget* parent = nullptr);

    // Animates unless animations jump to their end or the holder is not on
    // screen; starts gone (the content hidden, the holder 0 wide).
    void setRevealed(bool revealed);
    // 0 gone … 1 whole; a spring may pass 1 on its way.
    double progress() const;
    QWidget* content() const { return content_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void follow();

    QWidget* content_;
    int leading_;
    bool revealed_ = false;
    MotionAnimation* progress_;
    TransformFade* look_;
};

}  // namespace korvane
