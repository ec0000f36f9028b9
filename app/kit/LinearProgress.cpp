#include "app/kit/LinearProgress.h"

#include <algorithm>
#include <cmath>

#include <QPainter>

#include "app/kit/PaletteEnvironment.h"

namespace korvane {

namespace {

constexpr double trackHeight = 4;

}  // namespace

LinearProgress::LinearProgress(QWidget* parent) : QProgressBar(parent) {
    setRange(0, steps);
    setTextVisible(false);
}

void LinearProgress::setFraction(double fraction) {
    const double clamped = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
    setValue(static_cast<int>(std::lround(clamped * steps)));
}

QSize LinearProgress::sizeHint() const { return {300, 8}; }

void LinearProgress::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF track(0, (height() - trackHeight) / 2, width(), trackHeight);
    painter.setBrush(palette.hairline);
    painter.drawRoundedRect(track, trackHeight / 2, trackHeight / 2);
    const double share =
        maximum() > minimum() ? static_cast<double>(value() - minimum()) / (maximum() - minimum()) : 0.0;
    if (share <= 0) return;
    QRectF filled = track;
    filled.setWidth(std::max(track.width() * share, trackHeight));
    painter.setBrush(palette.accent);
    painter.drawRoundedRect(filled, trackHeight / 2, trackHeight / 2);
}

}  // namespace korvane
