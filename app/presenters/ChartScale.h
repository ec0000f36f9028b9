#pragma once

#include <string>

namespace korvane {

// A value axis from 0: a round step (1, 2, 2.5 or 5 times a power of ten),
// a top that is a whole number of steps and holds the largest value with a
// tenth to spare, and as many decimals as the step needs, so every label
// reads exactly (0.25 is "0.25", never "0.2").
struct ChartScale {
    double top = 1;
    double step = 0.25;
    int ticks = 5;  // labels from 0 to top, both included
    int decimals = 2;

    // A printf format for the labels: "%.2f".
    std::string labelFormat() const;
    std::string label(double value) const;
};

ChartScale chartScale(double largest);

// The fewest decimals (at most 6) that write `step` and its multiples exactly.
int decimalsForStep(double step);

}  // namespace korvane
