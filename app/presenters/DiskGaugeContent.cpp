#include "app/presenters/DiskGaugeContent.h"

namespace korvane {

DiskGaugeContent diskGaugeContent(const VolumeInfo& volume) {
    DiskGaugeContent content;
    content.usedFraction = volume.usedFraction();
    content.percent = volume.usedPercent();
    content.isCritical = content.usedFraction > 0.9;
    content.percentText = std::to_string(content.percent) + "%";
    content.accessibleText = "Disk " + std::to_string(content.percent) + " percent used";
    return content;
}

}  // namespace korvane
