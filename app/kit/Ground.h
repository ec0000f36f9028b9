#pragma once

#include <QWidget>

#include "app/theme/Palette.h"

namespace korvane {

// An area filled with one of the theme's colours (the canvas, the rail), for
// pages and bars to lay their parts on; a bar may carry a hairline along its
// top edge.
class Ground : public QWidget {
    Q_OBJECT
public:
    enum class Rule { none, top };

    explicit Ground(QColor Palette::*color, Rule rule = Rule::none, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor Palette::*color_;
    Rule rule_;
};

}  // namespace korvane
