#pragma once

#include <string>

#include "core/model/VolumeInfo.h"

namespace korvane {

// What the disk gauge draws of a volume.
struct DiskGaugeContent {
    // Used share within 0...1: 0 without a capacity, never past a full ring
    // even when the available capacity is negative or above the total.
    double usedFraction = 0;
    int percent = 0;          // truncated: 99.9 % reads 99
    bool isCritical = false;  // above 0.9: the red arc, else amber
    std::string percentText;  // "57%"
    std::string accessibleText;  // "Disk 57 percent used"

    friend bool operator==(const DiskGaugeContent&, const DiskGaugeContent&) = default;
};

DiskGaugeContent diskGaugeContent(const VolumeInfo& volume);

}  // namespace korvane
