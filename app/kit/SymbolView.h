#pragma once

#include <string>

#include <QColor>
#include <QWidget>

namespace korvane {

// One symbol drawn from the icon font: decoration only (the texts beside it,
// or its button's accessible name, say what it means).
class SymbolView : public QWidget {
    Q_OBJECT
public:
    SymbolView(std::string name, double size, QWidget* parent = nullptr);

    void setSymbol(std::string name);
    void setColor(const QColor& color);
    // Degrees clockwise about the centre.
    void setRotation(double degrees);
    double rotation() const { return rotation_; }
    void setOpacity(double opacity);
    void setScale(double scale);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string name_;
    double size_;
    QColor color_;
    double rotation_ = 0;
    double opacity_ = 1;
    double scale_ = 1;
};

}  // namespace korvane
