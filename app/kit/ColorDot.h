#pragma once

#include <QColor>
#include <QWidget>

namespace korvane {

// A small filled circle, the key of a category's colour in lists.
class ColorDot : public QWidget {
    Q_OBJECT
public:
    ColorDot(const QColor& color, int diameter, QWidget* parent = nullptr);

    void setColor(const QColor& color);
    QColor color() const { return color_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
};

}  // namespace korvane
