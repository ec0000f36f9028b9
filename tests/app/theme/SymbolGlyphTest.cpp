#include <gtest/gtest.h>

#include <QRawFont>

#include "app/presenters/DisposalOptions.h"
#include "app/theme/SafetyTagLook.h"
#include "app/theme/Palette.h"
#include "app/theme/SymbolGlyph.h"

namespace korvane {
namespace {

// Every symbol name the code hands to the table, from the model and the kit.
std::vector<std::string> namesInUse() {
    std::vector<std::string> names = {"checkmark", "chevron.down"};
    for (auto category : allCleanupCategories()) names.emplace_back(symbolName(category));
    for (auto kind : allFileKinds()) names.emplace_back(symbolName(kind));
    for (auto level : allSafetyLevels())
        names.emplace_back(safetyTagLook(level, Palette::forTheme(ThemeID::paper)).symbol);
    for (const auto& option : defaultDisposalOptions()) names.push_back(option.symbol);
    return names;
}

TEST(SymbolGlyph, EveryNameInUseIsInTheTable) {
    for (const auto& name : namesInUse()) EXPECT_TRUE(hasSymbolGlyph(name)) << name;
}

TEST(SymbolGlyph, TheBundledFontHasEveryGlyphOfTheTable) {
    const QRawFont font = QRawFont::fromFont(symbolFont(24));
    ASSERT_TRUE(font.isValid());
    ASSERT_TRUE(font.familyName().contains(QStringLiteral("Material Icons"))) << font.familyName().toStdString();
    for (const auto& glyph : allSymbolGlyphs())
        EXPECT_TRUE(font.supportsCharacter(QChar(glyph.codepoint))) << glyph.name << " → " << glyph.material;
    EXPECT_TRUE(font.supportsCharacter(QChar(fallbackSymbolGlyph.codepoint)));
}

// The removal choices must tell apart at a glance: no two are drawn as
// variants of one icon (the same Material name with a suffix).
TEST(SymbolGlyph, RemovalChoicesAreDifferentPictures) {
    const auto family = [](std::string_view material) { return material.substr(0, material.find('_')); };
    const auto options = defaultDisposalOptions();
    for (std::size_t i = 0; i < options.size(); ++i)
        for (std::size_t j = i + 1; j < options.size(); ++j)
            EXPECT_NE(family(symbolGlyph(options[i].symbol).material), family(symbolGlyph(options[j].symbol).material))
                << options[i].title << " / " << options[j].title;
}

TEST(SymbolGlyph, UnknownNamesFallBackToTheNeutralGlyph) {
    for (const char* name : {"", "no.such.symbol", "Folder", "folder "}) {
        EXPECT_FALSE(hasSymbolGlyph(name)) << name;
        EXPECT_EQ(symbolGlyph(name).codepoint, fallbackSymbolGlyph.codepoint) << name;
    }
    EXPECT_EQ(symbolText("lock.fill"), QString(QChar(0xe897)));
    EXPECT_EQ(symbolGlyph("folder").material, "folder");
}

}  // namespace
}  // namespace korvane
