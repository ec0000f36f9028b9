#pragma once

class QAbstractScrollArea;
class QScrollArea;

namespace korvane {

// Makes a scrolling page a Tab stop only while it has something to scroll to
// (the arrows and Page keys then move it), and shows its focus as a ring
// inside its edge, drawn over what it holds. A page that fits stays out of
// the Tab chain: focusing it would change nothing on screen.
void followScrollFocus(QAbstractScrollArea& area);

// For a column whose controls are its Tab stops (a sidebar): the column is
// no stop of its own, since the keyboard's focus brings each control into
// view, also when it comes from outside the column; the last one
// brings the rest of the column with it, which holds nothing the keyboard
// could reach to show it.
void showColumnEndWithLastStop(QScrollArea& column);

}  // namespace korvane
