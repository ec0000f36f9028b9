#include <gtest/gtest.h>

#include "app/theme/Contrast.h"
#include "app/theme/Palette.h"

namespace korvane {
namespace {

TEST(Contrast, RatiosMatchTheGuidelinesFigures) {
    const struct {
        std::uint32_t a, b;
        double ratio;
    } cases[] = {
        {0x000000, 0xffffff, 21.0},
        {0xffffff, 0x000000, 21.0},  // either order
        {0x777777, 0x777777, 1.0},
        {0x767676, 0xffffff, 4.54},  // the lightest grey that reads on white
        {0x777777, 0xffffff, 4.48},
        {0xff0000, 0xffffff, 4.0},
        {0x0000ff, 0xffffff, 8.59},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(contrastRatio(colorFromHex(c.a), colorFromHex(c.b)), c.ratio, 0.01)
            << std::hex << c.a << " on " << c.b;
}

TEST(Contrast, ReadableOnMovesOnlyAsFarAsNeeded) {
    const QColor white = colorFromHex(0xffffff);
    const QColor black = colorFromHex(0x000000);
    const QColor grey = colorFromHex(0xdcdcdc);
    // Already readable: unchanged.
    EXPECT_EQ(readableOn(colorFromHex(0x333333), {white, grey}, black), colorFromHex(0x333333));
    // Too light on both grounds: darkened until the darker ground reads too, and no further.
    const QColor moved = readableOn(colorFromHex(0xaaaaaa), {white, grey}, black);
    EXPECT_GE(contrastRatio(moved, grey), smallTextContrast);
    EXPECT_LT(contrastRatio(moved, grey), smallTextContrast + 0.1);
    EXPECT_GE(contrastRatio(moved, white), smallTextContrast);
    // Lightened on a dark ground.
    const QColor lifted = readableOn(colorFromHex(0x404040), {black}, white);
    EXPECT_GT(lifted.lightness(), 0x40);
    EXPECT_GE(contrastRatio(lifted, black), smallTextContrast);
}

// Every colour the app sets text of 10 to 13 points in, on every ground such
// text stands on: the window, panels, the rail and the hover fill of rows.
TEST(Contrast, SmallTextReadsInEveryTheme) {
    struct Ink {
        const char* name;
        QColor (*color)(const Palette&);
    };
    const Ink inks[] = {
        {"ink", [](const Palette& p) { return p.ink; }},
        {"inkSecondary", [](const Palette& p) { return p.inkSecondary; }},
        {"inkTertiary", [](const Palette& p) { return p.inkTertiary; }},
        {"accent", [](const Palette& p) { return p.accent; }},
        {"amber", [](const Palette& p) { return p.amber(); }},
        {"red", [](const Palette& p) { return p.red(); }},
    };
    const Ink grounds[] = {
        {"canvas", [](const Palette& p) { return p.canvas; }},
        {"panel", [](const Palette& p) { return p.panel; }},
        {"rail", [](const Palette& p) { return p.rail; }},
        {"hover", [](const Palette& p) { return p.hover; }},
    };
    for (ThemeID theme : allThemeIDs()) {
        const Palette& palette = Palette::forTheme(theme);
        for (const Ink& ink : inks)
            for (const Ink& ground : grounds)
                EXPECT_GE(contrastRatio(ink.color(palette), ground.color(palette)), smallTextContrast)
                    << palette.name << ": " << ink.name << " on " << ground.name;
        // Labels on filled buttons.
        EXPECT_GE(contrastRatio(palette.onSolid, palette.solid), smallTextContrast) << palette.name;
    }
}

// The secondary and tertiary inks are two levels of emphasis: each reads on
// its grounds (above) and the two stand a visible step apart.
TEST(Contrast, SecondaryAndTertiaryInksAreAStepApart) {
    for (ThemeID theme : allThemeIDs()) {
        const Palette& palette = Palette::forTheme(theme);
        EXPECT_GE(contrastRatio(palette.inkSecondary, palette.inkTertiary), 1.2) << palette.name;
        // The secondary stands between the ink and the tertiary, not beyond the ink.
        EXPECT_LT(contrastRatio(palette.inkSecondary, palette.canvas), contrastRatio(palette.ink, palette.canvas))
            << palette.name;
        EXPECT_GT(contrastRatio(palette.inkSecondary, palette.canvas),
                  contrastRatio(palette.inkTertiary, palette.canvas))
            << palette.name;
    }
}

}  // namespace
}  // namespace korvane
