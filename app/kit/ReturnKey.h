#pragma once

#include <QKeyEvent>

namespace korvane {

// Return or the keypad's Enter, with no modifier but the keypad's own: the key
// that presses what has the focus.
inline bool isPlainReturn(const QKeyEvent& event) {
    return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) &&
           !(event.modifiers() & ~Qt::KeypadModifier);
}

}  // namespace korvane
