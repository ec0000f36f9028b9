#include "app/kit/FieldFocus.h"

#include <QEvent>
#include <QPointer>

#include "app/kit/FocusRingOverlay.h"

namespace korvane {

namespace {

// How far the ring stands out from the field and its symbol.
constexpr int reachAcross = 6;
constexpr int reachUp = 4;

class FieldFocusRing : public FocusRingOverlay {
public:
    // Until the field has a parent of its own, the ring waits inside it, hidden.
    FieldFocusRing(QWidget& field, QWidget* leading)
        : FocusRingOverlay(field.parentWidget() ? field.parentWidget() : &field, 2, 6),
          field_(field),
          leading_(leading) {
        field.installEventFilter(this);
        if (leading) leading->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::FocusIn:
            case QEvent::FocusOut:
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Show:
            case QEvent::Hide:
                follow();
                break;
            default:
                break;
        }
        return QWidget::eventFilter(watched, event);
    }

private:
    void follow() {
        const bool focused = field_.hasFocus() && field_.isVisible();
        if (field_.parentWidget() && parentWidget() != field_.parentWidget())
            setParent(field_.parentWidget());
        if (focused) {
            QRect around = field_.geometry();
            if (leading_ && leading_->isVisible()) around |= leading_->geometry();
            setGeometry(around.adjusted(-reachAcross, -reachUp, reachAcross, reachUp) &
                        parentWidget()->rect());
            raise();
        }
        setVisible(focused);
    }

    QWidget& field_;
    QPointer<QWidget> leading_;
};

}  // namespace

void followFieldFocus(QWidget& field, QWidget* leading) { new FieldFocusRing(field, leading); }

}  // namespace korvane
