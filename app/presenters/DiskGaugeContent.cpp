#include "app/presenters/DiskGaugeContent.h"

#include <algorithm>

namespace korvane {

DiskGaugeContent diskGaugeContent(const VolumeInfo& volume) {
    DiskGaugeContent content;
    if (volume.totalCapacity >= 1) {
        // In doubles: a negative available capacity must not overflow the subtraction.
        const double total = static_cast<double>(volume.totalCapacity);
        const double used = std::max(total - static_cast<double>(volume.availableCapacity), 0.0);
        content.usedFraction = std::clamp(used / total, 0.0, 1.0);
        // One division of the exact product: 57 of 100 reads 57, not 0.57 × 100 = 56.99….
        content.percent = static_cast<int>(std::clamp(used * 100 / total, 0.0, 100.0));
    }
    content.isCritical = content.usedFraction > 0.9;
    content.percentText = std::to_string(content.percent) + "%";
    content.accessibleText = "Disk " + std::to_string(content.percent) + " percent used";
    return content;
}

}  // namespace korvane
