#include "app/kit/PillGroup.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PillAccessible.h"
#include "app/kit/PillButton.h"

namespace korvane {

PillGroup::PillGroup(double radius, QWidget* parent) : QWidget(parent), radius_(radius), row_(new QHBoxLayout(this)) {
    row_->setContentsMargins(2, 2, 2, 2);
    row_->setSpacing(2);
    installPillAccessibility();
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PillGroup::addPill(PillButton* pill) {
    pill->setKind(PillButton::Kind::tab);
    pill->installEventFilter(this);
    row_->addWidget(pill);
    pills_.push_back(pill);
}

int PillGroup::widestWidth() const {
    const QMargins margins = row_->contentsMargins();
    int widest = 0;
    for (const PillButton* active : pills_) {
        int width = margins.left() + margins.right() + row_->spacing() * (static_cast<int>(pills_.size()) - 1);
        for (const PillButton* pill : pills_) width += pill->restingSizeHint(pill == active).width();
        widest = std::max(widest, width);
    }
    return widest;
}

bool PillGroup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const auto at = std::find(pills_.begin(), pills_.end(), watched);
    if (at == pills_.end()) return QWidget::eventFilter(watched, event);
    const auto index = static_cast<int>(at - pills_.begin());
    const int last = static_cast<int>(pills_.size()) - 1;
    int next = index;
    switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            next = std::max(index - 1, 0);
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            next = std::min(index + 1, last);
            break;
        case Qt::Key_Home:
            next = 0;
            break;
        case Qt::Key_End:
            next = last;
            break;
        default:
            return QWidget::eventFilter(watched, event);
    }
    if (next != index) {
        PillButton* chosen = pills_[static_cast<std::size_t>(next)];
        chosen->setFocus(Qt::TabFocusReason);
        chosen->click();
    }
    return true;
}

void PillGroup::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(palette.panel);
    painter.setPen(QPen(palette.hairline, 1));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius_, radius_);
}

}  // namespace korvane
