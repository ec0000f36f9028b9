#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/scanners/CategoryScanner.h"

namespace korvane {

class ScanContext;

// What CocoaPods keeps: the download cache of pod versions (offered as safe),
// the specs repositories and every detected project's Pods folder (both left
// for review). Reads the disk only; runs no tool.
class CocoaPodsScanner final : public CategoryScanner {
public:
    static constexpr std::int64_t cacheMinimum = 1048576;     // 1 MiB, inclusive
    static constexpr std::int64_t repositoryFloor = 1048576;  // a repository must hold more than this
    static constexpr std::int64_t podsMinimum = 10485760;     // 10 MiB, inclusive

    CleanupCategory category() const override { return CleanupCategory::cocoapods; }
    // True when "~/.cocoapods" or a download cache exists.
    bool isAvailable() const override;
    std::vector<DetectedProject::Kind> projectKinds() const override { return {DetectedProject::Kind::cocoapods}; }
    CategoryResult scan(const ScanContext& context) const override;

    // "~/Library/Caches/CocoaPods", then the same folder in the user's cache
    // folder here.
    static std::vector<std::string> downloadCaches();
    // "~/.cocoapods".
    static std::string cocoaPodsFolder();
    // "~/.cocoapods/repos".
    static std::string repositoriesFolder();
    // The central specs index's folder name (compared exactly).
    static constexpr const char* centralRepository = "trunk";

private:
    // The steps of scan(), in order.
    void addDownloadCache(const ScanContext& context, Findings& found) const;
    // The central index is slow to fetch again and a private one must be
    // re-added by hand, so both are left for review.
    void addSpecsRepositories(const ScanContext& context, Findings& found) const;
    // Each project's Pods folder, measured in one parallel batch.
    void addProjectPods(const ScanContext& context, Findings& found) const;
};

}  // namespace korvane
