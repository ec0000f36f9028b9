#pragma once

#include <set>

#include "core/model/ScanResult.h"
#include "core/model/ScanSettings.h"
#include "core/model/UUID.h"

namespace korvane {

// Changes to a developer scan after the fact: candidates a cleanup removed,
// and candidates the user marked "Never touch" since. Every other field of a
// category, its footprint included, stays as it was.
struct ScanEdits {
    ScanEdits() = delete;

    // A path candidate at, below or around an excluded path: removing it
    // would touch the excluded location.
    static bool isExcluded(const CleanupCandidate& candidate, const ScanSettings& settings);

    // Both return whether anything was dropped.
    static bool dropCandidates(ScanResult& scan, const std::set<UUID>& ids);
    static bool dropExcluded(ScanResult& scan, const ScanSettings& settings);
};

}  // namespace korvane
