#include "app/theme/AppFont.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace korvane {

QFont AppFont::font(double size, QFont::Weight weight, FontDesign design, double tracking) {
    QFont font = design == FontDesign::monospaced ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont();
    if (design == FontDesign::serif) {
        font.setStyleHint(QFont::Serif);
        font.setFamilies(QStringList{QStringLiteral("serif")});
    }
    // Pixel sizes keep the design's point measures on every screen density setting.
    font.setPixelSize(std::max(1, qRound(size)));
    font.setWeight(weight);
    if (tracking != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    return font;
}

int AppFont::lineHeight(const QFont& font) {
    const QFontMetricsF metrics(font);
    // Where the lowest glyphs really end as drawn (an underscore's stroke
    // lands on whole pixels), when that is below the font's own descent.
    const double inkBelow = metrics.boundingRect(QStringLiteral("_gjpqy|")).bottom();
    return static_cast<int>(std::ceil(metrics.ascent() + std::max(metrics.descent(), inkBelow)));
}

const QFont& AppFont::label() {
    static const QFont font = AppFont::font(10, QFont::DemiBold);
    return font;
}

const QFont& AppFont::body() {
    static const QFont font = AppFont::font(12);
    return font;
}

const QFont& AppFont::bodyMedium() {
    static const QFont font = AppFont::font(12, QFont::Medium);
    return font;
}

const QFont& AppFont::caption() {
    static const QFont font = AppFont::font(11);
    return font;
}

const QFont& AppFont::small() {
    static const QFont font = AppFont::font(10);
    return font;
}

const QFont& AppFont::mono() {
    static const QFont font = AppFont::font(11, QFont::Normal, FontDesign::monospaced);
    return font;
}

}  // namespace korvane
