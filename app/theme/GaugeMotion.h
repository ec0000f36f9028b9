#pragma once

#include <optional>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "app/theme/AppMotion.h"

namespace korvane {

// A gauge's reading that eases to each new value along an eased Motion. It
// wakes only when the drawn end has moved a whole pixel, and never more often
// than the display refreshes: a small change of load costs a few frames, not
// one per animation tick.
class GaugeMotion : public QObject {
    Q_OBJECT
public:
    GaugeMotion(const Motion& motion, double initial, QObject* parent = nullptr);

    // The pixels one unit of the value spans on screen (a bar's width).
    void setScale(double pixelsPerUnit);
    // Lands on `target` at once while AppMotion::jumpsToEnd() is set.
    void animateTo(double target);
    void jumpTo(double value);

    double value() const;
    double target() const { return to_; }
    bool isRunning() const { return running_; }
    // Milliseconds until the next frame; -1 at rest.
    int nextFrameIn() const { return running_ ? timer_.interval() : -1; }
    // The motion's clock set to `seconds` after its start, and that frame taken (tests).
    void setElapsed(double seconds);

signals:
    void valueChanged();

private:
    double elapsed() const;
    double valueAt(double seconds) const;
    void frame();

    Motion motion_;
    double from_;
    double to_;
    double scale_ = 1;
    bool running_ = false;
    QElapsedTimer clock_;
    std::optional<double> steppedTo_;
    QTimer timer_;
};

}  // namespace korvane
