#include "core/scanners/FlutterScanner.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <utility>

#include "core/system/Paths.h"
#include "core/system/RealPath.h"
#include "core/system/Shell.h"
#include "core/scanners/ScanContext.h"

namespace korvane {

namespace {

struct Identity {
    dev_t dev = 0;
    ino_t ino = 0;
    bool operator==(const Identity&) const = default;
};

std::optional<Identity> identity(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return Identity{st.st_dev, st.st_ino};
}

}  // namespace

const std::vector<FlutterScanner::PubCacheFolder>& FlutterScanner::pubCacheFolders() {
    static const std::vector<PubCacheFolder> rows{
        {"hosted", "Packages from pub.dev",
         "Every version of every package pub has downloaded. Re-fetched by `flutter pub get`."},
        {"git", "Packages from git",
         "Checkouts of packages depended on by git URL. Re-cloned by `flutter pub get`."},
    };
    return rows;
}

const std::vector<std::string>& FlutterScanner::sdkCacheFolders() {
    static const std::vector<std::string> folders{"bin/cache/artifacts", "bin/cache/download"};
    return folders;
}

std::vector<std::string> FlutterScanner::wellKnownSDKPlaces() {
    return {Paths::home("flutter"), Paths::home("development", "flutter"),
            Paths::home("Developer", "flutter"), "/opt/homebrew/Caskroom/flutter"};
}

const std::vector<FlutterScanner::ProjectBuild>& FlutterScanner::projectBuilds() {
    static const std::vector<ProjectBuild> rows{
        {"build",
         "Compiled app bundles for every platform this project has been built for. Recreated by the next "
         "build."},
        {".dart_tool", "Package resolution and build metadata. Recreated by `flutter pub get`."},
    };
    return rows;
}

std::string FlutterScanner::sdkCacheTitle(const std::string& sdkRoot, const std::string& cacheFolder) {
    std::string shortName = cacheFolder;
    const std::string cachePrefix = "bin/cache/";
    for (auto at = shortName.find(cachePrefix); at != std::string::npos; at = shortName.find(cachePrefix))
        shortName.erase(at, cachePrefix.size());
    return Paths::lastComponent(sdkRoot) + " · " + shortName;
}

std::string FlutterScanner::pubCacheRoot() {
    // A relative value would be judged against whatever the current folder
    // happens to be, so only an absolute one counts.
    if (const char* variable = std::getenv("PUB_CACHE"); variable != nullptr && variable[0] == '/') {
        if (const auto path = Paths::standardise(variable); path && exists(*path)) return *path;
    }
    return Paths::home(".pub-cache");
}

std::vector<std::string> FlutterScanner::sdkLocation() {
    std::vector<std::string> roots;
    std::vector<Identity> identities;
    const auto add = [&](const std::string& root) {
        roots.push_back(root);
        if (const auto id = identity(root)) identities.push_back(*id);
    };

    if (const auto executable = Shell::resolve("flutter")) {
        // The executable sits in the SDK's "bin"; links (a Homebrew shim, a
        // versioned install) lead to the real SDK.
        const auto root = Paths::parent(Paths::parent(RealPath::resolved(*executable)));
        if (exists(Paths::join(root, "bin/cache"))) add(root);
    }
    for (const auto& place : wellKnownSDKPlaces()) {
        if (!exists(Paths::join(place, "bin/cache"))) continue;
        bool listed = false;
        for (const auto& root : roots) listed = listed || root == place;
        // The same SDK reached through a link under another name would be
        // measured, and offered, twice.
        if (const auto id = identity(place))
            for (const auto& known : identities) listed = listed || known == *id;
        if (!listed) add(place);
    }
    return roots;
}

bool FlutterScanner::isAvailable() const {
    return exists(pubCacheRoot()) || Shell::resolve("flutter").has_value();
}

CategoryResult FlutterScanner::scan(const ScanContext& context) const {
    Findings found;
    addPubCache(context, found);
    addSdkArtifacts(context, found);
    addProjectBuilds(context, found);
    return CategoryResult(category(), found.footprint, std::move(found.candidates));
}

void FlutterScanner::addPubCache(const ScanContext& context, Findings& found) const {
    const auto pubCache = pubCacheRoot();
    for (const auto& row : pubCacheFolders()) {
        const auto path = Paths::join(pubCache, row.folder);
        const auto measurement = context.measure(path, pubCacheMinimum);
        if (!measurement) continue;
        found.addFootprint(measurement->bytes);
        found.add(makeCandidate({.ruleID = "flutter.pubCache",
                                 .groupTitle = "Pub Cache",
                                 .title = row.title,
                                 .path = path,
                                 .size = measurement->bytes,
                                 .safety = SafetyLevel::safe,
                                 .reason = row.reason,
                                 .restoreHint = "flutter pub get",
                                 .lastModified = measurement->newestModification}));
    }
}

void FlutterScanner::addSdkArtifacts(const ScanContext& context, Findings& found) const {
    for (const auto& root : sdkLocation()) {
        for (const auto& folder : sdkCacheFolders()) {
            const auto path = Paths::join(root, folder);
            const auto measurement = context.measure(path, sdkCacheMinimum);
            if (!measurement) continue;
            found.addFootprint(measurement->bytes);
            found.add(makeCandidate(
                {.ruleID = "flutter.sdkCache",
                 .groupTitle = "SDK Artifacts",
                 .title = sdkCacheTitle(root, folder),
                 .path = path,
                 .size = measurement->bytes,
                 .safety = SafetyLevel::caution,
                 .reason = "Prebuilt engine binaries and toolchains for every platform this SDK can target. "
                           "`flutter precache` downloads them again, at a few hundred megabytes each.",
                 .restoreHint = "flutter precache",
                 .lastModified = measurement->newestModification}));
        }
    }
}

void FlutterScanner::addProjectBuilds(const ScanContext& context, Findings& found) const {
    const auto projects = context.projects().projects(DetectedProject::Kind::flutter);
    std::vector<std::string> buildFolders;
    for (const auto& row : projectBuilds()) buildFolders.push_back(row.folder);
    for (const auto& [p, r, entry] : context.measureInProjects(projects, buildFolders, projectBuildMinimum)) {
        const auto& project = projects[p];
        const auto& row = projectBuilds()[r];
        found.addFootprint(entry.measurement.bytes);
        found.add(makeCandidate({.ruleID = "flutter.projectBuilds",
                                 .groupTitle = "Project Build Output",
                                 .title = project.name() + "/" + row.folder,
                                 .path = entry.url,
                                 .size = entry.measurement.bytes,
                                 .safety = SafetyLevel::safe,
                                 .reason = row.reason,
                                 .restoreHint = "flutter build",
                                 .lastModified = entry.measurement.newestModification,
                                 .details = {{"Last activity", context.relativeActivity(project.lastActivity)}}}));
    }
}

}  // namespace korvane
