#include "app/kit/FieldFocus.h"

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
        watch(field);
        if (leading) watch(*leading);
    }

private:
    void follow() override {
        // A field that takes typing shows where the typing goes, however it got the focus.
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
