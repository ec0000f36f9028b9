#include "app/kit/PillButton.h"

#include <cmath>

#include <QFontMetricsF>
#include <QPainter>

#include "app/kit/PaletteEnvironment.h"
#include "app/theme/AppFont.h"
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
}

void PillButton::setActive(bool active) {
    if (active == active_) return;
    active_ = active;
    showingActive_ = true;
    setChecked(active);
    showingActive_ = false;
    updateGeometry();
    update();
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
    if (hasFocus()) {
        painter.setPen(QPen(palette.accent, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(bounds.adjusted(0.75, 0.75, -0.75, -0.75), radius_, radius_);
    }
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
