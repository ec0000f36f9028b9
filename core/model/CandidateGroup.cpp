#include "core/model/CandidateGroup.h"

#include <algorithm>

#include "core/model/SizeSum.h"

namespace korvane {

CandidateGroup::CandidateGroup(std::string ruleID, std::vector<CleanupCandidate> candidates)
    : id(std::move(ruleID)), items(std::move(candidates)) {
    if (!items.empty()) {
        title = items.front().groupTitle;
        reason = items.front().reason;
        restoreHint = items.front().restoreHint;
        for (const auto& item : items) safety = std::max(safety, item.safety);
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const CleanupCandidate& a, const CleanupCandidate& b) { return a.size > b.size; });
}

std::int64_t CandidateGroup::bytes() const {
    SizeSum sum;
    for (const auto& item : items) sum += item.size;
    return sum.total();
}

std::map<std::string, std::vector<CleanupCandidate>> groupedByRule(const std::vector<CleanupCandidate>& candidates) {
    std::map<std::string, std::vector<CleanupCandidate>> groups;
    for (const auto& candidate : candidates) groups[candidate.ruleID].push_back(candidate);
    return groups;
}

}  // namespace korvane
