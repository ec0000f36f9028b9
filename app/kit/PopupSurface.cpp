#include "app/kit/PopupSurface.h"

#include <QPainter>
#include <QWidget>

#include "app/theme/Palette.h"

namespace korvane {

namespace {

// Shadow radius 18 at y offset 8.
constexpr QMargins shadowMargins{18, 10, 18, 26};

}  // namespace

QMargins PopupSurface::margins() const { return composited_ ? shadowMargins : QMargins(); }

void PopupSurface::prepare(QWidget* window) const {
    window->setAttribute(Qt::WA_TranslucentBackground, composited_);
    if (!composited_) window->setAttribute(Qt::WA_NoSystemBackground, false);
}

void PopupSurface::paint(QPainter& painter, const QRect& window, const Palette& palette, double radius) const {
    paint(painter, window, palette, radius, palette.panel);
}

void PopupSurface::paint(QPainter& painter, const QRect& window, const Palette& palette, double radius,
                         const QColor& fill) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(this->card(window)).adjusted(0.5, 0.5, -0.5, -0.5);
    if (!composited_) {
        // Square corners: the window itself is the card.
        painter.fillRect(window, fill);
        painter.setPen(QPen(palette.hairline, 1));
        painter.setBrush(Qt::NoBrush);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.drawRect(window.adjusted(0, 0, -1, -1));
        painter.restore();
        return;
    }
    painter.setPen(Qt::NoPen);
    // A soft shadow from stacked, ever wider and fainter cards.
    const QRectF shadow = card.translated(0, 8);
    const double opacity = palette.isDark ? 0.55 : 0.16;
    constexpr int steps = 9;
    for (int i = steps; i >= 1; --i) {
        const double spread = 18.0 * i / steps;
        painter.setBrush(QColor(0, 0, 0, static_cast<int>(255 * opacity / (steps * 1.6))));
        painter.drawRoundedRect(shadow.adjusted(6 - spread, 6 - spread, spread - 6, spread - 6), radius + spread,
                                radius + spread);
    }
    painter.setPen(QPen(palette.hairline, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(card, radius, radius);
    painter.restore();
}

}  // namespace korvane
