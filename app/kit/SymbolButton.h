#pragma once

#include <QAbstractButton>
#include <string>

namespace korvane {

// A borderless button that shows only a symbol. Its help text is both its
// tooltip and its accessible name, so a screen reader names it. Keyboard
// focus shows as a ring in the accent colour.
class SymbolButton : public QAbstractButton {
    Q_OBJECT
public:
    SymbolButton(std::string symbol, const QString& help, double size, QWidget* parent = nullptr);

    void setColor(const QColor& color);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    std::string symbol_;
    double size_;
    QColor color_;
    bool hovering_ = false;
};

}  // namespace korvane
