#include "app/kit/CrumbButton.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "app/kit/PaletteEnvironment.h"
#include "app/kit/SymbolView.h"
#include "app/theme/AppFont.h"
#include "app/theme/FocusRing.h"
#include "app/kit/FocusVisibility.h"

namespace korvane {

CrumbButton::CrumbButton(const QString& name, bool isLast, QWidget* parent)
    : QPushButton(parent), name_(name), isLast_(isLast) {
    setText(QString(name).replace(QLatin1Char('&'), QStringLiteral("&&")));
    setAccessibleName(name);
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    // Focus comes from Tab, not from a click: Return stays with what had the keyboard.
    setFocusPolicy(Qt::TabFocus);
    setFont(AppFont::font(11, isLast ? QFont::DemiBold : QFont::Normal));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize CrumbButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(name_))) + 14,
            static_cast<int>(std::ceil(metrics.height())) + 6};
}

QSize CrumbButton::minimumSizeHint() const { return {std::min(sizeHint().width(), 40), sizeHint().height()}; }

void CrumbButton::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isLast_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette.hover);
        painter.drawRoundedRect(QRectF(rect()), 5, 5);
    }
    if (FocusVisibility::shows(*this)) FocusRing::paint(painter, rect(), 5, palette, isLast_ ? palette.hover : palette.rail);
    painter.setPen(isLast_ ? palette.ink : palette.inkSecondary);
    painter.setFont(font());
    const QRectF inner = QRectF(rect()).adjusted(7, 0, -7, 0);
    painter.drawText(inner, Qt::AlignVCenter | Qt::AlignLeft,
                     QFontMetricsF(font()).elidedText(name_, Qt::ElideRight, inner.width()));
}

QWidget* crumbChevron(const QColor& color) {
    auto* chevron = new SymbolView("chevron.right", 8);
    chevron->setColor(color);
    return chevron;
}

std::vector<QPushButton*> crumbButtons(const QHBoxLayout* row) {
    std::vector<QPushButton*> buttons;
    for (int i = 0; i < row->count(); ++i)
        if (auto* button = qobject_cast<QPushButton*>(row->itemAt(i)->widget())) buttons.push_back(button);
    return buttons;
}

void clearCrumbs(QHBoxLayout* row) {
    while (QLayoutItem* item = row->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
}

}  // namespace korvane
