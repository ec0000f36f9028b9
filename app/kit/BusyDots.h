#pragma once

#include <QLabel>
#include <QTimer>

namespace korvane {

// A "Busy" line for work in progress: a label that counts dots while shown.
class BusyDots : public QLabel {
    Q_OBJECT
public:
    explicit BusyDots(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer timer_;
    int step_ = 0;
};

}  // namespace korvane
