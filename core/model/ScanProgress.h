#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/model/CategoryResult.h"

namespace korvane {

// The state of a running developer scan.
struct ScanProgress {
    struct Phase {
        enum class Case { scanning, idle, finished };

        Case kind = Case::idle;
        std::optional<CleanupCategory> category;  // present only while scanning

        static Phase scanning(CleanupCategory category) { return {Case::scanning, category}; }
        static Phase idle() { return {Case::idle, std::nullopt}; }
        static Phase finished() { return {Case::finished, std::nullopt}; }

        // "Ready", "Done", or "Analyzing <title>…".
        std::string label() const;

        friend bool operator==(const Phase&, const Phase&) = default;
    };

    Phase phase;
    double fraction = 0;
    std::vector<CategoryResult> completed;

    ScanProgress() = default;
    ScanProgress(Phase phase, double fraction, std::vector<CategoryResult> completed)
        : phase(phase), fraction(fraction), completed(std::move(completed)) {}

    // Phase idle, fraction 0, nothing completed.
    static ScanProgress idle() { return {}; }

    friend bool operator==(const ScanProgress&, const ScanProgress&) = default;
};

}  // namespace korvane
