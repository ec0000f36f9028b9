#include "app/kit/PillButton.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QPainter>

#include "app/kit/PaletteEnvironment.h"
#include "app/theme/AppFont.h"
#include "app/theme/ButtonLook.h"
#include "app/theme/MotionAnimation.h"
#include "app/theme/SymbolGlyph.h"

namespace korvane {

namespace {

constexpr double symbolSize = 11;
constexpr double spacing = 5;
constexpr double verticalPadding = 5;

const QFont& titleFont() {
    static const QFont font = AppFont::font(11, QFont::Medium);
    return font;
}

}  // namespace

PillButton::PillButton(std::string symbol, const QString& title, QWidget* parent)
    : QAbstractButton(parent),
      symbol_(std::move(symbol)),
      activeness_(new MotionAnimation(AppMotion::snappy, 0.0, this)) {
    setText(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCheckable(true);
    connect(this, &QAbstractButton::toggled, this, [this](bool checked) {
        if (showingActive_ || checked == active_) return;
        // Asked from outside (a screen reader): undo the tick, then act as a click.
        showingActive_ = true;
        setChecked(active_);
        showingActive_ = false;
        click();
    });
    connect(activeness_, &QVariantAnimation::valueChanged, this, [this] {
        // The width moves only where the title comes and goes or the padding changes.
        if (titleOnlyWhenActive_ || activePadding_ != restingPadding_) updateGeometry();
        update();
    });
}

void PillButton::setActive(bool active, bool animated) {
    if (active == active_) return;
    active_ = active;
    showingActive_ = true;
    setChecked(active);
    showingActive_ = false;
    if (animated && isVisible())
        activeness_->animateTo(active ? 1.0 : 0.0);
    else
        activeness_->jumpTo(active ? 1.0 : 0.0);
    updateGeometry();
    update();
}

double PillButton::activeness() const { return activeness_->currentValue().toDouble(); }

double PillButton::titleShown() const {
    return titleOnlyWhenActive_ ? std::clamp(activeness(), 0.0, 1.0) : 1.0;
}

double PillButton::padding() const {
    return restingPadding_ + (activePadding_ - restingPadding_) * std::clamp(activeness(), 0.0, 1.0);
}

void PillButton::setShowsTitleOnlyWhenActive(bool only) {
    titleOnlyWhenActive_ = only;
    updateGeometry();
    update();
}

void PillButton::setShape(double activePadding, double restingPadding, double radius) {
    activePadding_ = activePadding;
    restingPadding_ = restingPadding;
    radius_ = radius;
    updateGeometry();
    update();
}

QSize PillButton::sizeHint() const {
    const QFontMetricsF metrics(titleFont());
    const double width =
        symbolSize + 2 * padding() + titleShown() * (spacing + metrics.horizontalAdvance(text()));
    const double height = std::max(metrics.height(), symbolSize) + 2 * verticalPadding;
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
}

void PillButton::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF bounds = rect();
    const double active = std::clamp(activeness(), 0.0, 1.0);
    if (active > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(withOpacity(palette.solid, active));
        painter.drawRoundedRect(bounds, radius_, radius_);
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette.accent, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(bounds.adjusted(0.75, 0.75, -0.75, -0.75), radius_, radius_);
    }
    painter.setPen(mixed(palette.inkSecondary, palette.onSolid, active));
    double x = padding();
    painter.setFont(symbolFont(symbolSize));
    painter.drawText(QRectF(x, 0, symbolSize, bounds.height()), Qt::AlignCenter, symbolText(symbol_));
    const double title = titleShown();
    if (title <= 0) return;
    // A title on its way in or out fades, cut off at the pill's edge.
    x += symbolSize + spacing;
    painter.setOpacity(title);
    painter.setClipRect(bounds);
    painter.setFont(titleFont());
    painter.drawText(
        QRectF(x, 0, std::max(bounds.width() - x, QFontMetricsF(titleFont()).horizontalAdvance(text())),
               bounds.height()),
        Qt::AlignVCenter | Qt::AlignLeft, text());
}

}  // namespace korvane
