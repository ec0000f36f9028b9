#include "core/scanners/CategoryScanner.h"

#include "core/system/Paths.h"
#include "core/safety/SafetyPolicy.h"
#include "core/scanners/ScanContext.h"

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

std::vector<CleanupCandidate> CategoryScanner::sweepEntries(const std::string& folder, const ScanContext& context,
                                                            const Sweep& sweep) const {
    std::vector<CleanupCandidate> candidates;
    if (!isDirectory(folder)) return candidates;
    for (const auto& entry : context.children(folder, true)) {
        if (auto candidate = sweepCandidate(entry.url, entry.measurement, sweep))
            candidates.push_back(std::move(*candidate));
    }
    return candidates;
}

std::optional<CleanupCandidate> CategoryScanner::sweepCandidate(const std::string& path,
                                                                const FastSizer::Measurement& measurement,
                                                                const Sweep& sweep) const {
    if (measurement.bytes < 1) return std::nullopt;
    const std::string title = sweep.title ? sweep.title(path) : Paths::lastComponent(path);
    const auto lastModified = newestElseOwn(measurement, path);
    const Details details = sweep.details ? sweep.details(path, measurement) : Details{};
    return makeCandidate(sweep.ruleID, sweep.groupTitle, title, path, measurement.bytes, sweep.safety, sweep.reason,
                         sweep.restoreHint, lastModified, details);
}

}  // namespace korvane
