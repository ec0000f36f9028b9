#include "app/presenters/DiskGaugeContent.h"

#include <algorithm>
#include <limits>

namespace korvane {

DiskGaugeContent diskGaugeContent(const VolumeInfo& volume) {
    DiskGaugeContent content;
    long long percent = 0;
    if (volume.totalCapacity >= 1) {
        const std::int64_t used = std::max<std::int64_t>(volume.totalCapacity - volume.availableCapacity, 0);
        content.usedFraction = static_cast<double>(used) / static_cast<double>(volume.totalCapacity);
        // Whole numbers where they fit: 570 of 1000 is 57 %, where the
        // fraction times 100 would truncate to 56.
        percent = used <= std::numeric_limits<std::int64_t>::max() / 100
                      ? used * 100 / volume.totalCapacity
                      : static_cast<long long>(content.usedFraction * 100);
    }
    content.percent = std::to_string(percent) + "%";
    content.tint = diskGaugeTint(content.usedFraction);
    content.accessibleName = "Disk " + std::to_string(percent) + " percent used";
    return content;
}

}  // namespace korvane
