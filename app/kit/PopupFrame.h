#pragma once

#include <QWidget>

#include "app/kit/PopupSurface.h"

class QVBoxLayout;

namespace korvane {

// A popup window drawn as a PopupSurface in the environment's palette, with
// a shadow only where the screen is composited. Content goes in column(),
// inset by the given padding from the card's edge. The card and everything
// on it are one widget, body(), that fills the window: what moves the popup
// as a whole (its opening and closing) moves that.
class PopupFrame : public QWidget {
    Q_OBJECT
public:
    explicit PopupFrame(QWidget* parent, int padding = 0);

    const PopupSurface& surface() const { return surface_; }
    QRect card() const { return surface_.card(rect()); }
    QVBoxLayout* column() const { return column_; }
    QWidget* body() const { return body_; }

protected:
    // The card's corner radius in this palette.
    virtual double cardRadius() const;

private:
    class Body;

    PopupSurface surface_;
    QWidget* body_;
    QVBoxLayout* column_;
};

}  // namespace korvane
