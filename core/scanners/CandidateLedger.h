#pragma once

#include "core/model/CategoryResult.h"
#include "core/model/CleanupCandidate.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace korvane {

// Makes one scan offer every byte once. Categories pass their results through
// it in display order; the first to offer a path owns it, a later offer of the
// same path or of anything inside it is dropped, and a later offer of an
// enclosing folder is shrunk by what is already owned inside it.
// Used by one thread only.
class CandidateLedger {
public:
    explicit CandidateLedger(std::int64_t noiseFloor);

    // The candidate as kept (possibly smaller), or none when it is dropped.
    // Command removals pass untouched and claim nothing.
    std::optional<CleanupCandidate> claim(const CleanupCandidate& candidate);
    // The same result with its candidates claimed largest first; the kept ones
    // in that order. Category, footprint, note and duration are unchanged.
    CategoryResult filter(const CategoryResult& result);

    // Standardised path of every kept path candidate -> the size it was kept with.
    const std::map<std::string, std::int64_t>& claimed() const { return claimed_; }
    std::int64_t noiseFloor() const { return noiseFloor_; }

private:
    std::map<std::string, std::int64_t> claimed_;
    std::int64_t noiseFloor_;
};

}  // namespace korvane
