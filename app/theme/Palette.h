#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <array>
#include <cstdint>
#include <string>

#include "app/state/ThemeID.h"
#include "app/theme/AppFont.h"
#include "app/theme/Texture.h"
#include "core/model/Categories.h"
#include "core/model/FileKind.h"

namespace korvane {

struct StorageNode;

// An opaque sRGB colour from 0xRRGGBB.
QColor colorFromHex(std::uint32_t hex);

// A complete visual theme: colours, type, spacing, texture and the nine
// categorical colours. Every view draws with the palette of the chosen theme.
struct Palette {
    ThemeID id = ThemeID::paper;
    std::string name;
    std::string blurb;
    bool isDark = false;
    QColor canvas;
    QColor panel;
    QColor rail;
    QColor hairline;
    QColor hover;
    QColor ink;
    QColor inkSecondary;
    QColor inkTertiary;
    QColor solid;
    QColor onSolid;
    QColor accent;
    FontDesign fontDesign = FontDesign::default_;
    double tracking = 0;
    double radius = 0;
    double fillStrength = 0;
    Texture texture = Texture::none;
    QFont::Weight displayWeight = QFont::DemiBold;
    std::array<QColor, 9> categorical;
    // What amber() and red() give.
    QColor amberTone;
    QColor redTone;

    // The palettes are built once and live for the whole run.
    static const Palette& forTheme(ThemeID theme);

    // Slot order xcode, cocoapods, reactNative, flutter, android, toolchains,
    // node, docker, gradle; not the categories' display order.
    QColor colorForCategory(CleanupCategory category) const;
    QColor colorForKind(FileKind kind) const;
    // The category's colour when the node has one, else its file kind's.
    QColor colorForNode(const StorageNode& node) const;

    // The fixed warning pairs: amber for caution, red for protected and failed.
    QColor amber() const;
    QColor red() const;

    // The same colours for the stock widgets (labels, check boxes, fields)
    // that sit among the themed ones.
    QPalette qtPalette() const;

    friend bool operator==(const Palette& a, const Palette& b) = default;
};

// The categorical sets every light and every dark palette shares.
const std::array<QColor, 9>& lightCategoricalColors();
const std::array<QColor, 9>& darkCategoricalColors();

}  // namespace korvane
