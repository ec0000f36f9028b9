#include "app/theme/AppMotion.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <numbers>

#include <QEasingCurve>

namespace korvane {

namespace {

std::atomic<bool> jumpToEnd{false};

constexpr int bisections = 50;

// 1 − x(t) swings about 0 with turning points at t_k = kπ/ω_d, where it is
// (−1)^k e^(−ζω₀t_k), and is monotonic between them. The last turning point
// outside the band decides: arrival is where the swing after it crosses in.
double springArrival(double response, double dampingFraction, const Arrival& arrival) {
    const double omega0 = 2 * std::numbers::pi / response;
    const double decay = dampingFraction * omega0;
    const double half = std::numbers::pi / (omega0 * std::sqrt(1 - dampingFraction * dampingFraction));
    const auto outside = [&](int k) { return std::exp(-decay * half * k) > (k % 2 == 0 ? arrival.below : arrival.above); };
    const double smaller = std::min(arrival.below, arrival.above);
    int last = -1;
    for (int k = 0; k < 10'000 && std::exp(-decay * half * k) > smaller; ++k)
        if (outside(k)) last = k;
    if (last < 0) return 0;
    const bool under = last % 2 == 0;
    double low = half * last;
    double high = half * (last + 1);
    for (int step = 0; step < bisections; ++step) {
        const double middle = (low + high) / 2;
        const double left = 1 - springProgress(middle, response, dampingFraction);
        const bool stillOutside = under ? left > arrival.below : -left > arrival.above;
        (stillOutside ? low : high) = middle;
    }
    return high;
}

}  // namespace

Arrival Arrival::slide(double pixels, bool fades) {
    constexpr double none = std::numeric_limits<double>::infinity();
    const double position = pixels > 0 ? 0.5 / pixels : none;
    return {std::min(position, fades ? 1.0 / 255 : none), position};
}

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

double Motion::arrivalTime(const Arrival& arrival) const {
    if (kind == Kind::spring) return std::min(springArrival(response, dampingFraction, arrival), duration());
    // The eased curves only rise.
    if (arrival.below >= 1) return 0;
    double low = 0;
    double high = response;
    for (int step = 0; step < bisections; ++step) {
        const double middle = (low + high) / 2;
        (1 - progress(middle) > arrival.below ? low : high) = middle;
    }
    return high;
}

void AppMotion::setJumpToEnd(bool jump) { jumpToEnd.store(jump); }

bool AppMotion::jumpsToEnd() { return jumpToEnd.load(); }

}  // namespace korvane
