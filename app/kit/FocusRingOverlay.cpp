#include "app/kit/FocusRingOverlay.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>

#include "app/kit/FocusVisibility.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/theme/FocusRing.h"

namespace korvane {

FocusRingOverlay::FocusRingOverlay(QWidget* parent, double inset, double minimumRadius)
    : QWidget(parent), inset_(inset), minimumRadius_(minimumRadius) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    // A ring shows only while the keyboard is in use.
    connect(&FocusVisibility::instance(), &FocusVisibility::changed, this, [this] { follow(); });
}

bool FocusRingOverlay::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::FocusOut:
            // With the focus gone the ring only hides: the control may be on
            // its way out, only its QWidget part left, as a widget gives up
            // the focus when it is destroyed. A popup over it leaves it the focus.
            if (static_cast<QWidget*>(watched)->hasFocus())
                follow();
            else
                hide();
            break;
        case QEvent::FocusIn:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::LayoutRequest:
        case QEvent::Show:
        case QEvent::Hide:
            follow();
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void FocusRingOverlay::paintEvent(QPaintEvent*) {
    const Palette& palette = environmentPalette(this);
    QPainter painter(this);
    FocusRing::paint(painter, rect(), std::max(palette.radius - inset_, minimumRadius_), palette,
                     palette.canvas);
}

}  // namespace korvane
