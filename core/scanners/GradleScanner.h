#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/scanners/CategoryScanner.h"

namespace korvane {

class ScanContext;

// What Gradle keeps in ~/.gradle (per-version caches, the dependency cache,
// wrapper distributions, daemon logs, extracted native libraries) and the
// build output inside the Gradle projects of the project index. The newest
// version's cache and the newest distribution are kept out of the default
// selection, as is the dependency cache. Reads the disk only.
class GradleScanner final : public CategoryScanner {
public:
    // A folder Gradle fills while it runs.
    struct RuntimeFolder {
        std::string folder;  // under the Gradle home
        std::string ruleID;
        std::string title;
        std::string reason;
    };

    CleanupCategory category() const override { return CleanupCategory::gradle; }
    // True when something exists at ~/.gradle.
    bool isAvailable() const override;
    std::vector<DetectedProject::Kind> projectKinds() const override { return {DetectedProject::Kind::gradle}; }
    CategoryResult scan(const ScanContext& context) const override;

    // ~/.gradle for the home folder in force.
    static std::string gradleHome();
    // The daemon and native folders, in scan order.
    static const std::vector<RuntimeFolder>& runtimeFolders();
    // Build output folders relative to a project folder, in scan order.
    static const std::vector<std::string>& projectBuildFolders();

    // Strict less-than on Gradle version names: their numbers first (8.10
    // after 8.9), then their text.
    static bool isOlderVersion(std::string_view a, std::string_view b);
    // "gradle-8.5-bin" -> "Gradle 8.5"; "gradle-8.5-all" -> "Gradle 8.5 (with
    // sources)".
    static std::string distributionTitle(std::string_view folderName);

private:
    // The steps of scan(), in order.
    // One cache per Gradle version (the newest kept out of the selection),
    // the dependency cache and Gradle's working caches.
    void addVersionCaches(const ScanContext& context, const std::string& home, Findings& found) const;
    void addWrapperDistributions(const ScanContext& context, const std::string& home, Findings& found) const;
    void addRuntimeFolders(const ScanContext& context, const std::string& home, Findings& found) const;
    // Build output inside the Gradle projects; counted in the footprint, as
    // it lies outside the Gradle home.
    void addProjectBuilds(const ScanContext& context, Findings& found) const;
};

}  // namespace korvane
