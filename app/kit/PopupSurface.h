#pragma once

#include <QColor>
#include <QMargins>
#include <QRect>

class QPainter;
class QWidget;

namespace korvane {

struct Palette;

// The body of a floating window (drop-down lists, popovers). Where the screen
// is composited it is a rounded card on a translucent window with room around
// it for a soft shadow; elsewhere translucent pixels would come out black, so
// it is an opaque window whose edge is a one-pixel line in the rule colour.
class PopupSurface {
public:
    explicit PopupSurface(bool composited) : composited_(composited) {}

    bool isComposited() const { return composited_; }
    // The room around the card: the shadow's, or none.
    QMargins margins() const;
    // Sets what the window needs before it is first shown.
    void prepare(QWidget* window) const;
    // The card within the window's rectangle.
    QRect card(const QRect& window) const { return window.marginsRemoved(margins()); }
    // The card is the palette's panel unless a fill is given.
    void paint(QPainter& painter, const QRect& window, const Palette& palette, double radius) const;
    void paint(QPainter& painter, const QRect& window, const Palette& palette, double radius,
               const QColor& fill) const;

private:
    bool composited_;
};

}  // namespace korvane
