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

bool isDefaultProjectRoot(const std::string& path) {
    const auto& names = defaultProjectRootNames();
    return std::any_of(names.begin(), names.end(),
                       [&path](const std::string& name) { return path == Paths::home(name); });
}

ScanSettings::ScanSettings()
    : enabledCategories(allCleanupCategories().begin(), allCleanupCategories().end()) {}

std::vector<std::string> ScanSettings::listedProjectRoots() const {
    std::vector<std::string> listed;
    for (auto& root : defaultProjectRoots())
        if (!removedDefaultRoots.contains(root)) listed.push_back(std::move(root));
    const std::size_t defaults = listed.size();
    for (const auto& root : projectRoots)
        if (std::find(listed.begin(), listed.begin() + static_cast<std::ptrdiff_t>(defaults), root) ==
            listed.begin() + static_cast<std::ptrdiff_t>(defaults))
            listed.push_back(root);
    return listed;
}

bool ScanSettings::addProjectRoot(const std::string& path) {
    if (isDefaultProjectRoot(path)) {
        if (removedDefaultRoots.erase(path) != 0) return true;
        // Listed by itself while it exists; kept as a choice only for a
        // default folder that is not there.
        if (std::find(projectRoots.begin(), projectRoots.end(), path) != projectRoots.end()) return false;
        const auto existing = defaultProjectRoots();
        if (std::find(existing.begin(), existing.end(), path) != existing.end()) return false;
    } else if (std::find(projectRoots.begin(), projectRoots.end(), path) != projectRoots.end()) {
        return false;
    }
    projectRoots.push_back(path);
    return true;
}

bool ScanSettings::removeProjectRoot(const std::string& path) {
    const bool listed = std::erase(projectRoots, path) != 0;
    const bool removedDefault = isDefaultProjectRoot(path) && removedDefaultRoots.insert(path).second;
    return listed || removedDefault;
}

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
    j["removedDefaultRoots"] = value.removedDefaultRoots;
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
    if (j.contains("removedDefaultRoots")) {
        for (const auto& item : json::requiredArray(j, "removedDefaultRoots"))
            result.removedDefaultRoots.insert(json::toString(item));
    } else {
        // Written before the default folders were looked for at each scan: the
        // list holds the default folders that existed then beside the user's
        // own. The default folders are looked for anew instead; one missing
        // from that list may have been taken off or made later, which cannot
        // be told apart, and a scan only looks, so it is searched again.
        std::erase_if(result.projectRoots,
                      [](const std::string& root) { return isDefaultProjectRoot(root); });
    }
    value = std::move(result);
}

}  // namespace korvane
