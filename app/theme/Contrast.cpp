#include "app/theme/Contrast.h"

#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

QColor mix(const QColor& from, const QColor& to, double t) {
    const auto channel = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
    return QColor::fromRgb(channel(from.red(), to.red()), channel(from.green(), to.green()),
                           channel(from.blue(), to.blue()));
}

}  // namespace

double relativeLuminance(const QColor& color) {
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor& ink, std::initializer_list<QColor> grounds, const QColor& toward, double ratio) {
    const auto worst = [&](const QColor& color) {
        double lowest = ratio;
        for (const QColor& ground : grounds) lowest = std::min(lowest, contrastRatio(color, ground));
        return lowest;
    };
    // Small steps: the first colour that reads is the least change.
    constexpr int steps = 200;
    for (int i = 0; i <= steps; ++i) {
        const QColor candidate = mix(ink, toward, static_cast<double>(i) / steps);
        if (worst(candidate) >= ratio) return candidate;
    }
    return toward;
}

}  // namespace korvane
