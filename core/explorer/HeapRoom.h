#pragma once

#include <cstddef>

namespace korvane {

// Makes room in the calling thread's heap before a walk fills it. The C
// library grows a thread's heap a page at a time, each step a change of the
// process's memory map that every other thread's page faults wait behind; a
// scan's workers would take thousands of such steps. Room made at once and
// given back stays mapped and writable, so later growth within it asks the
// kernel for nothing; its pages are returned, so the process holds no more
// memory than before.
void makeHeapRoom(std::size_t bytes);

}  // namespace korvane
