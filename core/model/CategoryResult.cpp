#include "core/model/CategoryResult.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "core/text/Json.h"
#include "core/model/SizeSum.h"

namespace korvane {

std::int64_t CategoryResult::reclaimable() const {
    SizeSum sum;
    for (const auto& candidate : candidates)
        if (candidate.safety != SafetyLevel::dangerous) sum += candidate.size;
    return sum.total();
}

std::vector<CandidateGroup> CategoryResult::groups() const {
    std::vector<CleanupCandidate> kept;
    for (const auto& candidate : candidates)
        if (candidate.safety != SafetyLevel::dangerous) kept.push_back(candidate);
    std::vector<CandidateGroup> result;
    for (auto& [ruleID, items] : groupedByRule(kept)) result.emplace_back(ruleID, std::move(items));
    std::stable_sort(result.begin(), result.end(),
                     [](const CandidateGroup& a, const CandidateGroup& b) { return a.bytes() > b.bytes(); });
    return result;
}

void to_json(nlohmann::json& j, const CategoryResult& value) {
    j = nlohmann::json::object();
    j["category"] = value.category;
    j["footprint"] = value.footprint;
    j["candidates"] = value.candidates;
    if (value.note) j["note"] = *value.note;
    j["duration"] = value.duration;
}

void from_json(const nlohmann::json& j, CategoryResult& value) {
    CategoryResult result;
    from_json(json::required(j, "category"), result.category);
    result.footprint = json::toInt64(json::required(j, "footprint"));
    const auto& list = json::requiredArray(j, "candidates");
    result.candidates.reserve(list.size());
    for (const auto& item : list) {
        CleanupCandidate candidate;
        from_json(item, candidate);
        result.candidates.push_back(std::move(candidate));
    }
    if (auto note = json::optional(j, "note")) result.note = json::toString(*note);
    result.duration = json::toDouble(json::required(j, "duration"));
    value = std::move(result);
}

}  // namespace korvane
