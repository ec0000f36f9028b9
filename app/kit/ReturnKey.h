#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>

namespace korvane {

// Return or the keypad's Enter, with no modifier but the keypad's own: the key
// that presses what has the focus.
inline bool isPlainReturn(const QKeyEvent& event) {
    return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) &&
           !(event.modifiers() & ~Qt::KeypadModifier);
}

// A screen whose Return has a default action first lets a focused button
// within `scope` (other than `except`) take the key as its own press, as in a
// dialog. True when such a button had the focus, pressed or not (a disabled
// one takes the key all the same, so the default action does not run instead).
inline bool pressFocusedButton(const QWidget& scope, const QAbstractButton* except = nullptr) {
    auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    if (!button || button == except || !scope.isAncestorOf(button)) return false;
    if (button->isVisible() && button->isEnabled()) button->click();
    return true;
}

}  // namespace korvane
