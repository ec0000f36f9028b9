#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/scanners/CategoryScanner.h"

namespace korvane {

class ScanContext;

// What React Native and Expo development leaves on disk: the packager caches
// Metro and Watchman write into the temporary folder, the Expo command-line
// caches in the home folder, and the Android and iOS build output, iOS pods
// and Expo folder inside every React Native or Expo project. Reads the disk
// only; runs no tool.
class ReactNativeScanner final : public CategoryScanner {
public:
    // A build-output folder inside a React Native or Expo project.
    struct ProjectOutput {
        std::string relativePath;
        std::string ruleID;
        std::string reason;
        std::string restoreHint;
    };

    // What an entry of the temporary folder is, once its name passed the
    // packager prefixes.
    struct PackagerCache {
        std::string ruleID;
        std::string reason;
    };

    static constexpr std::int64_t cacheMinimum = 1048576;           // 1 MiB, inclusive
    static constexpr std::int64_t projectOutputMinimum = 20971520;  // 20 MiB, inclusive

    // `temporaryDirectory` replaces the platform's temporary folder (tests).
    explicit ReactNativeScanner(std::optional<std::string> temporaryDirectory = std::nullopt)
        : temporaryDirectory_(std::move(temporaryDirectory)) {}

    CleanupCategory category() const override { return CleanupCategory::reactNative; }
    // True when "~/.expo" exists or the temporary folder holds a packager
    // cache; projects play no part.
    bool isAvailable() const override;
    std::vector<DetectedProject::Kind> projectKinds() const override { return {DetectedProject::Kind::reactNative, DetectedProject::Kind::expo}; }
    CategoryResult scan(const ScanContext& context) const override;

    // The temporary folder the packager writes into: the injected one, else
    // $TMPDIR when it is an absolute path, else "/tmp".
    std::string temporaryDirectory() const;
    // The entries of the temporary folder owned by the user running Korvane
    // whose lower-cased name starts with a packager prefix, in listing order,
    // each with its name as listed.
    std::vector<std::string> metroCaches() const;
    // Whether the entry itself (not what a link leads to) belongs to the user
    // running Korvane.
    static bool isOwnEntry(const std::string& path);

    // Lower-cased name prefixes of the packager's entries, in order.
    static const std::vector<std::string>& packagerPrefixes();
    // Whether an entry name is a packager cache (case-insensitive prefix test).
    static bool isPackagerCacheName(std::string_view name);
    // Watchman's record for a name containing "watchman" (any case), else Metro's.
    static const PackagerCache& packagerCache(std::string_view name);
    // "~/.expo", then "~/Library/Caches/Expo".
    static std::vector<std::string> expoLocations();
    // The six output folders of a project, in order.
    static const std::vector<ProjectOutput>& projectOutputs();

private:
    // The steps of scan(), in order.
    // Metro and Watchman.
    void addPackagerCaches(const ScanContext& context, Findings& found) const;
    // Expo's command-line caches.
    void addExpoCaches(const ScanContext& context, Findings& found) const;
    // Build output of every React Native or Expo project, one parallel batch.
    void addProjectOutputs(const ScanContext& context, Findings& found) const;

    std::optional<std::string> temporaryDirectory_;
};

}  // namespace korvane
