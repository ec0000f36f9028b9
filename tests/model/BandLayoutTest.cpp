#include "core/model/BandLayout.h"

#include <limits>

#include <gtest/gtest.h>

namespace korvane {
namespace {

void expectWidths(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-9) << i;
}

TEST(BandLayoutTest, EmptyAndZeroLength) {
    EXPECT_TRUE(BandLayout::widths({}, 100, 10).empty());
    expectWidths(BandLayout::widths({0, 0}, 0, 10), {0, 0});
    expectWidths(BandLayout::widths({5, 5}, -3, 10), {0, 0});
}

TEST(BandLayoutTest, SmallBandsAreClampedToTheMinimum) {
    expectWidths(BandLayout::widths({100, 0, 0}, 300, 10), {280, 10, 10});
    expectWidths(BandLayout::widths({1, 1}, 100, 0), {50, 50});
    expectWidths(BandLayout::widths({300, 100}, 100, 10), {75, 25});
}

TEST(BandLayoutTest, ClampingRepeatsUntilEveryOpenBandFits) {
    expectWidths(BandLayout::widths({1000, 90, 10}, 100, 10), {80, 10, 10});
    // Clamping the smallest leaves less room, so the middle one falls below
    // the minimum on the second pass.
    expectWidths(BandLayout::widths({100, 50, 1}, 100, 30), {40, 30, 30});
}

TEST(BandLayoutTest, EqualShareWhenNothingToMeasureOrMinimumsDoNotFit) {
    expectWidths(BandLayout::widths({0, 0}, 100, 10), {50, 50});
    expectWidths(BandLayout::widths({1, 2, 3}, 100, 40), {100.0 / 3, 100.0 / 3, 100.0 / 3});
    expectWidths(BandLayout::widths({-5, -5}, 100, 10), {50, 50});
}

TEST(BandLayoutTest, MinimumExactlyFilling) {
    expectWidths(BandLayout::widths({1, 2}, 20, 10), {10, 10});
}

TEST(BandLayoutTest, HugeSizesDoNotOverflow) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    auto widths = BandLayout::widths({kMax, kMax, 0}, 300, 10);
    expectWidths(widths, {145, 145, 10});
}

}  // namespace
}  // namespace korvane
