#include "app/kit/PillButton.h"

#include <algorithm>
#include <cmath>

#include <QAccessible>
#include <QFontMetricsF>
#include <QPainter>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PillAccessible.h"
#include "app/theme/AppFont.h"
#include "app/theme/ButtonLook.h"
#include "app/theme/MotionAnimation.h"
#include "app/theme/FocusRing.h"
#include "app/theme/SymbolGlyph.h"
#include "app/kit/FocusVisibility.h"

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
    // Before anything a screen reader could hear about, so that it meets the pill's own interface.
    installPillAccessibility();
    setText(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(activeness_, &QVariantAnimation::valueChanged, this, [this] {
        // The width moves only where the title comes and goes or the padding changes.
        if (titleOnlyWhenActive_ || activePadding_ != restingPadding_) updateGeometry();
        update();
    });
}

void PillButton::setActive(bool active, bool animated) {
    if (active == active_) return;
    const bool pressedBefore = isPressed();
    active_ = active;
    if (kind_ == Kind::tab) setFocusPolicy(active ? Qt::TabFocus : Qt::NoFocus);
    if (animated && isVisible())
        activeness_->animateTo(active ? 1.0 : 0.0);
    else
        activeness_->jumpTo(active ? 1.0 : 0.0);
    updateGeometry();
    update();
    if (kind_ == Kind::tab || isPressed() != pressedBefore) announceState();
}

void PillButton::setPressed(bool pressed) {
    const bool before = isPressed();
    pressed_ = pressed;
    if (pressed != before && kind_ == Kind::toggle) announceState();
}

void PillButton::setKind(Kind kind) {
    kind_ = kind;
    setFocusPolicy(kind == Kind::tab && !active_ ? Qt::NoFocus : Qt::TabFocus);
}

void PillButton::announceState() {
    QAccessible::State changed;
    if (kind_ == Kind::tab)
        changed.selected = true;
    else
        changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

double PillButton::activeness() const { return activeness_->currentValue().toDouble(); }

double PillButton::titleShown() const {
    return titleOnlyWhenActive_ ? std::clamp(activeness(), 0.0, 1.0) : 1.0;
}

double PillButton::padding() const {
    return restingPadding_ + (activePadding_ - restingPadding_) * std::clamp(activeness(), 0.0, 1.0);
}

QSize PillButton::sizeAt(double activeness) const {
    const double active = std::clamp(activeness, 0.0, 1.0);
    const double title = titleOnlyWhenActive_ ? active : 1.0;
    const double padding = restingPadding_ + (activePadding_ - restingPadding_) * active;
    const QFontMetricsF metrics(titleFont());
    const double width = symbolSize + 2 * padding + title * (spacing + metrics.horizontalAdvance(text()));
    const double height = std::max(metrics.height(), symbolSize) + 2 * verticalPadding;
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
}

QSize PillButton::restingSizeHint(bool active) const { return sizeAt(active ? 1.0 : 0.0); }

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

QSize PillButton::sizeHint() const { return sizeAt(activeness()); }

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
    if (FocusVisibility::shows(*this)) FocusRing::paint(painter, bounds, radius_, palette, active >= 0.5 ? palette.solid : palette.panel);
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
