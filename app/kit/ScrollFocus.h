#pragma once

class QAbstractScrollArea;

namespace korvane {

// Makes a scrolling page a Tab stop only while it has something to scroll to
// (the arrows and Page keys then move it), and shows its focus as a ring
// inside its edge, drawn over what it holds. A page that fits stays out of
// the Tab chain: focusing it would change nothing on screen.
void followScrollFocus(QAbstractScrollArea& area);

}  // namespace korvane
