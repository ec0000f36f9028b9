#include "app/state/PostScanAlert.h"

#include <algorithm>
#include <limits>

#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

constexpr std::int64_t bytesPerGB = 1000000000;

// A threshold typed into the settings may be absurdly large or negative; it
// stops at the 64-bit range instead of wrapping around.
std::int64_t thresholdBytes(std::int64_t gigabytes) {
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max() / bytesPerGB;
    return std::clamp<std::int64_t>(gigabytes, -most, most) * bytesPerGB;
}

}  // namespace

std::optional<PostScanAlert> PostScanAlert::decide(std::int64_t reclaimable, std::int64_t freeSpace,
                                                   const Automation::Schedule& schedule) {
    if (!schedule.alertsEnabled) return std::nullopt;
    const std::string reclaimableText = ByteFormat::string(reclaimable);
    if (freeSpace < thresholdBytes(schedule.lowSpaceAlertGB))
        return PostScanAlert{"Only " + ByteFormat::string(freeSpace) + " free",
                             "Korvane can reclaim " + reclaimableText + " from your development tools."};
    if (reclaimable >= thresholdBytes(schedule.reclaimableAlertGB))
        return PostScanAlert{reclaimableText + " is reclaimable",
                             "Your development tools have built up enough to be worth clearing."};
    return std::nullopt;
}

}  // namespace korvane
