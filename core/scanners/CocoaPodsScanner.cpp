#include "core/scanners/CocoaPodsScanner.h"

#include <algorithm>
#include <utility>

#include "core/system/Paths.h"
#include "core/system/Shell.h"
#include "core/system/ToolPlaces.h"
#include "core/scanners/ScanContext.h"

namespace korvane {

std::vector<std::string> CocoaPodsScanner::downloadCaches() {
    return {Paths::home("Library", "Caches", "CocoaPods"), Paths::join(ToolPlaces::cacheHome(), "CocoaPods")};
}

std::string CocoaPodsScanner::cocoaPodsFolder() { return Paths::home(".cocoapods"); }

std::string CocoaPodsScanner::repositoriesFolder() { return Paths::home(".cocoapods", "repos"); }

bool CocoaPodsScanner::isAvailable() const {
    if (exists(cocoaPodsFolder()) || Shell::resolve("pod")) return true;
    const auto caches = downloadCaches();
    return std::any_of(caches.begin(), caches.end(), &exists);
}

CategoryResult CocoaPodsScanner::scan(const ScanContext& context) const {
    Findings found;
    addDownloadCache(context, found);
    addSpecsRepositories(context, found);
    addProjectPods(context, found);
    return CategoryResult(category(), found.footprint, std::move(found.candidates));
}

void CocoaPodsScanner::addDownloadCache(const ScanContext& context, Findings& found) const {
    for (const auto& cache : downloadCaches()) {
        const auto measurement = context.measure(cache, cacheMinimum);
        if (!measurement) continue;
        found.addFootprint(measurement->bytes);
        found.add(makeCandidate(
            {.ruleID = "cocoapods.cache",
             .groupTitle = "CocoaPods Cache",
             .title = "Downloaded pods",
             .path = cache,
             .size = measurement->bytes,
             .safety = SafetyLevel::safe,
             .reason =
                 "Copies of every pod version CocoaPods has downloaded. Re-fetched on the next `pod install`.",
             .restoreHint = "pod install",
             .lastModified = measurement->newestModification}));
    }
}

void CocoaPodsScanner::addSpecsRepositories(const ScanContext& context, Findings& found) const {
    const auto repositories = repositoriesFolder();
    if (!isDirectory(repositories)) return;
    for (const auto& entry : context.children(repositories, true)) {
        if (entry.measurement.bytes <= repositoryFloor) continue;
        found.addFootprint(entry.measurement.bytes);
        const auto name = Paths::lastComponent(entry.url);
        const bool central = name == centralRepository;
        found.add(makeCandidate(
            {.ruleID = "cocoapods.repos",
             .groupTitle = "Specs Repositories",
             .title = name,
             .path = entry.url,
             .size = entry.measurement.bytes,
             .safety = SafetyLevel::caution,
             .reason = central ? "The full CocoaPods specs index. Removing it means the next `pod install` "
                                 "re-downloads it, which takes a few minutes."
                               : "A private or mirrored specs repository. Re-added with `pod repo add`.",
             .restoreHint = central ? "pod repo update (re-downloads automatically)" : "pod repo add",
             .lastModified = entry.measurement.newestModification}));
    }
}

void CocoaPodsScanner::addProjectPods(const ScanContext& context, Findings& found) const {
    const auto projects = context.projects().projects(DetectedProject::Kind::cocoapods);
    for (const auto& [p, f, entry] : context.measureInProjects(projects, {"Pods"}, podsMinimum)) {
        const auto& project = projects[p];
        const auto& measurement = entry.measurement;
        found.addFootprint(measurement.bytes);
        const bool locked = exists(Paths::join(project.url, "Podfile.lock"));
        found.add(makeCandidate(
            {.ruleID = "cocoapods.projectPods",
             .groupTitle = "Project Pods",
             .title = project.name(),
             .path = entry.url,
             .size = measurement.bytes,
             .safety = SafetyLevel::caution,
             .reason = locked ? "Pod sources checked into this project's build. Podfile.lock pins the exact "
                                "versions, so `pod install` restores it identically."
                              : "Pod sources for this project. There is no Podfile.lock, so a reinstall may "
                                "resolve different versions.",
             .restoreHint = "pod install",
             .lastModified = measurement.newestModification,
             .details = {{"Podfile.lock", locked ? "Present" : "Missing"},
                         {"Last activity", context.relativeActivity(project.lastActivity)}}}));
    }
}

}  // namespace korvane
