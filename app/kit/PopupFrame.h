#pragma once

#include <QWidget>

#include "app/kit/PopupSurface.h"

class QVBoxLayout;

namespace korvane {

// A popup window drawn as a PopupSurface in the environment's palette, with
// a shadow only where the screen is composited. Content goes in column(),
// inset by the given padding from the card's edge.
class PopupFrame : public QWidget {
    Q_OBJECT
public:
    explicit PopupFrame(QWidget* parent, int padding = 0);

    const PopupSurface& surface() const { return surface_; }
    QRect card() const { return surface_.card(rect()); }
    QVBoxLayout* column() const { return column_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // The card's corner radius in this palette.
    virtual double cardRadius() const;

private:
    PopupSurface surface_;
    QVBoxLayout* column_;
};

}  // namespace korvane
