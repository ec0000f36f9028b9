#pragma once

namespace korvane {

// Raises the soft limit on open files to the hard limit (parallel measuring
// keeps up to ~65 descriptors per walk). Called once at start-up; calling it
// again is harmless. Returns whether the soft limit now equals the hard limit.
bool raiseOpenFileLimit();

}  // namespace korvane
