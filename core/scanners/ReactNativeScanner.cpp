#include "core/scanners/ReactNativeScanner.h"

#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "core/text/AsciiText.h"
#include "core/system/FolderListing.h"
#include "core/system/Paths.h"
#include "core/system/ToolPlaces.h"
#include "core/scanners/ScanContext.h"

namespace korvane {

const std::vector<std::string>& ReactNativeScanner::packagerPrefixes() {
    static const std::vector<std::string> prefixes{"metro-", "haste-map-", "react-native-"};
    return prefixes;
}

bool ReactNativeScanner::isPackagerCacheName(std::string_view name) {
    const auto lower = AsciiText::lowercased(name);
    for (const auto& prefix : packagerPrefixes())
        if (lower.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

const ReactNativeScanner::PackagerCache& ReactNativeScanner::packagerCache(std::string_view name) {
    static const PackagerCache watchman{
        "rn.watchman",
        "Watchman's record of which files it is watching. Rebuilt when the packager next starts."};
    static const PackagerCache metro{"rn.metroCache",
                                     "Metro's transformed-module cache. The packager rebuilds it on the next "
                                     "start — the first bundle after this "
                                     "will be slower, and nothing else changes."};
    return AsciiText::lowercased(name).find("watchman") != std::string::npos ? watchman : metro;
}

std::vector<std::string> ReactNativeScanner::expoLocations() {
    return {Paths::home(".expo"), Paths::home("Library", "Caches", "Expo")};
}

const std::vector<ReactNativeScanner::ProjectOutput>& ReactNativeScanner::projectOutputs() {
    static const std::vector<ProjectOutput> rows{
        {"android/app/build", "rn.androidBuilds",
         "Compiled Android output for this app. Recreated by the next Android build.",
         "./gradlew assembleDebug"},
        {"android/build", "rn.androidBuilds", "Gradle build output for the Android project.",
         "./gradlew build"},
        {"android/.gradle", "rn.androidBuilds", "Gradle's per-project state for the Android build.",
         "Recreated automatically"},
        {"ios/build", "rn.iosBuilds", "Compiled iOS output for this app. Recreated by the next Xcode build.",
         "Rebuild in Xcode"},
        {"ios/Pods", "rn.iosBuilds",
         "CocoaPods sources for the iOS project. Restored exactly by `pod install`.",
         "cd ios && pod install"},
        {".expo", "rn.expoCache", "Expo's per-project cache and dev-client state.",
         "Recreated on next expo start"},
    };
    return rows;
}

std::string ReactNativeScanner::temporaryDirectory() const {
    if (temporaryDirectory_) return Paths::standardise(*temporaryDirectory_).value_or(*temporaryDirectory_);
    return ToolPlaces::temporaryDirectory();
}

bool ReactNativeScanner::isOwnEntry(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && st.st_uid == ::geteuid();
}

std::vector<std::string> ReactNativeScanner::metroCaches() const {
    std::vector<std::string> caches;
    const auto folder = temporaryDirectory();
    for (const auto& name : FolderListing::names(folder).value_or(std::vector<std::string>{})) {
        if (!isPackagerCacheName(name)) continue;
        // The temporary folder is shared: other users' packagers write there too.
        if (const auto path = Paths::join(folder, name); isOwnEntry(path)) caches.push_back(path);
    }
    return caches;
}

bool ReactNativeScanner::isAvailable() const {
    return exists(Paths::home(".expo")) || !metroCaches().empty();
}

CategoryResult ReactNativeScanner::scan(const ScanContext& context) const {
    Findings found;
    addPackagerCaches(context, found);
    addExpoCaches(context, found);
    addProjectOutputs(context, found);
    return CategoryResult(category(), found.footprint, std::move(found.candidates));
}

void ReactNativeScanner::addPackagerCaches(const ScanContext& context, Findings& found) const {
    // One entry at a time: a handful at most.
    for (const auto& path : metroCaches()) {
        const auto measurement = context.measure(path, cacheMinimum);
        if (!measurement) continue;
        found.addFootprint(measurement->bytes);
        const auto name = Paths::lastComponent(path);
        const auto& kind = packagerCache(name);
        found.add(makeCandidate({.ruleID = kind.ruleID,
                                 .groupTitle = "Metro & Watchman",
                                 .title = name,
                                 .path = path,
                                 .size = measurement->bytes,
                                 .safety = SafetyLevel::safe,
                                 .reason = kind.reason,
                                 .restoreHint = "Rebuilt on next packager start",
                                 .lastModified = measurement->newestModification}));
    }
}

void ReactNativeScanner::addExpoCaches(const ScanContext& context, Findings& found) const {
    for (const auto& path : expoLocations()) {
        const auto measurement = context.measure(path, cacheMinimum);
        if (!measurement) continue;
        found.addFootprint(measurement->bytes);
        found.add(makeCandidate(
            {.ruleID = "rn.expoCache",
             .groupTitle = "Expo",
             .title = "Expo cache",
             .path = path,
             .size = measurement->bytes,
             .safety = SafetyLevel::safe,
             .reason = "Downloaded Expo runtimes and CLI state. Re-fetched as needed; you stay signed in.",
             .restoreHint = "Re-downloaded automatically",
             .lastModified = measurement->newestModification}));
    }
}

void ReactNativeScanner::addProjectOutputs(const ScanContext& context, Findings& found) const {
    std::vector<DetectedProject> projects;
    for (const auto& project : context.projects().projects())
        if (project.hasKind(DetectedProject::Kind::reactNative) || project.hasKind(DetectedProject::Kind::expo))
            projects.push_back(project);

    std::vector<std::string> outputFolders;
    for (const auto& row : projectOutputs()) outputFolders.push_back(row.relativePath);
    for (const auto& [p, r, entry] : context.measureInProjects(projects, outputFolders, projectOutputMinimum)) {
        const auto& project = projects[p];
        const auto& row = projectOutputs()[r];
        found.addFootprint(entry.measurement.bytes);
        // Pods are restored from the lockfile only if it is still there, so
        // they are offered for review rather than selected.
        const bool pods = row.relativePath.size() >= 4 &&
                          row.relativePath.compare(row.relativePath.size() - 4, 4, "Pods") == 0;
        found.add(makeCandidate({.ruleID = row.ruleID,
                                 .groupTitle = "Project Build Output",
                                 .title = project.name() + "/" + row.relativePath,
                                 .path = entry.url,
                                 .size = entry.measurement.bytes,
                                 .safety = pods ? SafetyLevel::caution : SafetyLevel::safe,
                                 .reason = row.reason,
                                 .restoreHint = row.restoreHint,
                                 .lastModified = entry.measurement.newestModification,
                                 .details = {{"Last activity", context.relativeActivity(project.lastActivity)}}}));
    }
}

}  // namespace korvane
