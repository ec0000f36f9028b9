#include "app/frame/DiskGauge.h"

#include <cmath>
#include <numbers>

#include <QFontMetricsF>
#include <QPainter>

#include "app/kit/PaletteEnvironment.h"
#include "app/theme/AppFont.h"

namespace korvane {

DiskGauge::DiskGauge(double ringSize, QWidget* parent) : QWidget(parent), ringSize_(ringSize) {
    setFixedSize(sizeHint());
    setVolume({});
}

QSize DiskGauge::sizeHint() const {
    const int side = static_cast<int>(ringSize_ + band);
    return {side, side};
}

void DiskGauge::setVolume(const VolumeInfo& volume) {
    DiskGaugeContent content = diskGaugeContent(volume);
    if (content == content_ && !accessibleName().isEmpty()) return;
    // Another program writing moves the used share at every reading; the
    // ring is drawn again only when its arc's end moves half a pixel.
    const double halfPixels = std::numbers::pi * ringSize_ * devicePixelRatioF() * 2;
    const bool redraw = content.percentText != content_.percentText || content.isCritical != content_.isCritical ||
                        (content.usedFraction > 0) != (content_.usedFraction > 0) ||
                        std::lround(content.usedFraction * halfPixels) != std::lround(content_.usedFraction * halfPixels);
    content_ = std::move(content);
    setAccessibleName(QString::fromStdString(content_.accessibleText));
    if (redraw) update();
}

void DiskGauge::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ring(band / 2, band / 2, ringSize_, ringSize_);

    // The track lies inside the ring, the arc on its edge.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette.hairline, band, Qt::SolidLine, Qt::FlatCap));
    painter.drawEllipse(ring.adjusted(band / 2, band / 2, -band / 2, -band / 2));
    if (content_.usedFraction > 0) {
        painter.setPen(QPen(content_.isCritical ? palette.red() : palette.amber(), band, Qt::SolidLine, Qt::RoundCap));
        // From twelve o'clock, clockwise (Qt counts sixteenths of a degree, anticlockwise).
        painter.drawArc(ring, 90 * 16, -static_cast<int>(std::lround(content_.usedFraction * 360 * 16)));
    }

    const QFont percentFont = AppFont::font(14, QFont::DemiBold);
    const QFont usedFont = AppFont::font(7, QFont::DemiBold, FontDesign::default_, 0.5);
    const QFontMetricsF percentMetrics(percentFont), usedMetrics(usedFont);
    const double height = percentMetrics.height() + usedMetrics.height() - 1;
    double y = (this->height() - height) / 2;
    painter.setFont(percentFont);
    painter.setPen(palette.ink);
    painter.drawText(QRectF(0, y, width(), percentMetrics.height()), Qt::AlignCenter,
                     QString::fromStdString(content_.percentText));
    y += percentMetrics.height() - 1;
    painter.setFont(usedFont);
    painter.setPen(palette.inkTertiary);
    painter.drawText(QRectF(0, y, width(), usedMetrics.height()), Qt::AlignCenter, QStringLiteral("USED"));
}

}  // namespace korvane
