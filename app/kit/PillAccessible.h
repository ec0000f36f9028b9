#pragma once

namespace korvane {

// Lets screen readers read pills and pill groups as what they are: a pill as
// a toggle button or as a tab, a group as the tab list its tabs belong to
// (so a reader can say "Treemap, selected, 3 of 10"). Installed once; every
// pill calls it when made.
void installPillAccessibility();

}  // namespace korvane
