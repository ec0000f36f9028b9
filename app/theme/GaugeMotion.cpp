#include "app/theme/GaugeMotion.h"

#include <algorithm>
#include <cmath>

#include <QGuiApplication>
#include <QScreen>

namespace korvane {

namespace {

// Seconds between the display's frames (60 Hz when it does not say).
double frameSeconds() {
    const auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const QScreen* screen = application ? QGuiApplication::primaryScreen() : nullptr;
    const double rate = screen && screen->refreshRate() >= 1 ? screen->refreshRate() : 60;
    return 1 / rate;
}

}  // namespace

GaugeMotion::GaugeMotion(const Motion& motion, double initial, QObject* parent)
    : QObject(parent), motion_(motion), from_(initial), to_(initial) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &GaugeMotion::frame);
}

void GaugeMotion::setScale(double pixelsPerUnit) { scale_ = std::max(pixelsPerUnit, 1e-9); }

void GaugeMotion::jumpTo(double value) {
    timer_.stop();
    running_ = false;
    from_ = value;
    to_ = value;
    emit valueChanged();
}

void GaugeMotion::animateTo(double target) {
    const double now = value();
    if (AppMotion::jumpsToEnd() || target == now) {
        jumpTo(target);
        return;
    }
    from_ = now;
    to_ = target;
    running_ = true;
    steppedTo_.reset();
    clock_.start();
    frame();
}

double GaugeMotion::elapsed() const {
    return steppedTo_ ? *steppedTo_ : static_cast<double>(clock_.nsecsElapsed()) / 1e9;
}

double GaugeMotion::valueAt(double seconds) const { return from_ + (to_ - from_) * motion_.progress(seconds); }

double GaugeMotion::value() const { return running_ ? valueAt(elapsed()) : to_; }

void GaugeMotion::setElapsed(double seconds) {
    if (!running_) return;
    steppedTo_ = seconds;
    frame();
}

void GaugeMotion::frame() {
    const double now = elapsed();
    const double duration = motion_.duration();
    if (now >= duration) {
        running_ = false;
        timer_.stop();
        emit valueChanged();
        return;
    }
    emit valueChanged();
    // When the drawn end reaches its next whole pixel: the eased curves only
    // rise, so halve the remaining time until the progress gets there.
    const double travel = std::abs(to_ - from_) * scale_;
    const double wanted = (std::floor(motion_.progress(now) * travel) + 1) / travel;
    double next = duration;
    if (motion_.kind == Motion::Kind::spring) {
        next = now;  // a spring turns back: every display frame
    } else if (wanted < 1) {
        double low = now;
        double high = duration;
        for (int step = 0; step < 24; ++step) {
            const double middle = (low + high) / 2;
            (motion_.progress(middle) >= wanted ? high : low) = middle;
        }
        next = high;
    }
    const double wait = std::max(next - now, frameSeconds());
    timer_.setInterval(static_cast<int>(std::ceil(wait * 1000)));
    // A stepped clock (tests) takes its frames by hand.
    if (!steppedTo_) timer_.start();
}

}  // namespace korvane
