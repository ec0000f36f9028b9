#pragma once

#include <QWidget>

class QHBoxLayout;

namespace korvane {

class MotionAnimation;
class SymbolView;

// The face of a picker's Dropdown: its parts in a row on a rounded
// background that fills with the hover colour as the list opens. A framed
// label is a panel-coloured box with a hairline while closed. While the
// dropdown holds the keyboard focus the edge is in the accent colour. The
// fill and a chevron's turn move on the quick spring, with the list.
class PickerLabel : public QWidget {
    Q_OBJECT
public:
    PickerLabel(bool framed, QMargins padding, int spacing, QWidget* parent = nullptr);

    QHBoxLayout* row() const { return row_; }
    void setOpen(bool open);
    // The chevron points down while closed and turns to point up as the list opens.
    void turnWithOpening(SymbolView* chevron);
    const SymbolView* chevron() const { return chevron_; }
    // How far the look has moved towards open: 0 closed, 1 open (a spring may pass 1).
    double openness() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void follow();

    bool framed_;
    QHBoxLayout* row_;
    MotionAnimation* openness_;
    SymbolView* chevron_ = nullptr;
};

}  // namespace korvane
