#include "core/scanners/GradleScanner.h"

#include <algorithm>
#include <map>
#include <utility>

#include "core/system/Paths.h"
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
    // The Gradle home is the footprint; caches, distributions and runtime
    // folders lie inside it.
    const auto home = gradleHome();
    Findings found;
    found.addFootprint(measureFollowingLink(context, home));
    addVersionCaches(context, home, found);
    addWrapperDistributions(context, home, found);
    addRuntimeFolders(context, home, found);
    addProjectBuilds(context, found);
    return CategoryResult(category(), found.footprint, std::move(found.candidates));
}

void GradleScanner::addVersionCaches(const ScanContext& context, const std::string& home, Findings& found) const {
    const auto caches = Paths::join(home, "caches");
    if (context.isCancelled() || !isDirectory(caches)) return;
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
        std::string title = "Gradle " + name + " cache";
        SafetyLevel safety = SafetyLevel::safe;
        std::string reason;
        if (name == "modules-2") {
            title = "Downloaded dependencies";
            safety = SafetyLevel::caution;
            reason =
                "Every JAR and AAR Gradle has downloaded for your projects. Re-downloaded on the "
                "next build that needs them.";
        } else if (VersionOrder::startsWithNumber(name) && name == newest) {
            safety = SafetyLevel::caution;
            reason = "Compiled build scripts and metadata for Gradle " + name +
                     ", your newest installed version. Rebuilt on the next build, which will be "
                     "slower once.";
        } else if (VersionOrder::startsWithNumber(name)) {
            reason = "Compiled build scripts for Gradle " + name + ". You have " + *newest +
                     " installed, so nothing is likely to use this again.";
        } else {
            title = name;
            reason = "Gradle's own working cache. Rebuilt automatically.";
        }
        found.add(makeCandidate({.ruleID = cachesRule,
                                 .groupTitle = cachesGroup,
                                 .title = std::move(title),
                                 .path = item.url,
                                 .size = item.measurement.bytes,
                                 .safety = safety,
                                 .reason = std::move(reason),
                                 .restoreHint = cachesRestore,
                                 .lastModified = newestElseOwn(item.measurement, item.url)}));
    }
}

void GradleScanner::addWrapperDistributions(const ScanContext& context, const std::string& home,
                                            Findings& found) const {
    // Every download folder of every version, the newest version kept out of
    // the selection.
    const auto dists = Paths::join(home, "wrapper/dists");
    if (context.isCancelled() || !isDirectory(dists)) return;
    const auto distributions = sortedEntryNames(dists);
    const auto newest = VersionOrder::newest(distributions, &GradleScanner::isOlderVersion);
    for (const auto& distribution : distributions) {
        const auto title = distributionTitle(distribution);
        const bool isNewest = distribution == newest;
        for (const auto& download : context.children(Paths::join(dists, distribution), true)) {
            if (download.measurement.bytes < 1) continue;
            found.add(makeCandidate(
                {.ruleID = "gradle.wrapperDists",
                 .groupTitle = "Gradle Distributions",
                 .title = title,
                 .path = download.url,
                 .size = download.measurement.bytes,
                 .safety = isNewest ? SafetyLevel::caution : SafetyLevel::safe,
                 .reason = isNewest ? "The newest Gradle distribution you have. A project pinned to it will "
                                      "re-download it, which takes a minute."
                                    : "A complete Gradle install downloaded because some project's wrapper "
                                      "asked for it. If you open that project again, the wrapper downloads it "
                                      "back automatically.",
                 .restoreHint = "Re-downloaded automatically by the Gradle wrapper",
                 .lastModified = modificationDate(download.url)}));
        }
    }
}

void GradleScanner::addRuntimeFolders(const ScanContext& context, const std::string& home, Findings& found) const {
    for (const auto& row : runtimeFolders()) {
        if (context.isCancelled()) break;
        const auto path = Paths::join(home, row.folder);
        const auto measurement = context.measure(path, oneMiB);
        if (!measurement) continue;
        found.add(makeCandidate({.ruleID = row.ruleID,
                                 .groupTitle = "Gradle Runtime",
                                 .title = row.title,
                                 .path = path,
                                 .size = measurement->bytes,
                                 .safety = SafetyLevel::safe,
                                 .reason = row.reason,
                                 .restoreHint = "Recreated automatically",
                                 .lastModified = measurement->newestModification}));
    }
}

void GradleScanner::addProjectBuilds(const ScanContext& context, Findings& found) const {
    if (context.isCancelled()) return;
    // A folder reachable from two projects (a project nested in another's
    // "app") is measured once, under the later project.
    std::map<std::string, std::pair<DetectedProject, std::string>> locations;
    for (const auto& project : context.projects().projects(DetectedProject::Kind::gradle))
        for (const auto& folder : projectBuildFolders())
            locations.insert_or_assign(Paths::join(project.url, folder), std::make_pair(project, folder));
    std::vector<std::string> paths;
    paths.reserve(locations.size());
    for (const auto& [path, owner] : locations) paths.push_back(path);
    for (const auto& entry : context.measureExisting(paths, smallestProjectBuild)) {
        const auto& [project, folder] = locations.at(entry.url);
        found.addFootprint(entry.measurement.bytes);
        found.add(makeCandidate(
            {.ruleID = "gradle.projectBuilds",
             .groupTitle = "Project Build Output",
             .title = project.name() + "/" + folder,
             .path = entry.url,
             .size = entry.measurement.bytes,
             .safety = SafetyLevel::safe,
             .reason = folder == ".gradle" ? "Gradle's per-project state: the configuration cache and file "
                                             "hashes for this build. Recreated on the next build."
                                           : "Compiled classes, APKs and merged resources for this project. "
                                             "Recreated by the next build.",
             .restoreHint = "./gradlew build",
             .lastModified = entry.measurement.newestModification,
             .details = {{"Last activity", context.relativeActivity(project.lastActivity)}}}));
    }
}

}  // namespace korvane
