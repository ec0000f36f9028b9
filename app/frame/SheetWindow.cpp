#include "app/frame/SheetWindow.h"

#include <QPainter>
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
    // The card is the sheet's ground; a content filling its own would cover the card's rounded corners.
    content->setAutoFillBackground(false);
    column_->addWidget(content);
}

void SheetWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Palette& palette = environmentPalette(this);
    surface_.paint(painter, rect(), palette, palette.radius, palette.canvas);
}

}  // namespace korvane
