#include "app/kit/ReturnKey.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

namespace korvane {

namespace {

// The button a key sent to `receiver` is for: the button itself, or the
// focused button within it (a key sent to the window or page that holds it).
QAbstractButton* buttonFor(QObject* receiver) {
    if (auto* button = qobject_cast<QAbstractButton*>(receiver)) return button;
    auto* outer = qobject_cast<QWidget*>(receiver);
    auto* focused = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    return outer != nullptr && focused != nullptr && outer->isAncestorOf(focused) ? focused : nullptr;
}

// Sees every key of the application before any widget does.
class FocusedButtonPress : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        QAbstractButton* button = isPlainReturn(*key) ? buttonFor(watched) : nullptr;
        if (button == nullptr) return false;
        // No window shortcut (a screen's default action) takes the key from the button.
        if (type == QEvent::ShortcutOverride) {
            key->accept();
            return true;
        }
        // The button answers first, in its own way if it has one (a picker
        // opens); one that leaves the key unanswered is pressed, and no parent
        // (a sheet's default button) answers instead. Held down, the key
        // presses once; a disabled button takes it and does nothing.
        const QPointer<QAbstractButton> alive(button);
        // It comes accepted, as Qt delivers it: a handler that leaves it ignores it.
        key->accept();
        static_cast<QObject*>(button)->event(key);
        if (alive && !key->isAccepted() && !key->isAutoRepeat()) button->click();
        key->accept();
        return true;
    }
};

}  // namespace

bool isPlainReturn(const QKeyEvent& event) {
    return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) &&
           !(event.modifiers() & ~Qt::KeypadModifier);
}

bool returnReachesPage(const QWidget& page) {
    if (!page.isVisible()) return false;
    const QWidget* focused = QApplication::focusWidget();
    if (focused == nullptr || focused == page.window() || focused == &page) return true;
    if (!focused->isVisible()) return false;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(focused));
    return face != nullptr && !face->text(QAccessible::Name).trimmed().isEmpty();
}

void pressFocusedButtonsOnReturn() {
    static QObject* press = nullptr;
    if (press != nullptr || qApp == nullptr) return;
    press = new FocusedButtonPress(qApp);
    qApp->installEventFilter(press);
}

}  // namespace korvane
