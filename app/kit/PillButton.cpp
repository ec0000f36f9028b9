#include "app/kit/PillButton.h"

#include <cmath>

#include <QAccessible>
#include <QFontMetricsF>
#include <QPainter>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PillAccessible.h"
#include "app/theme/AppFont.h"
#include "app/theme/FocusRing.h"
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
    : QAbstractButton(parent), symbol_(std::move(symbol)) {
    // Before anything a screen reader could hear about, so that it meets the pill's own interface.
    installPillAccessibility();
    setText(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PillButton::setActive(bool active) {
    if (active == active_) return;
    const bool pressedBefore = isPressed();
    active_ = active;
    if (kind_ == Kind::tab) setFocusPolicy(active ? Qt::TabFocus : Qt::NoFocus);
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
    double width = symbolSize + 2 * (active_ ? activePadding_ : restingPadding_);
    if (showsTitle()) width += spacing + metrics.horizontalAdvance(text());
    const double height = std::max(metrics.height(), symbolSize) + 2 * verticalPadding;
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
}

void PillButton::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF bounds = rect();
    if (active_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette.solid);
        painter.drawRoundedRect(bounds, radius_, radius_);
    }
    if (hasFocus())
        FocusRing::paint(painter, bounds, radius_, palette, active_ ? palette.solid : palette.panel);
    painter.setPen(active_ ? palette.onSolid : palette.inkSecondary);
    double x = active_ ? activePadding_ : restingPadding_;
    painter.setFont(symbolFont(symbolSize));
    painter.drawText(QRectF(x, 0, symbolSize, bounds.height()), Qt::AlignCenter, symbolText(symbol_));
    if (!showsTitle()) return;
    x += symbolSize + spacing;
    painter.setFont(titleFont());
    painter.drawText(QRectF(x, 0, bounds.width() - x, bounds.height()), Qt::AlignVCenter | Qt::AlignLeft, text());
}

}  // namespace korvane
