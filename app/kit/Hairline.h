#pragma once

#include <QWidget>

namespace korvane {

// A one-point divider in the theme's hairline colour, across the width
// (horizontal) or down the height (vertical) of where it is placed.
class Hairline : public QWidget {
    Q_OBJECT
public:
    explicit Hairline(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace korvane
