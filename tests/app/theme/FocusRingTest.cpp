#include <gtest/gtest.h>

#include "app/theme/Contrast.h"
#include "app/theme/FocusRing.h"
#include "app/theme/Palette.h"

namespace korvane {
namespace {

// In every theme, on every ground a control stands on or is filled with, the
// focus ring stands out by 3:1; the accent is kept wherever it does.
TEST(FocusRing, StandsOutOnEveryGroundOfEveryTheme) {
    for (const ThemeID theme : allThemeIDs()) {
        const Palette& palette = Palette::forTheme(theme);
        for (const QColor& ground :
             {palette.canvas, palette.panel, palette.rail, palette.hover, palette.solid}) {
            SCOPED_TRACE(std::string(rawValue(theme)) + " on " + ground.name().toStdString());
            const QColor ring = FocusRing::color(palette, ground);
            EXPECT_GE(contrastRatio(ring, ground), FocusRing::contrast);
            if (contrastRatio(palette.accent, ground) >= FocusRing::contrast) {
                EXPECT_EQ(ring, palette.accent);
            }
        }
    }
}

// A ring in another colour than the accent sits on the control's fill, not
// at its edge, where the ground beyond the edge may match it.
TEST(FocusRing, AnotherColourThanTheAccentSitsOnTheFill) {
    const Palette& terminal = Palette::forTheme(ThemeID::terminal);  // solid is the accent
    EXPECT_EQ(FocusRing::inset(terminal, terminal.canvas), FocusRing::width / 2);
    EXPECT_NE(FocusRing::color(terminal, terminal.solid), terminal.accent);
    EXPECT_GE(FocusRing::inset(terminal, terminal.solid), FocusRing::width / 2 + 2);
}

}  // namespace
}  // namespace korvane
