#include <gtest/gtest.h>

#include "app/presenters/ItemKind.h"
#include "app/theme/NodeStyle.h"
#include "app/theme/Palette.h"
#include "core/model/StorageNode.h"

namespace korvane {
namespace {

struct ThemeExpectation {
    ThemeID id;
    const char* name;
    const char* blurb;
    bool isDark;
    std::uint32_t canvas;
    std::uint32_t accent;
    FontDesign fontDesign;
    double tracking;
    double radius;
    double fillStrength;
    Texture texture;
    QFont::Weight displayWeight;
};

TEST(Palette, EveryThemeCarriesItsRowOfTheTable) {
    const ThemeExpectation table[] = {
        {ThemeID::paper, "Paper", "Warm editorial light", false, 0xf7f4ed, 0x2a764d, FontDesign::default_, 0, 10,
         0.15, Texture::fibre, QFont::DemiBold},
        {ThemeID::graphite, "Graphite", "Neutral dark", true, 0x141517, 0x4fb07a, FontDesign::default_, 0, 10, 0.17,
         Texture::none, QFont::DemiBold},
        {ThemeID::terminal, "Terminal", "Phosphor green, monospaced", true, 0x080c09, 0x7cf29c,
         FontDesign::monospaced, 0.4, 3, 0.2, Texture::scanlines, QFont::Bold},
        {ThemeID::blueprint, "Blueprint", "Drafting cyan on navy", true, 0x0c1926, 0x69c7f0, FontDesign::monospaced,
         0.3, 2, 0.19, Texture::grid, QFont::DemiBold},
        {ThemeID::iron, "Iron", "Volt on black, heavy", true, 0x0d0d0e, 0xc6f24e, FontDesign::default_, 0.8, 4, 0.18,
         Texture::grain, QFont::ExtraBold},
        {ThemeID::arcade, "Arcade", "Synthwave magenta", true, 0x140b22, 0xff5fd0, FontDesign::rounded, 0.5, 12, 0.2,
         Texture::grain, QFont::Bold},
        {ThemeID::bloom, "Bloom", "Soft rose, generous curves", false, 0xfbf3f4, 0xa8446b, FontDesign::rounded, 0, 16,
         0.14, Texture::fibre, QFont::DemiBold},
        {ThemeID::solar, "Solar", "Sepia and amber", false, 0xfbf2e2, 0x8e5a11, FontDesign::serif, 0, 8, 0.15,
         Texture::fibre, QFont::DemiBold},
        {ThemeID::nord, "Nord", "Cool polar slate", true, 0x242933, 0x8fbcbb, FontDesign::default_, 0.2, 8, 0.19,
         Texture::none, QFont::DemiBold},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        const Palette& p = Palette::forTheme(row.id);
        EXPECT_EQ(p.id, row.id);
        EXPECT_EQ(p.name, row.name);
        EXPECT_EQ(p.blurb, row.blurb);
        EXPECT_EQ(p.isDark, row.isDark);
        EXPECT_EQ(p.canvas, colorFromHex(row.canvas));
        EXPECT_EQ(p.accent, colorFromHex(row.accent));
        EXPECT_EQ(p.fontDesign, row.fontDesign);
        EXPECT_DOUBLE_EQ(p.tracking, row.tracking);
        EXPECT_DOUBLE_EQ(p.radius, row.radius);
        EXPECT_DOUBLE_EQ(p.fillStrength, row.fillStrength);
        EXPECT_EQ(p.texture, row.texture);
        EXPECT_EQ(p.displayWeight, row.displayWeight);
        EXPECT_EQ(p.categorical, row.isDark ? darkCategoricalColors() : lightCategoricalColors());
    }
}

TEST(Palette, OtherColourFieldsSpotChecked) {
    struct Spot {
        ThemeID id;
        QColor Palette::* field;
        std::uint32_t hex;
    };
    const Spot spots[] = {
        {ThemeID::paper, &Palette::panel, 0xfffdf8},        {ThemeID::paper, &Palette::inkTertiary, 0x6c6861},
        {ThemeID::graphite, &Palette::rail, 0x101113},      {ThemeID::graphite, &Palette::onSolid, 0x141517},
        {ThemeID::terminal, &Palette::hairline, 0x1c2a20},  {ThemeID::terminal, &Palette::solid, 0x7cf29c},
        {ThemeID::blueprint, &Palette::hover, 0x16283a},    {ThemeID::blueprint, &Palette::ink, 0xd3e8fa},
        {ThemeID::iron, &Palette::inkSecondary, 0xa0a09c},  {ThemeID::iron, &Palette::onSolid, 0x0d0d0e},
        {ThemeID::arcade, &Palette::panel, 0x1d1030},       {ThemeID::arcade, &Palette::inkTertiary, 0x907eac},
        {ThemeID::bloom, &Palette::solid, 0x7a3350},        {ThemeID::bloom, &Palette::onSolid, 0xfff7f8},
        {ThemeID::solar, &Palette::rail, 0xf5ead6},         {ThemeID::solar, &Palette::hairline, 0xe7d8bc},
        {ThemeID::nord, &Palette::hover, 0x39414f},         {ThemeID::nord, &Palette::solid, 0x88c0d0},
    };
    for (const auto& spot : spots) {
        SCOPED_TRACE(std::string(rawValue(spot.id)) + " " + QString::number(spot.hex, 16).toStdString());
        EXPECT_EQ(Palette::forTheme(spot.id).*spot.field, colorFromHex(spot.hex));
    }
}

TEST(Palette, HexColourIsOpaqueSrgb) {
    const QColor color = colorFromHex(0x2c7d51);
    EXPECT_EQ(color.red(), 44);
    EXPECT_EQ(color.green(), 125);
    EXPECT_EQ(color.blue(), 81);
    EXPECT_EQ(color.alpha(), 255);
    EXPECT_EQ(darkCategoricalColors()[8], colorFromHex(0xd4674f));
    EXPECT_EQ(lightCategoricalColors()[0], colorFromHex(0x2e6fd9));
}

TEST(Palette, SwitchingLightToDarkChangesEveryCategoricalColour) {
    const auto& paper = Palette::forTheme(ThemeID::paper).categorical;
    const auto& graphite = Palette::forTheme(ThemeID::graphite).categorical;
    for (std::size_t i = 0; i < paper.size(); ++i) EXPECT_NE(paper[i], graphite[i]) << i;
    EXPECT_EQ(Palette::forTheme(ThemeID::paper), Palette::forTheme(ThemeID::paper));
    EXPECT_NE(Palette::forTheme(ThemeID::paper), Palette::forTheme(ThemeID::bloom));
}

TEST(Palette, CategorySlotsFollowTheFixedColourOrder) {
    const Palette& p = Palette::forTheme(ThemeID::paper);
    const std::pair<CleanupCategory, std::size_t> categorySlots[] = {
        {CleanupCategory::xcode, 0}, {CleanupCategory::cocoapods, 1}, {CleanupCategory::reactNative, 2},
        {CleanupCategory::flutter, 3}, {CleanupCategory::android, 4}, {CleanupCategory::toolchains, 5},
        {CleanupCategory::node, 6}, {CleanupCategory::docker, 7}, {CleanupCategory::gradle, 8},
    };
    for (auto [category, slot] : categorySlots) EXPECT_EQ(p.colorForCategory(category), p.categorical[slot]) << slot;
    const std::pair<FileKind, std::size_t> kinds[] = {
        {FileKind::any, 4},  {FileKind::images, 0},    {FileKind::video, 3}, {FileKind::audio, 5},
        {FileKind::archives, 1}, {FileKind::documents, 7}, {FileKind::code, 6}, {FileKind::apps, 2},
        {FileKind::folders, 8},
    };
    for (auto [kind, slot] : kinds) EXPECT_EQ(p.colorForKind(kind), p.categorical[slot]) << slot;
}

TEST(Palette, NodesTakeCategoryFirstThenStoredOrClassifiedKind) {
    const Palette& p = Palette::forTheme(ThemeID::graphite);
    StorageNode gradle;
    gradle.name = "holiday.png";
    gradle.category = CleanupCategory::gradle;
    gradle.fileKind = FileKind::images;
    EXPECT_EQ(p.colorForNode(gradle), p.categorical[8]);
    EXPECT_EQ(categorySymbol(gradle), "gearshape.2.fill");

    StorageNode image;
    image.name = "holiday.PNG";
    EXPECT_EQ(p.colorForNode(image), p.categorical[0]);
    EXPECT_EQ(categorySymbol(image), "photo");

    StorageNode folder;
    folder.name = "holiday.png";
    folder.children.push_back(StorageNode{});
    EXPECT_EQ(p.colorForNode(folder), p.categorical[8]);
    EXPECT_EQ(categorySymbol(folder), "folder");

    StorageNode stored;
    stored.name = "notes";
    stored.fileKind = FileKind::code;
    EXPECT_EQ(p.colorForNode(stored), p.categorical[6]);
    EXPECT_EQ(categorySymbol(stored), "chevron.left.forwardslash.chevron.right");
}

TEST(Palette, WarningPairsFollowDarknessAndMoveOnlyWhereTextWouldNotRead) {
    // The shared pair where it reads on every ground of the theme.
    EXPECT_EQ(Palette::forTheme(ThemeID::paper).red(), colorFromHex(0xA8402F));
    EXPECT_EQ(Palette::forTheme(ThemeID::iron).amber(), colorFromHex(0xC79A31));
    EXPECT_EQ(Palette::forTheme(ThemeID::iron).red(), colorFromHex(0xD1685F));
    // Paper's rail is too dark for the light amber, Nord's hover too light
    // for the dark red: each moves a little toward the ink.
    const Palette& paper = Palette::forTheme(ThemeID::paper);
    const Palette& nord = Palette::forTheme(ThemeID::nord);
    EXPECT_LT(paper.amber().lightness(), colorFromHex(0x936713).lightness());
    EXPECT_GT(nord.red().lightness(), colorFromHex(0xD1685F).lightness());
    EXPECT_GT(nord.red().red(), nord.red().green());  // still a red
}

TEST(ThemeID, RawValuesRoundTripAndNothingElseDecodes) {
    const char* names[] = {"paper", "graphite", "terminal", "blueprint", "iron", "arcade", "bloom", "solar", "nord"};
    ASSERT_EQ(allThemeIDs().size(), std::size(names));
    for (std::size_t i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(rawValue(allThemeIDs()[i]), names[i]);
        EXPECT_EQ(themeIDFromRawValue(names[i]), allThemeIDs()[i]);
    }
    for (const char* bad : {"", "Paper", "paper ", "dark", "nord\n"}) EXPECT_EQ(themeIDFromRawValue(bad), std::nullopt);
}

}  // namespace
}  // namespace korvane
