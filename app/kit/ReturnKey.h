#pragma once

class QKeyEvent;
class QWidget;

namespace korvane {

// Return or the keypad's Enter, with no modifier but the keypad's own: the key
// that presses what has the focus.
bool isPlainReturn(const QKeyEvent& event);

// Whether Return may run the default action of `page` (its review, its
// "Done"): the page shows, and the key comes from its window or from a
// control that shows and has a name. A hidden or unnamed widget left holding
// the focus passes nothing on.
bool returnReachesPage(const QWidget& page);

// From now on Return and the keypad's Enter press the focused button or row,
// wherever it is, as Space does: before any default action of its window or
// sheet, which keeps the key only while no button has the focus. A button
// that answers the key itself (a picker opens its list) keeps that answer.
// Once is enough.
void pressFocusedButtonsOnReturn();

}  // namespace korvane
