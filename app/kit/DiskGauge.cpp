#include "app/kit/DiskGauge.h"

#include <cmath>

#include <QPainter>

#include "app/kit/PaletteEnvironment.h"
#include "app/theme/AppFont.h"

namespace korvane {

namespace {

constexpr double lineWidth = 7;
// Room for the outer half of the arc's band around the frame.
constexpr double overflow = lineWidth / 2 + 0.5;

}  // namespace

DiskGauge::DiskGauge(double frameSize, QWidget* parent)
    : QWidget(parent), frameSize_(frameSize), content_(diskGaugeContent({})) {
    setFixedSize(sizeHint());
    setAccessibleName(QString::fromStdString(content_.accessibleName));
}

void DiskGauge::setVolume(const VolumeInfo& volume) {
    DiskGaugeContent content = diskGaugeContent(volume);
    if (content == content_) return;
    content_ = std::move(content);
    setAccessibleName(QString::fromStdString(content_.accessibleName));
    update();
}

QSize DiskGauge::sizeHint() const {
    const int side = static_cast<int>(std::ceil(frameSize_ + 2 * overflow));
    return {side, side};
}

void DiskGauge::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(QPointF(width() - frameSize_, height() - frameSize_) / 2, QSizeF(frameSize_, frameSize_));

    // The track lies inside the frame; the arc is centred on its edge.
    painter.setPen(QPen(palette.hairline, lineWidth, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    const double half = lineWidth / 2;
    painter.drawEllipse(frame.adjusted(half, half, -half, -half));
    const double fraction = std::clamp(content_.usedFraction, 0.0, 1.0);
    if (fraction > 0) {
        painter.setPen(QPen(tintColor(content_.tint, palette), lineWidth, Qt::SolidLine, Qt::RoundCap));
        // Qt counts sixteenths of a degree, anticlockwise from three o'clock.
        painter.drawArc(frame, 90 * 16, -static_cast<int>(std::lround(fraction * 360 * 16)));
    }

    const QFont number = AppFont::font(14, QFont::DemiBold);
    const QFont used = AppFont::font(7, QFont::DemiBold, FontDesign::default_, 0.5);
    const QFontMetricsF numberMetrics(number);
    const QFontMetricsF usedMetrics(used);
    // The two lines overlap by a point, as one centred block.
    const double block = numberMetrics.height() + usedMetrics.height() - 1;
    const double top = frame.center().y() - block / 2;
    painter.setFont(number);
    painter.setPen(palette.ink);
    painter.drawText(QRectF(frame.left(), top, frame.width(), numberMetrics.height()), Qt::AlignCenter,
                     QString::fromStdString(content_.percent));
    painter.setFont(used);
    painter.setPen(palette.inkTertiary);
    painter.drawText(QRectF(frame.left(), top + numberMetrics.height() - 1, frame.width(), usedMetrics.height()),
                     Qt::AlignCenter, QStringLiteral("USED"));
}

}  // namespace korvane
