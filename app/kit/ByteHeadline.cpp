#include "app/kit/ByteHeadline.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QPainter>

#include "app/kit/PaletteEnvironment.h"
#include "app/theme/MotionAnimation.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

constexpr double unitSpacing = 4;

// The counts whose figures may be the widest of a roll between two counts:
// its ends, pushed out by what a spring overshoots, and the top of each unit
// it passes ("999 KB", "999.0 MB", "999.00 GB").
std::vector<std::int64_t> widestOfRoll(std::int64_t from, std::int64_t to) {
    const std::int64_t overshoot = (std::max(from, to) - std::min(from, to)) / 50;
    const std::int64_t low = std::max<std::int64_t>(std::min(from, to) - overshoot, 0);
    const std::int64_t high = std::max(from, to) + overshoot;
    std::vector<std::int64_t> counts{low, std::max(from, to), high};
    for (const std::int64_t next : {1'000'000LL, 1'000'000'000LL, 1'000'000'000'000LL}) {
        const std::int64_t top = next - next / 1000;
        if (top > low && top < high) counts.push_back(top);
    }
    return counts;
}

}  // namespace

ByteHeadline::ByteHeadline(std::int64_t bytes, double size, double unitSize, std::optional<QColor> color,
                           QWidget* parent)
    : QLabel(parent),
      bytes_(bytes),
      rollFrom_(bytes),
      size_(size),
      unitSize_(unitSize),
      color_(color),
      shown_(new MotionAnimation(AppMotion::gentle, static_cast<double>(bytes), this)) {
    setTextFormat(Qt::PlainText);
    setText(QString::fromStdString(ByteFormat::string(bytes)));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(shown_, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    // Landed, it needs room for its own figure only.
    connect(shown_, &QAbstractAnimation::finished, this, [this] {
        rollFrom_ = bytes_;
        updateGeometry();
    });
}

void ByteHeadline::setBytes(std::int64_t bytes) {
    if (bytes == bytes_) return;
    // The roll starts from the figure on show.
    rollFrom_ = static_cast<std::int64_t>(std::llround(std::max(0.0, shownBytes())));
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

double ByteHeadline::figureWidth(std::int64_t bytes) const { return widthOf(ByteFormat::parts(bytes)); }

double ByteHeadline::widthOf(const std::pair<std::string, std::string>& figure) const {
    const auto& [number, unit] = figure;
    const double unitWidth =
        unit.empty() ? 0 : unitSpacing + QFontMetricsF(unitFont()).horizontalAdvance(QString::fromStdString(unit));
    return QFontMetricsF(numberFont()).horizontalAdvance(QString::fromStdString(number)) + unitWidth;
}

QSize ByteHeadline::sizeHint() const {
    // Room for every figure the roll to the count draws, so it neither jumps
    // the layout nor is cut on its way.
    double width = 0;
    for (const std::int64_t passed : widestOfRoll(rollFrom_, bytes_))
        width = std::max(width, widthOf(ByteFormat::splitText(ByteFormat::withAllDigits(passed))));
    const QFontMetricsF numberMetrics(numberFont());
    const QFontMetricsF unitMetrics(unitFont());
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
