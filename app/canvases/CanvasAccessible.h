#pragma once

namespace korvane {

// Lets screen readers read a canvas as what it is: a canvas, named after its
// mode, that takes the keyboard and describes the item the keyboard or the
// pointer is on. Installed once; every canvas calls it when made.
void installCanvasAccessibility();

}  // namespace korvane
