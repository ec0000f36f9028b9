#include "core/scanners/CocoaPodsScanner.h"

#include <utility>

#include "core/system/Paths.h"
#include "core/model/SizeSum.h"
#include "core/scanners/ScanContext.h"

namespace korvane {

std::string CocoaPodsScanner::downloadCache() { return Paths::home("Library", "Caches", "CocoaPods"); }

std::string CocoaPodsScanner::cocoaPodsFolder() { return Paths::home(".cocoapods"); }

std::string CocoaPodsScanner::repositoriesFolder() { return Paths::home(".cocoapods", "repos"); }

bool CocoaPodsScanner::isAvailable() const { return exists(cocoaPodsFolder()) || exists(downloadCache()); }

CategoryResult CocoaPodsScanner::scan(const ScanContext& context) const {
    std::int64_t footprint = 0;
    std::vector<CleanupCandidate> candidates;
    const auto add = [&](std::optional<CleanupCandidate> candidate, bool selected) {
        if (!candidate) return;
        candidate->isSelectedByDefault = selected;
        candidates.push_back(std::move(*candidate));
    };

    // 1. The download cache.
    const auto cache = downloadCache();
    if (const auto measurement = context.measure(cache, cacheMinimum)) {
        footprint = SizeSum::add(footprint, measurement->bytes);
        add(makeCandidate(
                "cocoapods.cache", "CocoaPods Cache", "Downloaded pods", cache, measurement->bytes,
                SafetyLevel::safe,
                "Copies of every pod version CocoaPods has downloaded. Re-fetched on the next `pod install`.",
                "pod install", measurement->newestModification, {}),
            true);
    }

    // 2. Specs repositories: the central index is slow to fetch again and a
    // private one must be re-added by hand, so both are left for review.
    const auto repositories = repositoriesFolder();
    if (isDirectory(repositories)) {
        for (const auto& entry : context.children(repositories, true)) {
            if (entry.measurement.bytes <= repositoryFloor) continue;
            footprint = SizeSum::add(footprint, entry.measurement.bytes);
            const auto name = Paths::lastComponent(entry.url);
            const bool central = name == centralRepository;
            add(makeCandidate(
                    "cocoapods.repos", "Specs Repositories", name, entry.url, entry.measurement.bytes,
                    SafetyLevel::caution,
                    central ? "The full CocoaPods specs index. Removing it means the next `pod install` "
                              "re-downloads it, which takes a few minutes."
                            : "A private or mirrored specs repository. Re-added with `pod repo add`.",
                    central ? "pod repo update (re-downloads automatically)" : "pod repo add",
                    entry.measurement.newestModification, {}),
                false);
        }
    }

    // 3. Each project's Pods folder, measured in one parallel batch.
    const auto projects = context.projects().projects(DetectedProject::Kind::cocoapods);
    for (const auto& [p, f, entry] : context.measureInProjects(projects, {"Pods"}, podsMinimum)) {
        const auto& project = projects[p];
        const auto& measurement = entry.measurement;
        footprint = SizeSum::add(footprint, measurement.bytes);
        const bool locked = exists(Paths::join(project.url, "Podfile.lock"));
        add(makeCandidate("cocoapods.projectPods", "Project Pods", project.name(), entry.url, measurement.bytes,
                          SafetyLevel::caution,
                          locked
                              ? "Pod sources checked into this project's build. Podfile.lock pins the exact "
                                "versions, so `pod install` restores it identically."
                              : "Pod sources for this project. There is no Podfile.lock, so a reinstall may "
                                "resolve different versions.",
                          "pod install", measurement.newestModification,
                          {{"Podfile.lock", locked ? "Present" : "Missing"},
                           {"Last activity", context.relativeActivity(project.lastActivity)}}),
            false);
    }

    return CategoryResult(category(), footprint, std::move(candidates));
}

}  // namespace korvane
