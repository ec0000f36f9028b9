#include "core/model/ScanSettings.h"

#include <algorithm>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "core/text/Json.h"
#include "core/system/Paths.h"

namespace korvane {

const std::vector<std::string>& defaultProjectRootNames() {
    static const std::vector<std::string> names = {
        "Developer", "Projects", "projects", "code", "Code", "src", "work",
        "dev",       "repos",    "personal-project", "Documents", "Desktop", "Sites",
    };
    return names;
}

std::vector<std::string> defaultProjectRoots() {
    std::vector<std::string> roots;
    for (const auto& name : defaultProjectRootNames()) {
        std::string path = Paths::home(name);
        struct stat info {};
        // "Something exists": a link counts even when its target is gone.
        if (::lstat(path.c_str(), &info) == 0) roots.push_back(std::move(path));
    }
    return roots;
}

ScanSettings::ScanSettings()
    : projectRoots(defaultProjectRoots()),
      enabledCategories(allCleanupCategories().begin(), allCleanupCategories().end()) {}

ScanSettings::ScanSettings(std::int64_t noiseFloorBytes, std::int64_t staleProjectDays,
                           std::vector<std::string> projectRoots, std::set<CleanupCategory> enabledCategories,
                           std::set<std::string> excludedPaths)
    : noiseFloorBytes(noiseFloorBytes), staleProjectDays(staleProjectDays), projectRoots(std::move(projectRoots)),
      enabledCategories(std::move(enabledCategories)), excludedPaths(std::move(excludedPaths)) {}

bool ScanSettings::isExcluded(std::string_view path) const {
    if (excludedPaths.empty()) return false;
    auto standard = Paths::standardise(path);
    if (!standard) return true;
    for (const auto& entry : excludedPaths) {
        auto excluded = Paths::standardise(entry);
        if (excluded && !excluded->empty() && Paths::isAtOrBelow(*standard, *excluded)) return true;
    }
    return false;
}

bool ScanSettings::overlapsExcluded(std::string_view path) const {
    if (excludedPaths.empty()) return false;
    auto standard = Paths::standardise(path);
    if (!standard) return true;
    for (const auto& entry : excludedPaths) {
        auto excluded = Paths::standardise(entry);
        if (!excluded || excluded->empty()) continue;
        if (Paths::isAtOrBelow(*standard, *excluded) || Paths::isAtOrBelow(*excluded, *standard)) return true;
    }
    return false;
}

std::int64_t ScanSettings::effectiveStaleProjectDays() const { return std::max<std::int64_t>(staleProjectDays, 1); }

void to_json(nlohmann::json& j, const ScanSettings& value) {
    j = nlohmann::json::object();
    j["noiseFloorBytes"] = value.noiseFloorBytes;
    j["staleProjectDays"] = value.staleProjectDays;
    j["projectRoots"] = value.projectRoots;
    auto categories = nlohmann::json::array();
    for (auto category : value.enabledCategories) categories.push_back(category);
    j["enabledCategories"] = std::move(categories);
    j["excludedPaths"] = value.excludedPaths;
}

void from_json(const nlohmann::json& j, ScanSettings& value) {
    ScanSettings result(0, 0, {}, {}, {});
    result.noiseFloorBytes = json::toInt64(json::required(j, "noiseFloorBytes"));
    result.staleProjectDays = json::toInt64(json::required(j, "staleProjectDays"));
    for (const auto& item : json::requiredArray(j, "projectRoots"))
        result.projectRoots.push_back(json::toString(item));
    for (const auto& item : json::requiredArray(j, "enabledCategories")) {
        CleanupCategory category{};
        from_json(item, category);
        result.enabledCategories.insert(category);
    }
    for (const auto& item : json::requiredArray(j, "excludedPaths"))
        result.excludedPaths.insert(json::toString(item));
    value = std::move(result);
}

}  // namespace korvane
