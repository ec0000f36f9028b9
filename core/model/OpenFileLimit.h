#pragma once

namespace korvane {

// Raises the soft limit on open files to the hard limit, once per process
// (parallel measuring keeps up to ~65 descriptors per walk). Later calls do
// nothing. Returns whether the soft limit now equals the hard limit.
bool raiseOpenFileLimit();

}  // namespace korvane
