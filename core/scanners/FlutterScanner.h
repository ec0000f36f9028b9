#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/scanners/CategoryScanner.h"

namespace korvane {

class ScanContext;

// What Flutter and Dart keep: the pub package cache, the engine artifacts
// each Flutter SDK downloads, and the build output of Flutter projects. Looks
// the flutter executable up on the tool search path but never runs it.
class FlutterScanner final : public CategoryScanner {
public:
    // A folder of the pub cache worth offering.
    struct PubCacheFolder {
        std::string folder;
        std::string title;
        std::string reason;
    };
    // A build folder inside a Flutter project.
    struct ProjectBuild {
        std::string folder;
        std::string reason;
    };

    static constexpr std::int64_t pubCacheMinimum = 1048576;       // 1 MiB, inclusive
    static constexpr std::int64_t sdkCacheMinimum = 52428800;      // 50 MiB, inclusive
    static constexpr std::int64_t projectBuildMinimum = 10485760;  // 10 MiB, inclusive

    CleanupCategory category() const override { return CleanupCategory::flutter; }
    // True when the pub cache exists or "flutter" is on the tool search path.
    bool isAvailable() const override;
    std::vector<DetectedProject::Kind> projectKinds() const override { return {DetectedProject::Kind::flutter}; }
    CategoryResult scan(const ScanContext& context) const override;

    // $PUB_CACHE when it names an absolute path where something exists, else
    // "~/.pub-cache". Read afresh on every call.
    static std::string pubCacheRoot();
    // The Flutter SDK roots found: the one behind the "flutter" on the search
    // path (links resolved), then the well-known places, each holding
    // "bin/cache". An SDK reachable two ways is listed once.
    static std::vector<std::string> sdkLocation();

    // "hosted", then "git" (the pub cache's own temporary folder is left alone).
    static const std::vector<PubCacheFolder>& pubCacheFolders();
    // Relative to an SDK root, in order.
    static const std::vector<std::string>& sdkCacheFolders();
    // Where Flutter SDKs are usually unpacked, in order.
    static std::vector<std::string> wellKnownSDKPlaces();
    // "build", then ".dart_tool".
    static const std::vector<ProjectBuild>& projectBuilds();
    // "flutter · artifacts" for the root ".../flutter" and "bin/cache/artifacts".
    static std::string sdkCacheTitle(const std::string& sdkRoot, const std::string& cacheFolder);

private:
    // The steps of scan(), in order.
    void addPubCache(const ScanContext& context, Findings& found) const;
    // Engine artifacts of every SDK: large and slow to fetch again.
    void addSdkArtifacts(const ScanContext& context, Findings& found) const;
    // Build output of each Flutter project, measured in one parallel batch.
    void addProjectBuilds(const ScanContext& context, Findings& found) const;
};

}  // namespace korvane
