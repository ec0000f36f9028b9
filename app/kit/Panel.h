#pragma once

#include <QWidget>

class QVBoxLayout;

namespace korvane {

// The framed container: a rounded card in the panel colour with a hairline
// border; its content sits `padding` in from every edge.
class Panel : public QWidget {
    Q_OBJECT
public:
    explicit Panel(double padding, QWidget* parent = nullptr);

    QVBoxLayout* contentLayout() const { return layout_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* layout_;
};

}  // namespace korvane
