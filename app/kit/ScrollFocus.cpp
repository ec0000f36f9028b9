#include "app/kit/ScrollFocus.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>

#include "app/kit/FocusRingOverlay.h"
#include "app/kit/FocusVisibility.h"

namespace korvane {

namespace {

// Lies over the area's viewport and draws the ring while the area has the focus.
class ScrollFocusRing : public FocusRingOverlay {
public:
    explicit ScrollFocusRing(QAbstractScrollArea& area) : FocusRingOverlay(&area, 4, 3), area_(area) {
        watch(area);
        for (QScrollBar* bar : {area.verticalScrollBar(), area.horizontalScrollBar()})
            connect(bar, &QScrollBar::rangeChanged, this, [this] { followRange(); });
        followRange();
    }

private:
    bool scrolls() const {
        const QScrollBar* down = area_.verticalScrollBar();
        const QScrollBar* across = area_.horizontalScrollBar();
        return down->maximum() > down->minimum() || across->maximum() > across->minimum();
    }
    void followRange() {
        const bool scrolls = this->scrolls();
        area_.setFocusPolicy(scrolls ? Qt::TabFocus : Qt::NoFocus);
        if (!scrolls && area_.hasFocus()) passFocusOn();
        follow();
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
    void follow() override {
        const bool focused = FocusVisibility::shows(area_);
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

void showColumnEndWithLastStop(QScrollArea& column) {
    column.setFocusPolicy(Qt::NoFocus);
    QObject* self = &column;
    QObject::connect(qApp, &QApplication::focusChanged, &column, [self](QWidget*, QWidget* now) {
        // The focus also moves while the column is being torn down, when it is a column no more.
        auto* column = qobject_cast<QScrollArea*>(self);
        if (now == nullptr || column == nullptr) return;
        QWidget* content = column->widget();
        if (content == nullptr || !content->isAncestorOf(now)) return;
        // Tab within the column scrolls by itself; the focus coming in from
        // outside it does not. A click leaves the column where it is.
        if (FocusVisibility::showsRings()) column->ensureWidgetVisible(now);
        const int bottom = now->mapTo(content, QPoint(0, now->height())).y();
        for (const QWidget* other : content->findChildren<QWidget*>())
            if (other != now && (other->focusPolicy() & Qt::TabFocus) && other->isEnabled() &&
                other->isVisibleTo(content) && other->mapTo(content, QPoint()).y() >= bottom)
                return;
        column->verticalScrollBar()->setValue(column->verticalScrollBar()->maximum());
    });
}

}  // namespace korvane
