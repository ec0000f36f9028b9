#include "core/explorer/SystemStats.h"

namespace korvane {

double SystemStats::memoryFraction() const {
    if (physicalMemory < 1) return 0.0;
    return static_cast<double>(usedMemory) / static_cast<double>(physicalMemory);
}

}  // namespace korvane
