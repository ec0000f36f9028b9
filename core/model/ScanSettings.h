#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/model/Categories.h"

namespace korvane {

// The names below the home folder searched for projects, in order.
const std::vector<std::string>& defaultProjectRootNames();
// Home + each default name, kept when something exists at that path.
std::vector<std::string> defaultProjectRoots();

// The user's configuration of the developer scan.
struct ScanSettings {
    static constexpr std::int64_t defaultNoiseFloorBytes = 5 * 1048576;
    static constexpr std::int64_t defaultStaleProjectDays = 60;

    std::int64_t noiseFloorBytes = defaultNoiseFloorBytes;
    std::int64_t staleProjectDays = defaultStaleProjectDays;
    std::vector<std::string> projectRoots;
    std::set<CleanupCategory> enabledCategories;
    std::set<std::string> excludedPaths;

    // The initial values; the project roots are the default roots that
    // exist now.
    ScanSettings();
    static ScanSettings defaultSettings() { return ScanSettings(); }

    // Every field given (no look at the disk).
    ScanSettings(std::int64_t noiseFloorBytes, std::int64_t staleProjectDays, std::vector<std::string> projectRoots,
                 std::set<CleanupCategory> enabledCategories, std::set<std::string> excludedPaths);

    // True when the standardised `path` equals an excluded entry (standardised
    // too) or lies below one. A path with a NUL byte counts as excluded.
    bool isExcluded(std::string_view path) const;
    // True as well when `path` encloses an excluded entry: removing it would
    // remove the excluded location with it.
    bool overlapsExcluded(std::string_view path) const;
    // `staleProjectDays`, but never below 1.
    std::int64_t effectiveStaleProjectDays() const;

    friend bool operator==(const ScanSettings&, const ScanSettings&) = default;
};

void to_json(nlohmann::json& j, const ScanSettings& value);
void from_json(const nlohmann::json& j, ScanSettings& value);

}  // namespace korvane
