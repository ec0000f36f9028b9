#pragma once

#include <QWidget>

#include "app/theme/AppMotion.h"

class QGraphicsOpacityEffect;

namespace korvane {

class MotionAnimation;

// Holds one widget and brings it in or takes it away by sliding it from an
// edge while it fades; the holder's own height follows, so whatever the
// layout places after it glides to its new place instead of jumping. Only
// the holder's rectangle and what the layout moves are repainted; at rest
// the content is drawn directly, without the fade.
class SlideReveal : public QWidget {
    Q_OBJECT
public:
    // top: the content comes down from above its place; bottom: it rises
    // from below (a bar at the foot of a list).
    enum class Edge { top, bottom };

    SlideReveal(QWidget* content, Edge edge, const Motion& motion, QWidget* parent = nullptr);

    // Animates unless animations jump to their end; starts hidden.
    void setRevealed(bool revealed);
    // Lands at once where setRevealed() would take it.
    void jumpRevealed(bool revealed);
    bool isRevealed() const { return revealed_; }
    // 0 hidden … 1 in place; a spring may pass 1 on its way.
    double progress() const;
    QWidget* content() const { return content_; }
    MotionAnimation* animation() const { return progress_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();
    int contentHeight() const;

    QWidget* content_;
    Edge edge_;
    bool revealed_ = false;
    MotionAnimation* progress_;
    QGraphicsOpacityEffect* fade_;
};

}  // namespace korvane
