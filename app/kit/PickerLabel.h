#pragma once

#include <QWidget>

class QHBoxLayout;

namespace korvane {

// The face of a picker's Dropdown: its parts in a row on a rounded
// background that shows the hover fill while the list is open. A framed
// label is a panel-coloured box with a hairline while closed. While the
// dropdown holds the keyboard focus the edge is in the accent colour.
class PickerLabel : public QWidget {
    Q_OBJECT
public:
    PickerLabel(bool framed, QMargins padding, int spacing, QWidget* parent = nullptr);

    QHBoxLayout* row() const { return row_; }
    void setOpen(bool open);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool framed_;
    bool open_ = false;
    QHBoxLayout* row_;
};

}  // namespace korvane
