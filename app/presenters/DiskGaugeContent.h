#pragma once

#include <string>

#include "app/presenters/GaugeTint.h"
#include "core/model/VolumeInfo.h"

namespace korvane {

// What the disk gauge draws of one volume.
struct DiskGaugeContent {
    double usedFraction = 0;  // 0 for a volume of no size; never below 0
    std::string percent;      // "57%", truncated: 99.9 % used reads "99%"
    GaugeTint tint = GaugeTint::amber;
    std::string accessibleName;  // "Disk 57 percent used"

    friend bool operator==(const DiskGaugeContent&, const DiskGaugeContent&) = default;
};

DiskGaugeContent diskGaugeContent(const VolumeInfo& volume);

}  // namespace korvane
