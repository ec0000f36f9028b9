#include <gtest/gtest.h>

#include "app/theme/Palette.h"
#include "app/theme/SafetyTagLook.h"
#include "app/theme/ThemeSwatchShape.h"

namespace korvane {
namespace {

TEST(SafetyTagLook, LevelsTakeTheirSymbolTitleAndTint) {
    struct Case {
        ThemeID theme;
        SafetyLevel level;
        const char* symbol;
        const char* title;
        QColor tint;
    };
    const Palette& paper = Palette::forTheme(ThemeID::paper);
    const Palette& iron = Palette::forTheme(ThemeID::iron);
    const Case cases[] = {
        {ThemeID::paper, SafetyLevel::safe, "checkmark.circle.fill", "Safe to remove", paper.accent},
        {ThemeID::iron, SafetyLevel::safe, "checkmark.circle.fill", "Safe to remove", iron.accent},
        {ThemeID::paper, SafetyLevel::caution, "exclamationmark.triangle.fill", "Review recommended", paper.amber()},
        {ThemeID::iron, SafetyLevel::caution, "exclamationmark.triangle.fill", "Review recommended", iron.amber()},
        {ThemeID::paper, SafetyLevel::dangerous, "lock.fill", "Protected", paper.red()},
        {ThemeID::iron, SafetyLevel::dangerous, "lock.fill", "Protected", iron.red()},
    };
    for (const auto& c : cases) {
        const SafetyTagLook look = safetyTagLook(c.level, Palette::forTheme(c.theme));
        EXPECT_EQ(look.symbol, c.symbol);
        EXPECT_EQ(look.title, c.title);
        EXPECT_EQ(look.tint, c.tint) << c.title;
        EXPECT_EQ(look.background.rgb(), c.tint.rgb());
        EXPECT_NEAR(look.background.alphaF(), 0.12, 0.003);
    }
}

TEST(ThemeSwatchShape, MeasuresAreFractionsOfTheHeight) {
    const Palette& bloom = Palette::forTheme(ThemeID::bloom);
    const ThemeSwatchShape shape = ThemeSwatchShape::make(bloom, 13);
    EXPECT_DOUBLE_EQ(shape.frame.width(), 20.15);
    EXPECT_DOUBLE_EQ(shape.radius, 3.9);
    EXPECT_EQ(shape.fill, bloom.canvas);
    EXPECT_EQ(shape.border, bloom.hairline);
    EXPECT_DOUBLE_EQ(shape.chips[0].rect.width(), 2.6);
    EXPECT_NEAR(shape.chips[1].rect.left() - shape.chips[0].rect.right(), 1.3, 1e-12);
    EXPECT_NEAR(shape.chips[0].rect.height(), 0.56 * 13, 1e-12);
    EXPECT_NEAR(shape.chips[1].rect.center().x(), shape.frame.center().x(), 1e-12);
    EXPECT_NEAR(shape.chips[1].rect.center().y(), shape.frame.center().y(), 1e-12);
    EXPECT_EQ(shape.chips[0].color, bloom.categorical[0]);
    EXPECT_EQ(shape.chips[1].color, bloom.categorical[3]);
    EXPECT_EQ(shape.chips[2].color, bloom.categorical[6]);
}

}  // namespace
}  // namespace korvane
