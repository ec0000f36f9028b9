#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/presenters/ChartScale.h"

namespace korvane {
namespace {

TEST(ChartScale, RoundStepsATopWithRoomAndTheDecimalsTheStepNeeds) {
    struct Case {
        double largest;
        double step;
        double top;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {0.9, 0.25, 1.0, {"0.00", "0.25", "0.50", "0.75", "1.00"}},
        {0.2, 0.1, 0.3, {"0.0", "0.1", "0.2", "0.3"}},
        {4.2, 1.25, 0, {}},  // no labels: only that 1.25 is never a step
        {100, 50, 150, {"0", "50", "100", "150"}},
        {0, 0.25, 1.0, {"0.00", "0.25", "0.50", "0.75", "1.00"}},
        {20, 10, 30, {"0", "10", "20", "30"}},
        {4.2, 2, 6, {"0", "2", "4", "6"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.largest);
        const ChartScale scale = chartScale(c.largest);
        if (c.labels.empty()) {
            EXPECT_NE(scale.step, c.step);
            continue;
        }
        EXPECT_DOUBLE_EQ(scale.step, c.step);
        EXPECT_DOUBLE_EQ(scale.top, c.top);
        ASSERT_EQ(scale.ticks, static_cast<int>(c.labels.size()));
        for (int tick = 0; tick < scale.ticks; ++tick) EXPECT_EQ(scale.label(tick * scale.step), c.labels[tick]);
    }
}

// Over many sizes: the top holds the largest value with room, and every label
// reads back as its exact value (no "0.2" for 0.25).
TEST(ChartScale, EveryLabelReadsBackExactly) {
    for (double largest = 0.003; largest < 5e4; largest *= 1.37) {
        SCOPED_TRACE(largest);
        const ChartScale scale = chartScale(largest);
        EXPECT_GE(scale.top, largest * 1.1 * (1 - 1e-9));
        EXPECT_LE(scale.ticks, 7);
        EXPECT_GE(scale.ticks, 3);
        for (int tick = 0; tick < scale.ticks; ++tick) {
            const double value = tick * scale.step;
            EXPECT_NEAR(std::stod(scale.label(value)), value, 1e-9 * std::max(1.0, value)) << scale.label(value);
        }
    }
}

TEST(ChartScale, DecimalsForAStep) {
    struct Case {
        double step;
        int decimals;
    };
    for (const Case& c : {Case{1, 0}, Case{50, 0}, Case{2.5, 1}, Case{0.5, 1}, Case{0.25, 2}, Case{0.001, 3},
                          Case{0.0025, 4}, Case{1.0 / 3, 6}, Case{0, 0}})
        EXPECT_EQ(decimalsForStep(c.step), c.decimals) << c.step;
}

}  // namespace
}  // namespace korvane
