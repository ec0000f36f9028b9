#include "app/kit/BusyDots.h"

namespace korvane {

BusyDots::BusyDots(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAccessibleName(QStringLiteral("Busy"));
    timer_.setInterval(400);
    connect(&timer_, &QTimer::timeout, this, [this] {
        step_ = (step_ + 1) % 4;
        setText(QString(step_ + 1, QChar(0x2022)));
    });
    setText(QString(QChar(0x2022)));
}

void BusyDots::showEvent(QShowEvent* event) {
    QLabel::showEvent(event);
    timer_.start();
}

void BusyDots::hideEvent(QHideEvent* event) {
    QLabel::hideEvent(event);
    timer_.stop();
}

}  // namespace korvane
