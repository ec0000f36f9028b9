#include "app/kit/PickerLabel.h"

#include <QHBoxLayout>
#include <QPainter>
#include <algorithm>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/SymbolView.h"
#include "app/theme/ButtonLook.h"
#include "app/theme/DropdownGeometry.h"
#include "app/theme/MotionAnimation.h"
#include "app/kit/FocusVisibility.h"

namespace korvane {

PickerLabel::PickerLabel(bool framed, QMargins padding, int spacing, QWidget* parent)
    : QWidget(parent),
      framed_(framed),
      row_(new QHBoxLayout(this)),
      openness_(new MotionAnimation(AppMotion::snappy, 0.0, this)) {
    row_->setContentsMargins(padding);
    row_->setSpacing(spacing);
    connect(openness_, &QVariantAnimation::valueChanged, this, &PickerLabel::follow);
}

void PickerLabel::setOpen(bool open) {
    openness_->animateTo(open ? 1.0 : 0.0);
    follow();
}

void PickerLabel::turnWithOpening(SymbolView* chevron) {
    chevron_ = chevron;
    follow();
}

double PickerLabel::openness() const { return openness_->currentValue().toDouble(); }

void PickerLabel::follow() {
    if (chevron_) chevron_->setRotation(180 * openness());
    update();
}

void PickerLabel::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    // The dropdown that owns this face holds the keyboard focus.
    const bool focused = parentWidget() != nullptr && FocusVisibility::shows(*parentWidget());
    const double open = std::clamp(openness(), 0.0, 1.0);
    if (open <= 0 && !framed_ && !focused) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double radius = DropdownGeometry::pickerLabelRadius(palette);
    painter.setPen(focused ? QPen(palette.accent, 1.5) : framed_ ? QPen(palette.hairline, 1) : Qt::NoPen);
    painter.setBrush(framed_ ? mixed(palette.panel, palette.hover, open) : withOpacity(palette.hover, open));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

}  // namespace korvane
