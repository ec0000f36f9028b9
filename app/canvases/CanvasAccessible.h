#pragma once

namespace korvane {

class CanvasBase;

// Lets screen readers read a canvas as what it is: a canvas, named after its
// mode, that takes the keyboard and describes the item the pointer is on. The
// item the keyboard is on (or a zone the canvas reads, such as a band's
// header) is its child, a list item named by the canvas's reading of it,
// which takes the screen reader's focus as the keyboard moves.
// Installed once; every canvas calls it when made.
void installCanvasAccessibility();

// Screen readers hear the item the keyboard is on now (none: nothing).
void announceCanvasItem(CanvasBase& canvas);

}  // namespace korvane
