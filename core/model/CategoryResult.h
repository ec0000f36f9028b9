#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/model/CandidateGroup.h"
#include "core/model/CleanupCandidate.h"

namespace korvane {

// What one category's scanner found.
struct CategoryResult {
    CleanupCategory category = CleanupCategory::xcode;
    std::int64_t footprint = 0;
    std::vector<CleanupCandidate> candidates;
    std::optional<std::string> note;
    double duration = 0;

    CategoryResult() = default;
    CategoryResult(CleanupCategory category, std::int64_t footprint, std::vector<CleanupCandidate> candidates,
                   std::optional<std::string> note = std::nullopt, double duration = 0)
        : category(category), footprint(footprint), candidates(std::move(candidates)), note(std::move(note)),
          duration(duration) {}

    // Sum of sizes of the candidates that are not dangerous.
    std::int64_t reclaimable() const;
    // The non-dangerous candidates grouped by rule, largest group first
    // (groups of equal size in rule-id order).
    std::vector<CandidateGroup> groups() const;

    friend bool operator==(const CategoryResult&, const CategoryResult&) = default;
};

void to_json(nlohmann::json& j, const CategoryResult& value);
void from_json(const nlohmann::json& j, CategoryResult& value);

}  // namespace korvane
