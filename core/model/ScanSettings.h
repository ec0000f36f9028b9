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
// True when `path` is home + one of the default names, whether it exists or not.
bool isDefaultProjectRoot(const std::string& path);

// The user's configuration of the developer scan.
struct ScanSettings {
    static constexpr std::int64_t defaultNoiseFloorBytes = 5 * 1048576;
    static constexpr std::int64_t defaultStaleProjectDays = 60;

    std::int64_t noiseFloorBytes = defaultNoiseFloorBytes;
    std::int64_t staleProjectDays = defaultStaleProjectDays;
    // Only what the user chose is kept: the folders added beside the default
    // project folders, in order, and the default folders taken off the list.
    // The default folders themselves are looked for anew whenever the list is
    // asked for, so one made after the settings were saved is searched too.
    std::vector<std::string> projectRoots;
    std::set<CleanupCategory> enabledCategories;
    std::set<std::string> excludedPaths;
    std::set<std::string> removedDefaultRoots;

    // The initial values: every category, no folder of the user's own.
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
    // The folders searched for projects: the default folders that exist now
    // and were not taken off, then the user's own as stored (existing or
    // not), less those the defaults already name.
    std::vector<std::string> listedProjectRoots() const;
    // The user puts a folder on the list: a default folder taken off comes
    // back, another folder is appended once. False when nothing changed.
    bool addProjectRoot(const std::string& path);
    // The user takes a folder off the list: every entry of it goes, and a
    // default folder stays off. False when nothing changed.
    bool removeProjectRoot(const std::string& path);

    // `staleProjectDays`, but never below 1.
    std::int64_t effectiveStaleProjectDays() const;

    friend bool operator==(const ScanSettings&, const ScanSettings&) = default;
};

void to_json(nlohmann::json& j, const ScanSettings& value);
void from_json(const nlohmann::json& j, ScanSettings& value);

}  // namespace korvane
