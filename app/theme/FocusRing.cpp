#include "app/theme/FocusRing.h"

#include <QPainter>
#include <algorithm>

#include "app/theme/Contrast.h"
#include "app/theme/Palette.h"

namespace korvane {

namespace {

bool accentStandsOut(const Palette& palette, const QColor& ground) {
    return contrastRatio(palette.accent, ground) >= FocusRing::contrast;
}

}  // namespace

QColor FocusRing::color(const Palette& palette, const QColor& ground) {
    if (accentStandsOut(palette, ground)) return palette.accent;
    QColor best = palette.onSolid;
    for (const QColor& candidate : {palette.ink, palette.canvas, palette.onSolid})
        if (contrastRatio(candidate, ground) > contrastRatio(best, ground)) best = candidate;
    return best;
}

double FocusRing::inset(const Palette& palette, const QColor& ground) {
    // On the control's own fill, with that fill on both sides of the line.
    return accentStandsOut(palette, ground) ? width / 2 : width / 2 + 2;
}

void FocusRing::paint(QPainter& painter, const QRectF& bounds, double radius, const Palette& palette,
                      const QColor& ground) {
    const double in = inset(palette, ground);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color(palette, ground), width));
    painter.setBrush(Qt::NoBrush);
    const double corner = std::max(radius - (in - width / 2), 0.0);
    painter.drawRoundedRect(bounds.adjusted(in, in, -in, -in), corner, corner);
    painter.restore();
}

}  // namespace korvane
