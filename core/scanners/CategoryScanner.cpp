#include "core/scanners/CategoryScanner.h"

#include "core/safety/SafetyPolicy.h"

namespace korvane {

std::optional<CleanupCandidate> CategoryScanner::makeCandidate(
    const std::string& ruleID, const std::string& groupTitle, const std::string& title, const std::string& path,
    std::int64_t size, SafetyLevel safety, const std::string& reason, const std::optional<std::string>& restoreHint,
    const std::optional<TimePoint>& lastModified, const Details& details) const {
    const auto checked = SafetyPolicy::checked(path, ruleID, RemovalKind::path());
    if (!checked.verdict.isAllowed()) return std::nullopt;
    // The candidate carries the very path that passed the check.
    return CleanupCandidate(UUID::random(), category(), ruleID, groupTitle, title, checked.path, size, safety, reason,
                            restoreHint, lastModified, details, RemovalKind::path());
}

}  // namespace korvane
