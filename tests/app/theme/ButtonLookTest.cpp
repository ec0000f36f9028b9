#include <gtest/gtest.h>

#include "app/theme/ButtonLook.h"
#include "app/theme/Palette.h"

namespace korvane {
namespace {

TEST(ButtonLook, SolidButtonByState) {
    const Palette& p = Palette::forTheme(ThemeID::paper);
    struct Case {
        ButtonState state;
        double fillOpacity;
        double scale;
        double shadowOpacity;
    };
    const Case cases[] = {
        {{true, false, false}, 1.0, 1.0, 0},
        {{true, true, false}, 1.0, 1.012, 0.28},
        {{true, true, true}, 1.0, 0.975, 0.28},  // pressed wins over hovered
        {{true, false, true}, 1.0, 0.975, 0},
        {{false, false, false}, 0.3, 1.0, 0},
        {{false, true, false}, 0.3, 1.0, 0},  // disabled: no lift, no shadow
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.state.enabled << c.state.hovered << c.state.pressed);
        const ButtonLook look = solidButtonLook(p, c.state);
        EXPECT_EQ(look.background, withOpacity(p.solid, c.fillOpacity));
        EXPECT_DOUBLE_EQ(look.scale, c.scale);
        EXPECT_NEAR(look.shadow.alphaF(), c.shadowOpacity, 0.003);
        EXPECT_EQ(look.shadow.rgb(), p.solid.rgb());
        EXPECT_EQ(look.foreground, p.onSolid);
        EXPECT_DOUBLE_EQ(look.radius, 8);
        EXPECT_EQ(look.padding, QMarginsF(16, 9, 16, 9));
        EXPECT_FALSE(look.border.isValid());
    }
}

TEST(ButtonLook, OutlineButtonByState) {
    const Palette& p = Palette::forTheme(ThemeID::nord);
    struct Case {
        ButtonState state;
        QColor background;
        double inkOpacity;
        double scale;
    };
    const Case cases[] = {
        {{true, false, false}, p.panel, 1.0, 1.0},
        {{true, true, false}, withOpacity(p.hover, 0.6), 1.0, 1.0},
        {{true, true, true}, p.hover, 1.0, 0.98},
        {{true, false, true}, p.hover, 1.0, 0.98},
        {{false, true, false}, p.panel, 0.35, 1.0},  // disabled and hovered keeps the panel
        {{false, false, false}, p.panel, 0.35, 1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.state.enabled << c.state.hovered << c.state.pressed);
        const ButtonLook look = outlineButtonLook(p, c.state);
        EXPECT_EQ(look.background, c.background);
        EXPECT_EQ(look.foreground, withOpacity(p.ink, c.inkOpacity));
        EXPECT_DOUBLE_EQ(look.scale, c.scale);
        EXPECT_EQ(look.shadow.alpha(), 0);
        EXPECT_EQ(look.border, p.hairline);
        EXPECT_EQ(look.padding, QMarginsF(13, 7, 13, 7));
    }
}

TEST(ButtonLook, TypeFollowsTheTheme) {
    const Palette& terminal = Palette::forTheme(ThemeID::terminal);
    const ButtonLook solid = solidButtonLook(terminal, {});
    EXPECT_EQ(solid.font.pixelSize(), 12);
    EXPECT_EQ(solid.font.weight(), QFont::DemiBold);
    EXPECT_NEAR(solid.font.letterSpacing(), 0.4, 1.0 / 64);  // stored in 1/64 px
    EXPECT_TRUE(solid.font.fixedPitch() || solid.font.styleHint() == QFont::TypeWriter ||
                solid.font.family() == AppFont::mono().family());
    EXPECT_DOUBLE_EQ(solid.radius, 1);
    const ButtonLook outline = outlineButtonLook(terminal, {});
    EXPECT_EQ(outline.font.pixelSize(), 11);
    EXPECT_EQ(outline.font.weight(), QFont::Medium);
    EXPECT_DOUBLE_EQ(outline.font.letterSpacing(), 0);  // no extra tracking
    // A radius below 2 never turns negative.
    EXPECT_DOUBLE_EQ(solidButtonLook(Palette::forTheme(ThemeID::blueprint), {}).radius, 0);
}

}  // namespace
}  // namespace korvane
