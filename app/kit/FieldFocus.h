#pragma once

class QWidget;

namespace korvane {

// Shows the keyboard focus of a field drawn without a frame: a ring around
// the field, and the symbol before it when one is given, while the field has
// the focus. The ring lies over them in their parent and takes no clicks.
void followFieldFocus(QWidget& field, QWidget* leading = nullptr);

}  // namespace korvane
