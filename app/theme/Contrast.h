#pragma once

#include <initializer_list>

#include <QColor>

namespace korvane {

// Contrast as the accessibility guidelines compute it: relative luminance of
// the linearised sRGB channels, and (lighter + 0.05) / (darker + 0.05).
double relativeLuminance(const QColor& color);
double contrastRatio(const QColor& a, const QColor& b);

// Text below 14 px needs this much against the ground it stands on.
inline constexpr double smallTextContrast = 4.5;

// The ink moved toward `toward` just far enough to stand out from every
// ground by `ratio`; unchanged when it already does.
QColor readableOn(const QColor& ink, std::initializer_list<QColor> grounds, const QColor& toward,
                  double ratio = smallTextContrast);

}  // namespace korvane
