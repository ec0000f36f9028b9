#pragma once

#include <QLabel>

namespace korvane {

// A short plain text on a capsule of the theme's hover fill: tags and kind pills.
class CapsuleLabel : public QLabel {
    Q_OBJECT
public:
    CapsuleLabel(const QString& text, QMargins padding, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace korvane
