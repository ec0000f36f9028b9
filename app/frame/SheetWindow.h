#pragma once

#include <QDialog>

#include "app/kit/PopupSurface.h"

class QVBoxLayout;

namespace korvane {

// The window a sheet stands in. The sheet draws its own header, so it has no
// frame; it is a card on the window's ground with a soft shadow where the
// screen is composited, else an opaque window edged by a one-pixel rule.
class SheetWindow : public QDialog {
    Q_OBJECT
public:
    // The content's inset from the card's edge on each side.
    static constexpr int edge = 1;

    explicit SheetWindow(QWidget* parent);

    const PopupSurface& surface() const { return surface_; }
    void setContent(QWidget* content);
    // Whether the window that places the sheet lets it grow back up to what
    // its content asks for whenever there is room (a sheet of sections that
    // scrolls only for want of room).
    bool growsToContent() const { return growsToContent_; }
    void setGrowsToContent(bool grows) { growsToContent_ = grows; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    PopupSurface surface_;
    QVBoxLayout* column_;
    bool growsToContent_ = false;
};

}  // namespace korvane
