#pragma once

class QKeyEvent;

namespace korvane {

// Return or the keypad's Enter, with no modifier but the keypad's own: the key
// that presses what has the focus.
bool isPlainReturn(const QKeyEvent& event);

// From now on Return and the keypad's Enter press the focused button or row,
// wherever it is, as Space does: before any default action of its window or
// sheet, which keeps the key only while no button has the focus. A button
// that answers the key itself (a picker opens its list) keeps that answer.
// Once is enough.
void pressFocusedButtonsOnReturn();

}  // namespace korvane
