#include "core/scanners/FlutterScanner.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <utility>

#include "core/system/Paths.h"
#include "core/system/RealPath.h"
#include "core/system/Shell.h"
#include "core/model/SizeSum.h"
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
    std::int64_t footprint = 0;
    std::vector<CleanupCandidate> candidates;
    const auto add = [&](std::optional<CleanupCandidate> candidate, bool selected) {
        if (!candidate) return;
        candidate->isSelectedByDefault = selected;
        candidates.push_back(std::move(*candidate));
    };

    // 1. The pub cache.
    const auto pubCache = pubCacheRoot();
    for (const auto& row : pubCacheFolders()) {
        const auto path = Paths::join(pubCache, row.folder);
        const auto measurement = context.measure(path, pubCacheMinimum);
        if (!measurement) continue;
        footprint = SizeSum::add(footprint, measurement->bytes);
        add(makeCandidate("flutter.pubCache", "Pub Cache", row.title, path, measurement->bytes,
                          SafetyLevel::safe, row.reason, "flutter pub get", measurement->newestModification,
                          {}),
            true);
    }

    // 2. Engine artifacts of every SDK: large and slow to fetch again.
    for (const auto& root : sdkLocation()) {
        for (const auto& folder : sdkCacheFolders()) {
            const auto path = Paths::join(root, folder);
            const auto measurement = context.measure(path, sdkCacheMinimum);
            if (!measurement) continue;
            footprint = SizeSum::add(footprint, measurement->bytes);
            add(makeCandidate(
                    "flutter.sdkCache", "SDK Artifacts", sdkCacheTitle(root, folder), path,
                    measurement->bytes, SafetyLevel::caution,
                    "Prebuilt engine binaries and toolchains for every platform this SDK can target. "
                    "`flutter precache` downloads them again, at a few hundred megabytes each.",
                    "flutter precache", measurement->newestModification, {}),
                false);
        }
    }

    // 3. Build output of each Flutter project, measured in one parallel batch.
    const auto projects = context.projects().projects(DetectedProject::Kind::flutter);
    std::vector<std::string> buildFolders;
    for (const auto& row : projectBuilds()) buildFolders.push_back(row.folder);
    for (const auto& [p, r, entry] : context.measureInProjects(projects, buildFolders, projectBuildMinimum)) {
        const auto& project = projects[p];
        const auto& row = projectBuilds()[r];
        footprint = SizeSum::add(footprint, entry.measurement.bytes);
        add(makeCandidate("flutter.projectBuilds", "Project Build Output", project.name() + "/" + row.folder,
                          entry.url, entry.measurement.bytes, SafetyLevel::safe, row.reason, "flutter build",
                          entry.measurement.newestModification,
                          {{"Last activity", context.relativeActivity(project.lastActivity)}}),
            true);
    }

    return CategoryResult(category(), footprint, std::move(candidates));
}

}  // namespace korvane
