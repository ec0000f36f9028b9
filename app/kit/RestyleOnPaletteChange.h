#pragma once

#include <functional>

class QWidget;

namespace korvane {

// Calls `restyle` each time `widget` receives a PaletteChange (its theme is
// set, on it or on a widget above it), for as long as the widget lives. The
// kit's widgets take their colours and fonts this way instead of each
// overriding changeEvent.
void restyleOnPaletteChange(QWidget& widget, std::function<void()> restyle);

}  // namespace korvane
