#include "app/state/ScanEdits.h"

namespace korvane {

namespace {

template <class Predicate>
bool dropWhere(ScanResult& scan, Predicate predicate) {
    std::size_t dropped = 0;
    for (auto& category : scan.categories) dropped += std::erase_if(category.candidates, predicate);
    return dropped > 0;
}

}  // namespace

bool ScanEdits::isExcluded(const CleanupCandidate& candidate, const ScanSettings& settings) {
    return candidate.removal.isPath() && settings.overlapsExcluded(candidate.path);
}

bool ScanEdits::dropCandidates(ScanResult& scan, const std::set<UUID>& ids) {
    if (ids.empty()) return false;
    return dropWhere(scan, [&](const CleanupCandidate& candidate) { return ids.contains(candidate.id); });
}

bool ScanEdits::dropExcluded(ScanResult& scan, const ScanSettings& settings) {
    if (settings.excludedPaths.empty()) return false;
    return dropWhere(scan,
                     [&](const CleanupCandidate& candidate) { return isExcluded(candidate, settings); });
}

}  // namespace korvane
