#include "app/kit/DropdownRow.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PlainLabel.h"
#include "app/kit/RestyleOnPaletteChange.h"
#include "app/kit/SymbolView.h"
#include "app/theme/AppFont.h"
#include "app/theme/DropdownGeometry.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {

DropdownRow::DropdownRow(bool isSelected, std::function<void()> action, QWidget* content, QWidget* parent)
    : QAbstractButton(parent),
      check_(new SymbolView("checkmark", 9, this)),
      hover_(new MotionAnimation(AppMotion::snappy, 0.0, this)) {
    restyleOnPaletteChange(*this, [this] { check_->setColor(environmentPalette(this).accent); });
    setCheckable(true);
    setChecked(isSelected);
    // Screen readers read a radio button: one row of the list is chosen.
    setAutoExclusive(true);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 6, 8, 6);
    row->setSpacing(8);
    content->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(content);
    row->addStretch(1);
    row->addSpacing(4 - row->spacing());
    row->addWidget(check_, 0, Qt::AlignVCenter);
    showCheck(isSelected);
    check_->setColor(environmentPalette(this).accent);
    connect(this, &QAbstractButton::clicked, this, [action] { action(); });
    // A click leaves the check alone (nextCheckState); a screen reader's
    // "Toggle" checks the row, and that chooses it.
    connect(this, &QAbstractButton::toggled, this, [this, action](bool on) {
        showCheck(on);
        if (on) action();
    });
    connect(hover_, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
}

DropdownRow* DropdownRow::titled(QWidget* mark, const QString& title, const QString& caption,
                                 const QColor& captionColor, bool isSelected, std::function<void()> action) {
    auto* content = new QWidget;
    auto* line = new QHBoxLayout(content);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    line->addWidget(mark, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    QLabel* titleLabel = plainLabel(title);
    titleLabel->setFont(AppFont::font(12, QFont::Medium));
    QLabel* captionLabel = plainLabel(caption);
    styleLabel(captionLabel, AppFont::font(10), captionColor);
    texts->addWidget(titleLabel);
    texts->addWidget(captionLabel);
    line->addLayout(texts, 1);
    auto* row = new DropdownRow(isSelected, std::move(action), content);
    row->setAccessibleName(title);
    row->setAccessibleDescription(caption);
    return row;
}

void DropdownRow::showCheck(bool shown) {
    check_->setOpacity(shown ? 1 : 0);
    check_->setScale(shown ? 1 : 0.6);
}

// The keyboard's row shows the hover fill as the pointer's does.
void DropdownRow::highlight() { hover_->animateTo(underMouse() || hasFocus() ? 1.0 : 0.0); }

void DropdownRow::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    hover_->animateTo(1.0);
}

void DropdownRow::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    hover_->animateTo(hasFocus() ? 1.0 : 0.0);
}

void DropdownRow::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    highlight();
}

void DropdownRow::focusOutEvent(QFocusEvent* event) {
    QAbstractButton::focusOutEvent(event);
    highlight();
}

void DropdownRow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            click();
            return;
        // The list moves the focus; a radio button's own arrows would choose.
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            event->ignore();
            return;
        default: QAbstractButton::keyPressEvent(event);
    }
}

void DropdownRow::paintEvent(QPaintEvent*) {
    const double hover = std::clamp(hover_->currentValue().toDouble(), 0.0, 1.0);
    if (hover <= 0) return;
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QColor fill = palette.hover;
    fill.setAlphaF(static_cast<float>(hover));
    painter.setBrush(fill);
    const double radius = DropdownGeometry::rowRadius(palette);
    painter.drawRoundedRect(rect(), radius, radius);
}

}  // namespace korvane
