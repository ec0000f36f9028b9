#include "app/kit/PopupFrame.h"

#include <QPainter>
#include <QVBoxLayout>

#include "app/kit/PaletteEnvironment.h"
#include "app/platform/Compositor.h"

namespace korvane {

PopupFrame::PopupFrame(QWidget* parent, int padding)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
      surface_(Compositor::current().isComposited()),
      column_(new QVBoxLayout(this)) {
    surface_.prepare(this);
    setAttribute(Qt::WA_WindowPropagation);
    column_->setContentsMargins(surface_.margins() + QMargins(padding, padding, padding, padding));
    column_->setSpacing(0);
}

double PopupFrame::cardRadius() const { return environmentPalette(this).radius; }

void PopupFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    surface_.paint(painter, rect(), environmentPalette(this), cardRadius());
}

}  // namespace korvane
