#include "app/presenters/DiskGaugeContent.h"

#include <algorithm>

namespace korvane {

DiskGaugeContent diskGaugeContent(const VolumeInfo& volume) {
    DiskGaugeContent content;
    if (volume.totalCapacity >= 1) {
        const std::int64_t used = std::max<std::int64_t>(volume.totalCapacity - volume.availableCapacity, 0);
        content.usedFraction = static_cast<double>(used) / static_cast<double>(volume.totalCapacity);
    }
    const auto percent = static_cast<long long>(content.usedFraction * 100);
    content.percent = std::to_string(percent) + "%";
    content.tint = diskGaugeTint(content.usedFraction);
    content.accessibleName = "Disk " + std::to_string(percent) + " percent used";
    return content;
}

}  // namespace korvane
