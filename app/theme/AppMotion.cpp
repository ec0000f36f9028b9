#include "app/theme/AppMotion.h"

#include <atomic>
#include <cmath>
#include <numbers>

#include <QEasingCurve>

namespace korvane {

namespace {

std::atomic<bool> jumpToEnd{false};

}  // namespace

double springProgress(double seconds, double response, double dampingFraction) {
    if (seconds <= 0) return 0;
    const double omega0 = 2 * std::numbers::pi / response;
    const double zeta = dampingFraction;
    const double omegaD = omega0 * std::sqrt(1 - zeta * zeta);
    const double decay = std::exp(-zeta * omega0 * seconds);
    return 1 - decay * (std::cos(omegaD * seconds) + zeta * omega0 / omegaD * std::sin(omegaD * seconds));
}

double springSettleTime(double response, double dampingFraction) {
    const double omega0 = 2 * std::numbers::pi / response;
    return std::log(1000.0) / (dampingFraction * omega0);
}

double Motion::duration() const {
    return kind == Kind::spring ? springSettleTime(response, dampingFraction) : response;
}

double Motion::progress(double seconds) const {
    if (kind == Kind::spring) return seconds >= duration() ? 1 : springProgress(seconds, response, dampingFraction);
    if (seconds <= 0) return 0;
    if (seconds >= response) return 1;
    const auto curve = kind == Kind::easeOut ? QEasingCurve::OutQuad : QEasingCurve::InOutQuad;
    return QEasingCurve(curve).valueForProgress(seconds / response);
}

void AppMotion::setJumpToEnd(bool jump) { jumpToEnd.store(jump); }

bool AppMotion::jumpsToEnd() { return jumpToEnd.load(); }

}  // namespace korvane
