#pragma once

#include <QWidget>

class QHBoxLayout;

namespace korvane {

// A row of pills on a rounded panel with a hairline border (the top bar's
// mode switch, the canvas switcher).
class PillGroup : public QWidget {
    Q_OBJECT
public:
    explicit PillGroup(double radius, QWidget* parent = nullptr);

    void addPill(QWidget* pill);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double radius_;
    QHBoxLayout* row_;
};

}  // namespace korvane
