#include "core/scanners/CandidateLedger.h"

#include "core/system/Paths.h"
#include "core/model/SizeSum.h"

#include <algorithm>
#include <limits>

namespace korvane {

CandidateLedger::CandidateLedger(std::int64_t noiseFloor) : noiseFloor_(noiseFloor) {}

std::optional<CleanupCandidate> CandidateLedger::claim(const CleanupCandidate& candidate) {
    if (candidate.removal.isCommand()) return candidate;
    const auto standardised = Paths::standardise(candidate.path);
    if (!standardised || standardised->empty()) return std::nullopt;
    const std::string& key = *standardised;

    if (claimed_.count(key) != 0) return std::nullopt;
    // Inside a folder already owned: every enclosing folder up to, not
    // including, the root.
    for (std::string folder = Paths::parent(key); folder.size() > 1; folder = Paths::parent(folder)) {
        if (claimed_.count(folder) != 0) return std::nullopt;
    }

    // Everything already owned below this path. Keys below `key` sort
    // together right after `key + "/"`; a sibling such as "/a/bc" next to
    // "/a/b" does not start with "/a/b/" and is not counted.
    const std::string below = key == "/" ? key : key + "/";
    std::int64_t nested = 0;
    for (auto it = claimed_.lower_bound(below); it != claimed_.end() && it->first.starts_with(below); ++it)
        nested = SizeSum::add(nested, it->second);

    std::int64_t raw = 0;
    if (__builtin_sub_overflow(candidate.size, nested, &raw)) raw = std::numeric_limits<std::int64_t>::min();
    const std::int64_t adjusted = std::max<std::int64_t>(raw, 0);
    if (adjusted <= noiseFloor_ && (nested != 0 || raw < 1)) return std::nullopt;

    claimed_[key] = adjusted;
    CleanupCandidate kept = candidate;
    kept.size = adjusted;
    return kept;
}

CategoryResult CandidateLedger::filter(const CategoryResult& result) {
    std::vector<CleanupCandidate> ordered = result.candidates;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const CleanupCandidate& a, const CleanupCandidate& b) { return a.size > b.size; });
    std::vector<CleanupCandidate> kept;
    kept.reserve(ordered.size());
    for (const auto& candidate : ordered) {
        if (auto claimed = claim(candidate)) kept.push_back(std::move(*claimed));
    }
    return CategoryResult(result.category, result.footprint, std::move(kept), result.note, result.duration);
}

}  // namespace korvane
