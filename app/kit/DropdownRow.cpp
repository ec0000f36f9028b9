#include "app/kit/DropdownRow.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PlainLabel.h"
#include "app/kit/SymbolView.h"
#include "app/theme/AppFont.h"
#include "app/theme/DropdownGeometry.h"
#include "app/theme/MotionAnimation.h"

namespace korvane {

DropdownRow::DropdownRow(bool isSelected, std::function<void()> action, QWidget* content, QWidget* parent)
    : QAbstractButton(parent),
      check_(new SymbolView("checkmark", 9, this)),
      hover_(new MotionAnimation(AppMotion::snappy, 0.0, this)) {
    setCheckable(true);
    setChecked(isSelected);
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
    check_->setOpacity(isSelected ? 1 : 0);
    check_->setScale(isSelected ? 1 : 0.6);
    check_->setColor(environmentPalette(this).accent);
    connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
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

void DropdownRow::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    hover_->animateTo(1.0);
}

void DropdownRow::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    hover_->animateTo(0.0);
}

void DropdownRow::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) check_->setColor(environmentPalette(this).accent);
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
