#include "app/theme/Palette.h"

#include <cstddef>

#include "app/theme/Contrast.h"
#include "app/theme/NodeStyle.h"
#include "core/model/StorageNode.h"

namespace korvane {

namespace {

struct ThemeRow {
    ThemeID id;
    const char* name;
    const char* blurb;
    bool isDark;
    std::uint32_t canvas, panel, rail, hairline, hover, ink, inkSecondary, inkTertiary, solid, onSolid, accent;
    FontDesign fontDesign;
    double tracking;
    double radius;
    double fillStrength;
    Texture texture;
    QFont::Weight displayWeight;
};

using enum FontDesign;
constexpr auto semibold = QFont::DemiBold;
constexpr auto bold = QFont::Bold;
constexpr auto heavy = QFont::ExtraBold;

// In ThemeID order. Every ink reads at 4.5:1 or more on the canvas, panel,
// rail and hover fill, as text of 10 and 11 points needs; the secondary ink
// stands a visible step (1.2:1) from the tertiary, or the two levels read as one.
constexpr ThemeRow themeTable[] = {
    {ThemeID::paper, "Paper", "Warm editorial light", false, 0xf7f4ed, 0xfffdf8, 0xf2eee5, 0xe4dfd3, 0xede8dc,
     0x1b1a17, 0x5d5952, 0x6c6861, 0x1e1d1a, 0xfaf8f3, 0x2a764d, default_, 0, 10, 0.15, Texture::fibre, semibold},
    {ThemeID::graphite, "Graphite", "Neutral dark", true, 0x141517, 0x1b1c1f, 0x101113, 0x2b2d31, 0x232529,
     0xeceae4, 0x9c9a93, 0x8d8b85, 0xedebe5, 0x141517, 0x4fb07a, default_, 0, 10, 0.17, Texture::none, semibold},
    {ThemeID::terminal, "Terminal", "Phosphor green, monospaced", true, 0x080c09, 0x0d130f, 0x060906, 0x1c2a20,
     0x142017, 0xb8f5c8, 0x6fb683, 0x5c906b, 0x7cf29c, 0x041007, 0x7cf29c, monospaced, 0.4, 3, 0.2,
     Texture::scanlines, bold},
    {ThemeID::blueprint, "Blueprint", "Drafting cyan on navy", true, 0x0c1926, 0x11202f, 0x091420, 0x1e3b4a,
     0x16283a, 0xd3e8fa, 0x8aaecc, 0x6f91ab, 0x69c7f0, 0x061019, 0x69c7f0, monospaced, 0.3, 2, 0.19, Texture::grid,
     semibold},
    {ThemeID::iron, "Iron", "Volt on black, heavy", true, 0x0d0d0e, 0x151517, 0x090909, 0x2a2a2d, 0x1f1f22,
     0xf4f4f2, 0xa0a09c, 0x868683, 0xc6f24e, 0x0d0d0e, 0xc6f24e, default_, 0.8, 4, 0.18, Texture::grain, heavy},
    {ThemeID::arcade, "Arcade", "Synthwave magenta", true, 0x140b22, 0x1d1030, 0x0f0819, 0x33204f, 0x271640,
     0xf0e4ff, 0xae97ce, 0x907eac, 0xff5fd0, 0x140b22, 0xff5fd0, rounded, 0.5, 12, 0.2, Texture::grain, bold},
    {ThemeID::bloom, "Bloom", "Soft rose, generous curves", false, 0xfbf3f4, 0xfffcfc, 0xf6eaec, 0xebd9dd, 0xf2e2e6,
     0x2e1f28, 0x67535d, 0x76626b, 0x7a3350, 0xfff7f8, 0xa8446b, rounded, 0, 16, 0.14, Texture::fibre, semibold},
    {ThemeID::solar, "Solar", "Sepia and amber", false, 0xfbf2e2, 0xfffaf0, 0xf5ead6, 0xe7d8bc, 0xf0e2c9, 0x2b2317,
     0x605543, 0x706452, 0x2b2317, 0xfdf7ea, 0x8e5a11, serif, 0, 8, 0.15, Texture::fibre, semibold},
    {ThemeID::nord, "Nord", "Cool polar slate", true, 0x242933, 0x2e3440, 0x1e222a, 0x3b4252, 0x39414f, 0xeceff4,
     0xbbc2ce, 0xa4adbd, 0x88c0d0, 0x1e222a, 0x8fbcbb, default_, 0.2, 8, 0.19, Texture::none, semibold},
};

std::array<QColor, 9> colorSet(const std::array<std::uint32_t, 9>& hexes) {
    std::array<QColor, 9> colors;
    for (std::size_t i = 0; i < hexes.size(); ++i) colors[i] = colorFromHex(hexes[i]);
    return colors;
}

Palette build(const ThemeRow& row) {
    Palette p;
    p.id = row.id;
    p.name = row.name;
    p.blurb = row.blurb;
    p.isDark = row.isDark;
    p.canvas = colorFromHex(row.canvas);
    p.panel = colorFromHex(row.panel);
    p.rail = colorFromHex(row.rail);
    p.hairline = colorFromHex(row.hairline);
    p.hover = colorFromHex(row.hover);
    p.ink = colorFromHex(row.ink);
    p.inkSecondary = colorFromHex(row.inkSecondary);
    p.inkTertiary = colorFromHex(row.inkTertiary);
    p.solid = colorFromHex(row.solid);
    p.onSolid = colorFromHex(row.onSolid);
    p.accent = colorFromHex(row.accent);
    p.fontDesign = row.fontDesign;
    p.tracking = row.tracking;
    p.radius = row.radius;
    p.fillStrength = row.fillStrength;
    p.texture = row.texture;
    p.displayWeight = row.displayWeight;
    p.categorical = row.isDark ? darkCategoricalColors() : lightCategoricalColors();
    // The warning colours are shared by all light and all dark themes, moved
    // toward the ink only as far as this theme's grounds need for their text.
    const auto readable = [&p](std::uint32_t hex) {
        return readableOn(colorFromHex(hex), {p.canvas, p.panel, p.rail, p.hover}, p.ink);
    };
    p.amberTone = readable(row.isDark ? 0xC79A31 : 0x936713);
    p.redTone = readable(row.isDark ? 0xD1685F : 0xA8402F);
    return p;
}

// Position of each category (declaration order) in the categorical set.
constexpr std::size_t categorySlots[] = {
    0,  // xcode
    7,  // docker
    6,  // node
    4,  // android
    8,  // gradle
    1,  // cocoapods
    2,  // reactNative
    3,  // flutter
    5,  // toolchains
};

// Position of each file kind (declaration order) in the categorical set.
constexpr std::size_t kindSlots[] = {
    4,  // any
    0,  // images
    3,  // video
    5,  // audio
    1,  // archives
    7,  // documents
    6,  // code
    2,  // apps
    8,  // folders
};

}  // namespace

QColor colorFromHex(std::uint32_t hex) {
    return QColor::fromRgb(static_cast<int>((hex >> 16) & 0xFF), static_cast<int>((hex >> 8) & 0xFF),
                           static_cast<int>(hex & 0xFF));
}

const std::array<QColor, 9>& lightCategoricalColors() {
    static const std::array<QColor, 9> colors =
        colorSet({0x2e6fd9, 0xc4661f, 0x109184, 0x7b52d3, 0xa88400, 0xd14b7a, 0x3e8e29, 0x1e7fa8, 0xb4432f});
    return colors;
}

const std::array<QColor, 9>& darkCategoricalColors() {
    static const std::array<QColor, 9> colors =
        colorSet({0x5b93e8, 0xce7736, 0x1fa394, 0x8e79dc, 0xae8a0c, 0xd6668f, 0x5cab47, 0x3fa0c9, 0xd4674f});
    return colors;
}

const Palette& Palette::forTheme(ThemeID theme) {
    static const std::array<Palette, 9> palettes = [] {
        std::array<Palette, 9> built;
        for (std::size_t i = 0; i < built.size(); ++i) built[i] = build(themeTable[i]);
        return built;
    }();
    return palettes[static_cast<std::size_t>(theme)];
}

QColor Palette::colorForCategory(CleanupCategory category) const {
    return categorical[categorySlots[static_cast<std::size_t>(category)]];
}

QColor Palette::colorForKind(FileKind kind) const {
    return categorical[kindSlots[static_cast<std::size_t>(kind)] % categorical.size()];
}

QColor Palette::colorForNode(const StorageNode& node) const {
    if (node.category) return colorForCategory(*node.category);
    return colorForKind(nodeFileKind(node));
}

QColor Palette::amber() const { return amberTone; }

QColor Palette::red() const { return redTone; }

QPalette Palette::qtPalette() const {
    QPalette q;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        q.setColor(group, QPalette::Window, canvas);
        q.setColor(group, QPalette::WindowText, disabled ? inkTertiary : ink);
        q.setColor(group, QPalette::Base, panel);
        q.setColor(group, QPalette::AlternateBase, rail);
        q.setColor(group, QPalette::Text, disabled ? inkTertiary : ink);
        q.setColor(group, QPalette::PlaceholderText, inkTertiary);
        q.setColor(group, QPalette::Button, panel);
        q.setColor(group, QPalette::ButtonText, disabled ? inkTertiary : ink);
        q.setColor(group, QPalette::Highlight, accent);
        q.setColor(group, QPalette::HighlightedText, onSolid);
        q.setColor(group, QPalette::ToolTipBase, panel);
        q.setColor(group, QPalette::ToolTipText, ink);
        q.setColor(group, QPalette::Mid, hairline);
        q.setColor(group, QPalette::Light, hover);
        q.setColor(group, QPalette::Link, accent);
    }
    return q;
}

}  // namespace korvane
