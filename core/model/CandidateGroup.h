#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/model/CleanupCandidate.h"

namespace korvane {

// The findings of one rule within a category.
struct CandidateGroup {
    std::string id;  // the rule id
    std::string title;
    SafetyLevel safety = SafetyLevel::safe;
    std::string reason;
    std::optional<std::string> restoreHint;
    std::vector<CleanupCandidate> items;  // largest first

    CandidateGroup() = default;
    // Title, reason and restore hint from the first item, safety the strictest
    // of all items, items sorted by size (largest first, stable).
    CandidateGroup(std::string ruleID, std::vector<CleanupCandidate> items);

    // Sum of the items' sizes (saturating; negative sizes count as 0).
    std::int64_t bytes() const;

    friend bool operator==(const CandidateGroup&, const CandidateGroup&) = default;
};

// Candidates keyed by rule id, each list in input order.
std::map<std::string, std::vector<CleanupCandidate>> groupedByRule(const std::vector<CleanupCandidate>& candidates);

}  // namespace korvane
