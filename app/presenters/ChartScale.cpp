#include "app/presenters/ChartScale.h"

#include <cmath>
#include <cstdio>

namespace korvane {

namespace {

constexpr int maximumDecimals = 6;
// About four steps up the axis.
constexpr double wantedSteps = 4;

}  // namespace

int decimalsForStep(double step) {
    if (!(step > 0) || !std::isfinite(step)) return 0;
    double scaled = step;
    for (int decimals = 0; decimals < maximumDecimals; ++decimals) {
        if (std::abs(scaled - std::round(scaled)) < 1e-9 * std::max(1.0, scaled)) return decimals;
        scaled *= 10;
    }
    return maximumDecimals;
}

ChartScale chartScale(double largest) {
    ChartScale scale;
    const double wanted = largest > 0 && std::isfinite(largest) ? largest * 1.1 : 1;
    const double rough = wanted / wantedSteps;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    double step = 10 * magnitude;
    for (double factor : {1.0, 2.0, 2.5, 5.0}) {
        if (factor * magnitude >= rough * (1 - 1e-9)) {
            step = factor * magnitude;
            break;
        }
    }
    const double steps = std::ceil(wanted / step - 1e-9);
    scale.step = step;
    scale.top = steps * step;
    scale.ticks = static_cast<int>(steps) + 1;
    scale.decimals = decimalsForStep(step);
    return scale;
}

std::string ChartScale::labelFormat() const { return "%." + std::to_string(decimals) + "f"; }

std::string ChartScale::label(double value) const {
    char text[64];
    std::snprintf(text, sizeof text, labelFormat().c_str(), value);
    return text;
}

}  // namespace korvane
