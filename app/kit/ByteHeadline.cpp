#include "app/kit/ByteHeadline.h"

#include <cmath>

#include <QPainter>

#include "app/kit/PaletteEnvironment.h"
#include "app/theme/MotionAnimation.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

constexpr double unitSpacing = 4;

}  // namespace

ByteHeadline::ByteHeadline(std::int64_t bytes, double size, double unitSize, std::optional<QColor> color,
                           QWidget* parent)
    : QLabel(parent),
      bytes_(bytes),
      size_(size),
      unitSize_(unitSize),
      color_(color),
      shown_(new MotionAnimation(AppMotion::gentle, static_cast<double>(bytes), this)) {
    setTextFormat(Qt::PlainText);
    setText(QString::fromStdString(ByteFormat::string(bytes)));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(shown_, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
}

void ByteHeadline::setBytes(std::int64_t bytes) {
    if (bytes == bytes_) return;
    bytes_ = bytes;
    setText(QString::fromStdString(ByteFormat::string(bytes)));
    updateGeometry();
    shown_->animateTo(static_cast<double>(bytes));
}

void ByteHeadline::setMotion(const Motion& motion) { shown_->setMotion(motion); }

double ByteHeadline::shownBytes() const { return shown_->currentValue().toDouble(); }

void ByteHeadline::setColor(std::optional<QColor> color) {
    if (color == color_) return;
    color_ = color;
    update();
}

QFont ByteHeadline::numberFont() const {
    const Palette& palette = environmentPalette(this);
    return AppFont::font(size_, palette.displayWeight, palette.fontDesign);
}

QFont ByteHeadline::unitFont() const {
    return AppFont::font(unitSize_, QFont::Medium, environmentPalette(this).fontDesign);
}

double ByteHeadline::baseline() const {
    return std::max(QFontMetricsF(numberFont()).ascent(), QFontMetricsF(unitFont()).ascent());
}

QSize ByteHeadline::sizeHint() const {
    const auto [number, unit] = ByteFormat::parts(bytes_);
    const QFontMetricsF numberMetrics(numberFont());
    const QFontMetricsF unitMetrics(unitFont());
    // Room for one more digit, so a rolling figure does not jump the layout.
    const double width = numberMetrics.horizontalAdvance(QString::fromStdString(number) + QLatin1Char('0')) +
                         unitSpacing + unitMetrics.horizontalAdvance(QString::fromStdString(unit));
    const double height = std::max(numberMetrics.ascent(), unitMetrics.ascent()) +
                          std::max(numberMetrics.descent(), unitMetrics.descent());
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
}

void ByteHeadline::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    const auto shown = static_cast<std::int64_t>(std::llround(std::max(0.0, shown_->currentValue().toDouble())));
    const auto [number, unit] = ByteFormat::parts(shown);
    const QFont numberFace = numberFont();
    const QFont unitFace = unitFont();
    const QFontMetricsF numberMetrics(numberFace);
    const QFontMetricsF unitMetrics(unitFace);
    const double baseline = this->baseline();

    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(numberFace);
    painter.setPen(color_.value_or(palette.ink));
    const QString numberText = QString::fromStdString(number);
    painter.drawText(QPointF(0, baseline), numberText);
    if (unit.empty()) return;
    painter.setFont(unitFace);
    painter.setPen(palette.inkSecondary);
    painter.drawText(QPointF(numberMetrics.horizontalAdvance(numberText) + unitSpacing, baseline),
                     QString::fromStdString(unit));
}

}  // namespace korvane
