#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/model/CategoryResult.h"
#include "core/model/VolumeInfo.h"

namespace korvane {

// One whole developer scan.
struct ScanResult {
    std::chrono::system_clock::time_point scanDate{};
    double duration = 0;
    std::vector<CategoryResult> categories;
    VolumeInfo volume;
    std::vector<CleanupCategory> skipped;
    double projectSweepDuration = 0;
    std::int64_t projectCount = 0;
    // The categories the settings had switched off when the scan started:
    // with any, the totals are no measure of all the storage the tools take.
    std::vector<CleanupCategory> switchedOff;

    ScanResult() = default;
    // Stores every field unchanged.
    ScanResult(std::chrono::system_clock::time_point scanDate, double duration, std::vector<CategoryResult> categories,
               VolumeInfo volume, std::vector<CleanupCategory> skipped, double projectSweepDuration,
               std::int64_t projectCount);
    // Sorts the categories into display order (stable) and sets the project
    // sweep duration and count to 0.
    ScanResult(std::chrono::system_clock::time_point scanDate, double duration, std::vector<CategoryResult> categories,
               VolumeInfo volume, std::vector<CleanupCategory> skipped);

    std::int64_t footprint() const;
    std::int64_t reclaimable() const;
    std::vector<CleanupCandidate> allCandidates() const;
    // Categories with a footprint of at least 1 byte, most reclaimable first
    // (stable).
    std::vector<CategoryResult> nonEmptyCategories() const;

    friend bool operator==(const ScanResult&, const ScanResult&) = default;
};

void to_json(nlohmann::json& j, const ScanResult& value);
void from_json(const nlohmann::json& j, ScanResult& value);

}  // namespace korvane
