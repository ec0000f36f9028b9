#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/model/CleanupOutcome.h"
#include "core/model/UUID.h"
#include "core/model/VolumeInfo.h"

namespace korvane {

// One cleanup run.
struct CleanupReport {
    std::chrono::system_clock::time_point date{};
    double duration = 0;
    std::vector<CleanupOutcome> outcomes;
    VolumeInfo volumeBefore;
    VolumeInfo volumeAfter;
    // The user stopped the run before every item had its turn. Stored only when set.
    bool stopped = false;

    CleanupReport() = default;
    CleanupReport(std::chrono::system_clock::time_point date, double duration, std::vector<CleanupOutcome> outcomes,
                  VolumeInfo volumeBefore, VolumeInfo volumeAfter)
        : date(date), duration(duration), outcomes(std::move(outcomes)), volumeBefore(volumeBefore),
          volumeAfter(volumeAfter) {}

    // Expected bytes of the outcomes that succeeded, and what a stopped
    // removal freed of an item it left (saturating sum).
    std::int64_t freedBytes() const;
    // The same, less what was put back from the Trash afterwards: what stayed removed.
    std::int64_t keptFreedBytes() const;
    // Some item was put back from the Trash after the run.
    bool wasPutBack() const;
    // Marks the trashed outcomes of these candidates as put back: only what
    // went to the Trash can have come back from it. `cameBack` names those
    // that brought back less than went, with what they brought back.
    void markPutBack(const std::set<UUID>& candidateIDs, const std::map<UUID, std::int64_t>& cameBack = {});
    // Expected bytes of the trashed outcomes.
    std::int64_t trashedBytes() const;
    std::vector<CleanupOutcome> failures() const;
    std::vector<CleanupOutcome> skippedOutcomes() const;
    // Trashed outcomes that know where their item lies in the Trash.
    std::vector<CleanupOutcome> restorable() const;
    // Looks on disk now: does any restorable item still exist (without
    // following a final symbolic link)?
    bool hasRestorableItemsInTrash() const;
    // Looks on disk now: the restorable outcomes whose item is still in the Trash.
    std::vector<CleanupOutcome> restorableInTrash() const;

    friend bool operator==(const CleanupReport&, const CleanupReport&) = default;
};

void to_json(nlohmann::json& j, const CleanupReport& value);
void from_json(const nlohmann::json& j, CleanupReport& value);

}  // namespace korvane
