#include "core/scanners/GradleScanner.h"

#include <algorithm>
#include <map>
#include <utility>

#include "core/system/Paths.h"
#include "core/model/SizeSum.h"
#include "core/scanners/DetectedProject.h"
#include "core/scanners/ScanContext.h"
#include "core/scanners/VersionOrder.h"

namespace korvane {

namespace {

constexpr std::int64_t oneMiB = 1048576;
constexpr std::int64_t smallestProjectBuild = 20 * oneMiB;
constexpr const char* cachesRule = "gradle.caches";
constexpr const char* cachesGroup = "Gradle Caches";
constexpr const char* cachesRestore = "Re-downloaded or rebuilt on the next Gradle build";

void replaceAll(std::string& text, std::string_view what, std::string_view with) {
    std::size_t at = 0;
    while ((at = text.find(what, at)) != std::string::npos) {
        text.replace(at, what.size(), with);
        at += with.size();
    }
}

}  // namespace

std::string GradleScanner::gradleHome() { return Paths::home(".gradle"); }

const std::vector<GradleScanner::RuntimeFolder>& GradleScanner::runtimeFolders() {
    static const std::vector<RuntimeFolder> folders{
        {"daemon", "gradle.daemon", "Daemon logs",
         "Logs from background Gradle daemons. Nothing reads them after the daemon exits."},
        {"native", "gradle.nativeAndJdks", "Native libraries",
         "Platform helper binaries Gradle extracts at runtime. Re-extracted when needed."},
    };
    return folders;
}

const std::vector<std::string>& GradleScanner::projectBuildFolders() {
    static const std::vector<std::string> folders{"build", "app/build", ".gradle"};
    return folders;
}

bool GradleScanner::isAvailable() const { return exists(gradleHome()); }

bool GradleScanner::isOlderVersion(std::string_view a, std::string_view b) {
    return VersionOrder::isOlder(a, b);
}

std::string GradleScanner::distributionTitle(std::string_view folderName) {
    std::string title(folderName);
    replaceAll(title, "gradle-", "Gradle ");
    replaceAll(title, "-bin", "");
    replaceAll(title, "-all", " (with sources)");
    return title;
}

CategoryResult GradleScanner::scan(const ScanContext& context) const {
    std::vector<CleanupCandidate> candidates;
    const auto add = [&](std::optional<CleanupCandidate> candidate) {
        if (candidate) candidates.push_back(std::move(*candidate));
    };

    // 1. The Gradle home is the footprint; caches, distributions and runtime
    // folders lie inside it.
    const auto home = gradleHome();
    std::int64_t footprint = measureFollowingLink(context, home);

    // 2. Caches: one folder per Gradle version, the dependency cache and
    // Gradle's working caches.
    const auto caches = Paths::join(home, "caches");
    if (!context.isCancelled() && isDirectory(caches)) {
        std::vector<ScanContext::Entry> items;
        for (auto& entry : context.children(caches, true))
            if (entry.measurement.bytes >= 1) items.push_back(std::move(entry));
        std::vector<std::string> versions;
        for (const auto& item : items) {
            auto name = Paths::lastComponent(item.url);
            if (VersionOrder::startsWithNumber(name)) versions.push_back(std::move(name));
        }
        const auto newest = VersionOrder::newest(versions, &GradleScanner::isOlderVersion);
        for (const auto& item : items) {
            const auto name = Paths::lastComponent(item.url);
            const auto size = item.measurement.bytes;
            const auto lastModified = newestElseOwn(item.measurement, item.url);
            if (name == "modules-2") {
                add(makeCandidate(
                    cachesRule, cachesGroup, "Downloaded dependencies", item.url, size, SafetyLevel::caution,
                    "Every JAR and AAR Gradle has downloaded for your projects. Re-downloaded on the "
                    "next build that needs them.",
                    cachesRestore, lastModified, {}));
            } else if (VersionOrder::startsWithNumber(name) && name == newest) {
                add(makeCandidate(
                    cachesRule, cachesGroup, "Gradle " + name + " cache", item.url, size,
                    SafetyLevel::caution,
                    "Compiled build scripts and metadata for Gradle " + name +
                        ", your newest installed version. Rebuilt on the next build, which will be "
                        "slower once.",
                    cachesRestore, lastModified, {}));
            } else if (VersionOrder::startsWithNumber(name)) {
                add(makeCandidate(cachesRule, cachesGroup, "Gradle " + name + " cache", item.url, size,
                                  SafetyLevel::safe,
                                  "Compiled build scripts for Gradle " + name + ". You have " + *newest +
                                      " installed, so nothing is likely to use this again.",
                                  cachesRestore, lastModified, {}));
            } else {
                add(makeCandidate(cachesRule, cachesGroup, name, item.url, size, SafetyLevel::safe,
                                  "Gradle's own working cache. Rebuilt automatically.", cachesRestore,
                                  lastModified, {}));
            }
        }
    }

    // 3. Wrapper distributions: every download folder of every version, the
    // newest version kept out of the selection.
    const auto dists = Paths::join(home, "wrapper/dists");
    if (!context.isCancelled() && isDirectory(dists)) {
        const auto distributions = sortedEntryNames(dists);
        const auto newest = VersionOrder::newest(distributions, &GradleScanner::isOlderVersion);
        for (const auto& distribution : distributions) {
            const auto title = distributionTitle(distribution);
            const bool isNewest = distribution == newest;
            for (const auto& download : context.children(Paths::join(dists, distribution), true)) {
                if (download.measurement.bytes < 1) continue;
                add(makeCandidate(
                    "gradle.wrapperDists", "Gradle Distributions", title, download.url,
                    download.measurement.bytes, isNewest ? SafetyLevel::caution : SafetyLevel::safe,
                    isNewest ? "The newest Gradle distribution you have. A project pinned to it will "
                               "re-download it, which takes a minute."
                             : "A complete Gradle install downloaded because some project's wrapper "
                               "asked for it. If you open that project again, the wrapper downloads it "
                               "back automatically.",
                    "Re-downloaded automatically by the Gradle wrapper", modificationDate(download.url), {}));
            }
        }
    }

    // 4. Runtime folders.
    for (const auto& row : runtimeFolders()) {
        if (context.isCancelled()) break;
        const auto path = Paths::join(home, row.folder);
        const auto measurement = context.measure(path, oneMiB);
        if (!measurement) continue;
        add(makeCandidate(row.ruleID, "Gradle Runtime", row.title, path, measurement->bytes,
                          SafetyLevel::safe, row.reason, "Recreated automatically",
                          measurement->newestModification, {}));
    }

    // 5. Build output inside Gradle projects. A folder reachable from two
    // projects (a project nested in another's "app") is measured once, under
    // the later project.
    if (!context.isCancelled()) {
        std::map<std::string, std::pair<DetectedProject, std::string>> locations;
        for (const auto& project : context.projects().projects(DetectedProject::Kind::gradle))
            for (const auto& folder : projectBuildFolders())
                locations.insert_or_assign(Paths::join(project.url, folder), std::make_pair(project, folder));
        std::vector<std::string> paths;
        paths.reserve(locations.size());
        for (const auto& [path, owner] : locations) paths.push_back(path);
        for (const auto& entry : context.measureExisting(paths, smallestProjectBuild)) {
            const auto& [project, folder] = locations.at(entry.url);
            footprint = SizeSum::add(footprint, entry.measurement.bytes);
            add(makeCandidate("gradle.projectBuilds", "Project Build Output", project.name() + "/" + folder,
                              entry.url, entry.measurement.bytes, SafetyLevel::safe,
                              folder == ".gradle"
                                  ? "Gradle's per-project state: the configuration cache and file "
                                    "hashes for this build. Recreated on the next build."
                                  : "Compiled classes, APKs and merged resources for this project. "
                                    "Recreated by the next build.",
                              "./gradlew build", entry.measurement.newestModification,
                              {{"Last activity", context.relativeActivity(project.lastActivity)}}));
        }
    }

    return CategoryResult(CleanupCategory::gradle, footprint, std::move(candidates));
}

}  // namespace korvane
