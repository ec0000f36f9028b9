#include <gtest/gtest.h>

#include "app/theme/Contrast.h"
#include "app/theme/FocusRing.h"
#include "app/theme/Palette.h"

namespace korvane {
namespace {

// In every theme, on every ground a control stands on or is filled with, the
// focus ring stands out by 3:1. The accent is kept wherever it does; a ring
// in another colour sits on the control's fill, not at its edge, where the
// ground beyond the edge may match it.
TEST(FocusRing, StandsOutOnEveryGroundOfEveryTheme) {
    int otherColours = 0;
    for (const ThemeID theme : allThemeIDs()) {
        const Palette& palette = Palette::forTheme(theme);
        for (const QColor& ground :
             {palette.canvas, palette.panel, palette.rail, palette.hover, palette.solid}) {
            SCOPED_TRACE(std::string(rawValue(theme)) + " on " + ground.name().toStdString());
            const QColor ring = FocusRing::color(palette, ground);
            EXPECT_GE(contrastRatio(ring, ground), FocusRing::contrast);
            const bool accent = contrastRatio(palette.accent, ground) >= FocusRing::contrast;
            if (accent) {
                EXPECT_EQ(ring, palette.accent);
            }
            EXPECT_EQ(FocusRing::inset(palette, ground) > FocusRing::width / 2, !accent);
            otherColours += accent ? 0 : 1;
        }
    }
    EXPECT_GT(otherColours, 0) << "a theme whose solid colour is its accent";
}

}  // namespace
}  // namespace korvane
