#pragma once

#include <QFont>

namespace korvane {

// The type design a theme asks for. There is no rounded system face here, so
// rounded falls back to the default sans.
enum class FontDesign { default_, monospaced, rounded, serif };

// The shared fonts, and the one way every view builds a font from a size in
// points (one point is one logical pixel, as on the design's platform), a
// weight, a design and a letter spacing.
struct AppFont {
    static QFont font(double size, QFont::Weight weight = QFont::Normal, FontDesign design = FontDesign::default_,
                      double tracking = 0);

    // The height a line of `font` needs so that none of it is cut: its
    // ascent and the deeper of its descent and of where its lowest glyphs
    // really end as drawn. QFontMetrics::height() rounds ascent and descent
    // to the nearest pixel instead, which cuts the underscores of a 10-point
    // monospaced line.
    static int lineHeight(const QFont& font);

    static const QFont& label();       // 10 semibold
    static const QFont& body();        // 12
    static const QFont& bodyMedium();  // 12 medium
    static const QFont& caption();     // 11
    static const QFont& small();       // 10
    static const QFont& mono();        // 11 monospaced
};

}  // namespace korvane
