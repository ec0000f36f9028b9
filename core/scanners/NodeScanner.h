#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/scanners/CategoryScanner.h"
#include "core/scanners/DetectedProject.h"

namespace korvane {

class ScanContext;

// What JavaScript tooling leaves on disk: each Node project's node_modules
// (judged by how long ago the project was worked on), framework build output,
// package-manager caches, the pnpm store and nvm runtimes that are neither
// active nor the newest.
class NodeScanner final : public CategoryScanner {
public:
    // A framework's output folder inside a project.
    struct BuildOutput {
        std::string folder;
        std::string ruleID;
        std::string title;
        std::string reason;
    };
    // A package manager's cache under the home folder.
    struct PackageManagerCache {
        std::string location;
        std::string ruleID;
        std::string title;
        std::string reason;
        std::optional<std::string> restoreHint;
    };

    // Seconds each tool may take.
    struct Limits {
        double pnpm = 8.0;
        double node = 5.0;
    };

    NodeScanner() = default;
    explicit NodeScanner(Limits limits) : limits_(limits) {}

    CleanupCategory category() const override { return CleanupCategory::node; }
    bool isAvailable() const override;
    std::vector<DetectedProject::Kind> projectKinds() const override { return {DetectedProject::Kind::node}; }
    CategoryResult scan(const ScanContext& context) const override;

    static const std::vector<BuildOutput>& buildOutputs();
    // Built from the home folder in force.
    static std::vector<PackageManagerCache> packageManagerCaches();
    // Lockfile name -> package manager, first match wins.
    static const std::vector<std::pair<std::string, std::string>>& lockfiles();

    // The package manager named by the project's lockfile, or none.
    static std::optional<std::string> installer(const DetectedProject& project);
    // Packages in a node_modules folder: every entry not starting with ".",
    // a scope ("@types") counting as the entries inside it. None when the
    // folder cannot be listed.
    static std::optional<std::int64_t> packageCount(const std::string& nodeModules);
    // Full days since the project's last activity; none without a date.
    static std::optional<int> daysSinceActivity(const DetectedProject& project, const ScanContext& context);
    // Whether node_modules of a project this old may go without asking. A
    // project without an activity date is never stale.
    static bool isStale(const DetectedProject& project, const ScanContext& context);

    // The pnpm store locations to measure: the one pnpm reports, then the
    // fixed places; a location at or inside another one is left out so no
    // byte is measured twice.
    std::vector<std::string> pnpmStorePath() const;
    // `node --version`, trimmed; none when node is missing, times out or fails.
    std::optional<std::string> activeNodeVersion() const;

    // The numbers of a version name: "v18.0.0-rc" -> 18, 0.
    static std::vector<std::int64_t> versionNumbers(std::string_view name);
    // True when `a` is a strictly higher version than `b` (missing positions
    // count as 0).
    static bool isNewerVersion(std::string_view a, std::string_view b);

private:
    // The steps of scan(), in order.
    // Each project's node_modules, measured in one parallel batch, judged by
    // how long ago the project was worked on.
    void addProjectDependencies(const ScanContext& context, const std::vector<DetectedProject>& projects,
                                Findings& found) const;
    // Framework build output inside the same projects, a second batch.
    void addBuildOutput(const ScanContext& context, const std::vector<DetectedProject>& projects,
                        Findings& found) const;
    void addPackageManagerCaches(const ScanContext& context, Findings& found) const;
    void addPnpmStore(const ScanContext& context, Findings& found) const;
    // The nvm runtimes that are neither active nor the newest; every version
    // measured counts in the footprint.
    void addUnusedNodeVersions(const ScanContext& context, Findings& found) const;

    Limits limits_{};
};

}  // namespace korvane
