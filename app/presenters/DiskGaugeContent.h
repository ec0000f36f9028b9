#pragma once

#include <string>

#include "core/model/VolumeInfo.h"

namespace korvane {

// What the disk gauge draws of a volume.
struct DiskGaugeContent {
    // The volume's used share, as `df` counts it (VolumeInfo::usedFraction).
    double usedFraction = 0;
    int percent = 0;          // rounded up as `df` rounds it: 99.1 % reads 100
    bool isCritical = false;  // above 0.9: the red arc, else amber
    std::string percentText;  // "57%"
    std::string accessibleText;  // "Disk 57 percent used"

    friend bool operator==(const DiskGaugeContent&, const DiskGaugeContent&) = default;
};

DiskGaugeContent diskGaugeContent(const VolumeInfo& volume);

}  // namespace korvane
