#pragma once

class QWidget;

namespace korvane {

class NavigationState;

// True for the widgets that take typed text (where Return, Backspace and
// arrows belong to the text).
bool isTextInput(const QWidget* widget);

// Backspace and Alt+Up take the canvas one level up while `page` is on
// screen and no text field has the keyboard.
void addFocusUpKeys(QWidget* page, NavigationState& navigation);

}  // namespace korvane
