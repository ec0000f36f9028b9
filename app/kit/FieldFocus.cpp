#include "app/kit/FieldFocus.h"

#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <algorithm>

#include "app/kit/PaletteEnvironment.h"
#include "app/theme/FocusRing.h"

namespace korvane {

namespace {

// How far the ring stands out from the field and its symbol.
constexpr int reachAcross = 6;
constexpr int reachUp = 4;

class FieldFocusRing : public QWidget {
public:
    // Until the field has a parent of its own, the ring waits inside it, hidden.
    FieldFocusRing(QWidget& field, QWidget* leading)
        : QWidget(field.parentWidget() ? field.parentWidget() : &field), field_(field), leading_(leading) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        hide();
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
    void paintEvent(QPaintEvent*) override {
        const Palette& palette = environmentPalette(this);
        QPainter painter(this);
        FocusRing::paint(painter, rect(), std::max(palette.radius - 2, 6.0), palette, palette.canvas);
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
