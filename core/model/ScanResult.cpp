#include "core/model/ScanResult.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "core/text/Json.h"
#include "core/model/SizeSum.h"

namespace korvane {

ScanResult::ScanResult(std::chrono::system_clock::time_point scanDate, double duration,
                       std::vector<CategoryResult> categories, VolumeInfo volume,
                       std::vector<CleanupCategory> skipped, double projectSweepDuration, std::int64_t projectCount)
    : scanDate(scanDate), duration(duration), categories(std::move(categories)), volume(volume),
      skipped(std::move(skipped)), projectSweepDuration(projectSweepDuration), projectCount(projectCount) {}

ScanResult::ScanResult(std::chrono::system_clock::time_point scanDate, double duration,
                       std::vector<CategoryResult> categories, VolumeInfo volume,
                       std::vector<CleanupCategory> skipped)
    : ScanResult(scanDate, duration, std::move(categories), volume, std::move(skipped), 0, 0) {
    std::stable_sort(this->categories.begin(), this->categories.end(),
                     [](const CategoryResult& a, const CategoryResult& b) {
                         return sortOrder(a.category) < sortOrder(b.category);
                     });
}

std::int64_t ScanResult::footprint() const {
    SizeSum sum;
    for (const auto& result : categories) sum += result.footprint;
    return sum.total();
}

std::int64_t ScanResult::reclaimable() const {
    SizeSum sum;
    for (const auto& result : categories) sum += result.reclaimable();
    return sum.total();
}

std::vector<CleanupCandidate> ScanResult::allCandidates() const {
    std::vector<CleanupCandidate> all;
    for (const auto& result : categories) all.insert(all.end(), result.candidates.begin(), result.candidates.end());
    return all;
}

std::vector<CategoryResult> ScanResult::nonEmptyCategories() const {
    std::vector<std::pair<std::int64_t, const CategoryResult*>> ranked;
    for (const auto& result : categories)
        if (result.footprint >= 1) ranked.emplace_back(result.reclaimable(), &result);
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<CategoryResult> sorted;
    sorted.reserve(ranked.size());
    for (const auto& entry : ranked) sorted.push_back(*entry.second);
    return sorted;
}

void to_json(nlohmann::json& j, const ScanResult& value) {
    j = nlohmann::json::object();
    j["scanDate"] = json::fromDate(value.scanDate);
    j["duration"] = value.duration;
    j["categories"] = value.categories;
    j["volume"] = value.volume;
    j["skipped"] = value.skipped;
    j["projectSweepDuration"] = value.projectSweepDuration;
    j["projectCount"] = value.projectCount;
    // Written only when some were: earlier files have no such key.
    if (!value.switchedOff.empty()) j["switchedOff"] = value.switchedOff;
}

void from_json(const nlohmann::json& j, ScanResult& value) {
    ScanResult result;
    result.scanDate = json::toDate(json::required(j, "scanDate"));
    result.duration = json::toDouble(json::required(j, "duration"));
    for (const auto& item : json::requiredArray(j, "categories")) {
        CategoryResult category;
        from_json(item, category);
        result.categories.push_back(std::move(category));
    }
    from_json(json::required(j, "volume"), result.volume);
    for (const auto& item : json::requiredArray(j, "skipped")) {
        CleanupCategory category{};
        from_json(item, category);
        result.skipped.push_back(category);
    }
    result.projectSweepDuration = json::toDouble(json::required(j, "projectSweepDuration"));
    result.projectCount = json::toInt64(json::required(j, "projectCount"));
    if (j.contains("switchedOff"))
        for (const auto& item : json::requiredArray(j, "switchedOff")) {
            CleanupCategory category{};
            from_json(item, category);
            result.switchedOff.push_back(category);
        }
    value = std::move(result);
}

}  // namespace korvane
