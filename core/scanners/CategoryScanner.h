#pragma once

#include "core/model/CategoryResult.h"
#include "core/model/Categories.h"
#include "core/model/CleanupCandidate.h"
#include "core/scanners/DetectedProject.h"
#include "core/system/FastSizer.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

class ScanContext;

// One developer-tool category's scanner. The scanner engine runs every enabled
// and available scanner at the same time, each on its own thread, all sharing
// one ScanContext; a scanner therefore keeps no mutable state of its own.
class CategoryScanner {
public:
    using TimePoint = std::chrono::system_clock::time_point;
    using Details = decltype(CleanupCandidate::details);

    virtual ~CategoryScanner() = default;

    // The category this scanner reports.
    virtual CleanupCategory category() const = 0;
    // Whether the tool is on this machine (its program, SDK or data folder)
    // or has left something here to offer; false puts the category among
    // the skipped ones, which read as not installed.
    virtual bool isAvailable() const = 0;
    // The kinds of project that use the tool: a category whose tool the
    // project sweep finds in a project is scanned even when isAvailable()
    // said no.
    virtual std::vector<DetectedProject::Kind> projectKinds() const { return {}; }
    // The whole work of the category. Never throws; polls
    // context.isCancelled() in its loops.
    virtual CategoryResult scan(const ScanContext& context) const = 0;

    // What a path candidate is made of, each field named where it is made.
    // The fields up to `reason` have no default, so that the compiler's
    // missing-initializer warning names any a call leaves out.
    struct CandidateFields {
        std::string ruleID;
        std::string groupTitle;
        std::string title;
        std::string path;
        std::int64_t size;
        SafetyLevel safety;
        std::string reason;
        std::optional<std::string> restoreHint = std::nullopt;
        std::optional<TimePoint> lastModified = std::nullopt;
        Details details = {};
    };

    // What one scan gathers step by step: the category's footprint and its
    // candidates.
    struct Findings {
        std::int64_t footprint = 0;
        std::vector<CleanupCandidate> candidates;

        // Adds bytes to the footprint; the total stops at the 64-bit limit.
        void addFootprint(std::int64_t bytes);
        // Keeps the candidate when there is one.
        void add(std::optional<CleanupCandidate> candidate);
    };

    // A path candidate of this scanner's category, or none when the safety
    // check refuses the path under the rule. Starts selected exactly when
    // its safety is safe.
    std::optional<CleanupCandidate> makeCandidate(CandidateFields fields) const;

    // The fixed parts of the candidates that sweepEntries makes, one per
    // entry of a folder.
    struct Sweep {
        std::string ruleID;
        std::string groupTitle;
        SafetyLevel safety = SafetyLevel::safe;
        std::string reason;
        std::optional<std::string> restoreHint;
        // Title of the candidate for an entry's path.
        std::function<std::string(const std::string& path)> title;
        // Details of the candidate for an entry's path and measurement; none
        // when not given.
        std::function<Details(const std::string& path, const FastSizer::Measurement&)> details;
    };

    // One candidate per non-empty entry of `folder` (hidden ones included), in
    // name order; nothing when `folder` is not a folder.
    std::vector<CleanupCandidate> sweepEntries(const std::string& folder, const ScanContext& context,
                                               const Sweep& sweep) const;
    // The candidate for one measured entry: none for an empty entry or one the
    // safety check refuses. Its date is the newest inside it, else its own.
    std::optional<CleanupCandidate> sweepCandidate(const std::string& path, const FastSizer::Measurement& measurement,
                                                   const Sweep& sweep) const;
};

}  // namespace korvane
