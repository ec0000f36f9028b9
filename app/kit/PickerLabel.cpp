#include "app/kit/PickerLabel.h"

#include <QHBoxLayout>
#include <QPainter>

#include "app/kit/PaletteEnvironment.h"
#include "app/theme/DropdownGeometry.h"
#include "app/kit/FocusVisibility.h"

namespace korvane {

PickerLabel::PickerLabel(bool framed, QMargins padding, int spacing, QWidget* parent)
    : QWidget(parent), framed_(framed), row_(new QHBoxLayout(this)) {
    row_->setContentsMargins(padding);
    row_->setSpacing(spacing);
}

void PickerLabel::setOpen(bool open) {
    open_ = open;
    update();
}

void PickerLabel::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    // The dropdown that owns this face holds the keyboard focus.
    const bool focused = parentWidget() != nullptr && FocusVisibility::shows(*parentWidget());
    if (!open_ && !framed_ && !focused) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double radius = DropdownGeometry::pickerLabelRadius(palette);
    painter.setPen(focused ? QPen(palette.accent, 1.5) : framed_ ? QPen(palette.hairline, 1) : Qt::NoPen);
    if (!open_ && !framed_)
        painter.setBrush(Qt::NoBrush);
    else
        painter.setBrush(open_ ? palette.hover : palette.panel);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

}  // namespace korvane
