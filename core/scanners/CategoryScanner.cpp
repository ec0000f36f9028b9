#include "core/scanners/CategoryScanner.h"

#include <sys/stat.h>

#include "core/model/SizeSum.h"
#include "core/system/Paths.h"
#include "core/safety/SafetyPolicy.h"
#include "core/scanners/ScanContext.h"

namespace korvane {

void CategoryScanner::Findings::addFootprint(std::int64_t bytes) { footprint = SizeSum::add(footprint, bytes); }

void CategoryScanner::Findings::add(std::optional<CleanupCandidate> candidate) {
    if (candidate) candidates.push_back(std::move(*candidate));
}

std::optional<CleanupCandidate> CategoryScanner::makeCandidate(CandidateFields fields) const {
    const auto checked = SafetyPolicy::checked(fields.path, fields.ruleID, RemovalKind::path());
    if (!checked.verdict.isAllowed()) return std::nullopt;
    // The candidate carries the very path that passed the check, and what
    // stood there, so that the review and the cleanup see when another item
    // (or a link) takes its place.
    CleanupCandidate candidate(UUID::random(), category(), std::move(fields.ruleID), std::move(fields.groupTitle),
                               std::move(fields.title), checked.path, fields.size, fields.safety,
                               std::move(fields.reason), std::move(fields.restoreHint), fields.lastModified,
                               std::move(fields.details), RemovalKind::path());
    struct stat seen {};
    if (::lstat(checked.path.c_str(), &seen) == 0) candidate.seen = ItemIdentity::of(seen);
    return candidate;
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
    return makeCandidate({.ruleID = sweep.ruleID,
                          .groupTitle = sweep.groupTitle,
                          .title = title,
                          .path = path,
                          .size = measurement.bytes,
                          .safety = sweep.safety,
                          .reason = sweep.reason,
                          .restoreHint = sweep.restoreHint,
                          .lastModified = lastModified,
                          .details = details});
}

}  // namespace korvane
