#pragma once

#include <optional>

#include <QObject>
#include <QRect>
#include <QRectF>

#include "app/presenters/HoverCardContent.h"

class QPainter;
class QWidget;

namespace korvane {

class MotionAnimation;
struct Palette;

// How a canvas's hover card comes and goes: it fades in where it is first
// placed, glides to the next item's place while the pointer moves on (so it
// never blinks between items), and fades out where it stood. Each frame
// repaints only the card's old and new rectangles on the canvas.
class HoverCardMotion : public QObject {
    Q_OBJECT
public:
    explicit HoverCardMotion(QWidget& canvas);

    // The card for the hovered item, placed at `rect`; follows a new content or place.
    void show(const HoverCardContent& content, const QRectF& rect);
    // No item is hovered: the card fades out where it stands.
    void hide();
    // Gone at once (a new tree: the card's item no longer exists).
    void drop();

    void paint(QPainter& painter, const Palette& palette);

    // What painting a card at `card` touches, its shadow included.
    static QRect paintedArea(const QRectF& card);

    double opacity() const;
    // Where the card is drawn at this moment; empty when it is not.
    QRectF shownRect() const;
    MotionAnimation* fade() const { return fade_; }
    MotionAnimation* glide() const { return glide_; }

private:
    void repaint();

    QWidget& canvas_;
    std::optional<HoverCardContent> content_;
    QRectF target_;
    bool shown_ = false;
    MotionAnimation* fade_;
    MotionAnimation* glide_;
    QRectF painted_;
};

}  // namespace korvane
