#include "app/frame/SheetWindow.h"

#include <algorithm>

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "app/kit/PaletteEnvironment.h"
#include "app/platform/Compositor.h"

namespace korvane {

SheetWindow::SheetWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
      surface_(Compositor::current().isComposited()),
      column_(new QVBoxLayout(this)) {
    surface_.prepare(this);
    // The content stays clear of the card's edge.
    column_->setContentsMargins(surface_.margins() + QMargins(edge, edge, edge, edge));
    column_->setSpacing(0);
}

void SheetWindow::setContent(QWidget* content) {
    // The card is the sheet's ground.
    content->setAutoFillBackground(false);
    // Where the card has rounded corners, nothing within may square them.
    if (surface_.isComposited()) content->installEventFilter(this);
    column_->addWidget(content);
}

bool SheetWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        auto* content = static_cast<QWidget*>(watched);
        const double radius = std::max(environmentPalette(this).radius - edge, 0.0);
        QPainterPath corners;
        corners.addRoundedRect(QRectF(content->rect()), radius, radius);
        content->setMask(QRegion(corners.toFillPolygon().toPolygon()));
    }
    return QDialog::eventFilter(watched, event);
}

void SheetWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Palette& palette = environmentPalette(this);
    surface_.paint(painter, rect(), palette, palette.radius, palette.canvas);
}

}  // namespace korvane
