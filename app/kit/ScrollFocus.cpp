#include "app/kit/ScrollFocus.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QScrollBar>

#include "app/kit/FocusRingOverlay.h"

namespace korvane {

namespace {

// Lies over the area's viewport and draws the ring while the area has the focus.
class ScrollFocusRing : public FocusRingOverlay {
public:
    explicit ScrollFocusRing(QAbstractScrollArea& area) : FocusRingOverlay(&area, 4, 3), area_(area) {
        area.installEventFilter(this);
        for (QScrollBar* bar : {area.verticalScrollBar(), area.horizontalScrollBar()})
            connect(bar, &QScrollBar::rangeChanged, this, [this] { follow(); });
        follow();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::FocusIn:
            case QEvent::FocusOut:
            case QEvent::Resize:
            case QEvent::LayoutRequest:
                place(area_.hasFocus());
                break;
            default:
                break;
        }
        return QWidget::eventFilter(watched, event);
    }

private:
    bool scrolls() const {
        const QScrollBar* down = area_.verticalScrollBar();
        const QScrollBar* across = area_.horizontalScrollBar();
        return down->maximum() > down->minimum() || across->maximum() > across->minimum();
    }
    void follow() {
        const bool scrolls = this->scrolls();
        area_.setFocusPolicy(scrolls ? Qt::TabFocus : Qt::NoFocus);
        if (!scrolls && area_.hasFocus()) passFocusOn();
        place(area_.hasFocus());
    }
    // The focus goes where Tab would take it next.
    void passFocusOn() {
        for (QWidget* next = area_.nextInFocusChain(); next != &area_; next = next->nextInFocusChain())
            if ((next->focusPolicy() & Qt::TabFocus) && next->isVisible() && next->isEnabled()) {
                next->setFocus(Qt::TabFocusReason);
                return;
            }
        area_.clearFocus();
    }
    void place(bool focused) {
        setGeometry(area_.viewport()->geometry());
        setVisible(focused);
        if (focused) {
            raise();
            update();
        }
    }

    QAbstractScrollArea& area_;
};

}  // namespace

void followScrollFocus(QAbstractScrollArea& area) { new ScrollFocusRing(area); }

}  // namespace korvane
