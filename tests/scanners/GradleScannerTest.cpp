#include <gtest/gtest.h>

#include <map>

#include "core/scanners/GradleScanner.h"
#include "core/scanners/ScanContext.h"
#include "tests/scanners/FakeToolHome.h"
#include "tests/scanners/SizedFolder.h"

namespace korvane {
namespace {

using testing::duBytes;
using testing::FakeToolHome;
using testing::folderOfSize;

constexpr std::int64_t MiB = 1048576;
constexpr const char* restore = "Re-downloaded or rebuilt on the next Gradle build";
constexpr const char* workingCache = "Gradle's own working cache. Rebuilt automatically.";
constexpr const char* oldDistribution =
    "A complete Gradle install downloaded because some project's wrapper asked for it. If you open that "
    "project "
    "again, the wrapper downloads it back automatically.";
constexpr const char* newestDistribution =
    "The newest Gradle distribution you have. A project pinned to it will re-download it, which takes a "
    "minute.";
constexpr const char* buildOutput =
    "Compiled classes, APKs and merged resources for this project. Recreated by the next build.";

class GradleScannerTest : public ::testing::Test {
protected:
    std::map<std::string, CleanupCandidate> byPath(const std::vector<CleanupCandidate>& candidates) {
        std::map<std::string, CleanupCandidate> map;
        for (const auto& candidate : candidates) EXPECT_TRUE(map.emplace(candidate.path, candidate).second);
        return map;
    }

    // The candidate at a path, checked for what every candidate must hold.
    const CleanupCandidate* expect(const std::map<std::string, CleanupCandidate>& found,
                                   const std::string& relativePath, const std::string& rule,
                                   const std::string& title, SafetyLevel safety) {
        const auto it = found.find(home.path(relativePath));
        if (it == found.end()) {
            ADD_FAILURE() << "missing " << relativePath;
            return nullptr;
        }
        const auto& c = it->second;
        EXPECT_EQ(c.ruleID, rule) << relativePath;
        EXPECT_EQ(c.title, title) << relativePath;
        EXPECT_EQ(c.size, duBytes(c.path)) << relativePath;
        EXPECT_EQ(c.safety, safety) << relativePath;
        EXPECT_EQ(c.isSelectedByDefault, safety == SafetyLevel::safe) << relativePath;
        EXPECT_EQ(c.category, CleanupCategory::gradle) << relativePath;
        EXPECT_TRUE(c.removal.isPath()) << relativePath;
        EXPECT_TRUE(c.lastModified) << relativePath;
        return &c;
    }

    FakeToolHome home;
    GradleScanner scanner;
};

TEST_F(GradleScannerTest, AvailableWhenTheGradleHomeExists) {
    EXPECT_EQ(scanner.category(), CleanupCategory::gradle);
    EXPECT_FALSE(scanner.isAvailable());
    home.tree.text(".gradle", "a file is something too");
    EXPECT_TRUE(scanner.isAvailable());
}

TEST_F(GradleScannerTest, DistributionTitles) {
    EXPECT_EQ(GradleScanner::distributionTitle("gradle-8.5-bin"), "Gradle 8.5");
    EXPECT_EQ(GradleScanner::distributionTitle("gradle-8.5-all"), "Gradle 8.5 (with sources)");
    EXPECT_EQ(GradleScanner::distributionTitle("gradle-8.6-rc-1-bin"), "Gradle 8.6-rc-1");
    EXPECT_EQ(GradleScanner::distributionTitle("custom"), "custom");
    EXPECT_EQ(GradleScanner::distributionTitle("gradle-gradle-x-bin-bin"), "Gradle Gradle x");
}

TEST_F(GradleScannerTest, FindsCachesDistributionsRuntimeFoldersAndProjectBuilds) {
    home.tree.file(".gradle/caches/7.6/scripts/a", 8192);
    home.tree.file(".gradle/caches/8.5/scripts/b", 8192);
    home.tree.file(".gradle/caches/modules-2/files-2.1/lib.jar", 20000);
    home.tree.file(".gradle/caches/transforms-3/t", 4096);
    home.tree.file(".gradle/caches/jars-9/j", 4096);
    home.tree.file(".gradle/caches/journal-1.lock", 0);  // empty: nothing
    home.tree.file(".gradle/wrapper/dists/gradle-8.5-all/abc123/gradle-8.5/lib", 8192);
    home.tree.file(".gradle/wrapper/dists/gradle-8.5-all/def456/gradle-8.5.zip.part", 4096);
    home.tree.file(".gradle/wrapper/dists/gradle-8.5-bin/ghi789/gradle-8.5/lib", 8192);
    home.tree.file(".gradle/wrapper/dists/gradle-7.6-bin/jkl012/gradle-7.6/lib", 8192);
    home.tree.file(".gradle/daemon/8.5/daemon-1.out.log", 2 * MiB);
    home.tree.file(".gradle/native/libnative-platform.so", 2 * MiB);
    home.tree.file(".gradle/jdks/jdk-17/lib", 2 * MiB);
    home.tree.text("Projects/MyApp/build.gradle", "plugins {}\n");
    folderOfSize(home.tree, "Projects/MyApp/app/build", 20 * MiB);
    folderOfSize(home.tree, "Projects/MyApp/.gradle", 20 * MiB);
    home.tree.file("Projects/MyApp/build/small", 4096);  // under the minimum

    auto context = home.context({home.path("Projects")});
    const auto result = scanner.scan(*context);
    EXPECT_EQ(result.category, CleanupCategory::gradle);
    EXPECT_EQ(result.note, std::nullopt);
    const auto found = byPath(result.candidates);

    if (const auto* c =
            expect(found, ".gradle/caches/8.5", "gradle.caches", "Gradle 8.5 cache", SafetyLevel::caution)) {
        EXPECT_EQ(c->groupTitle, "Gradle Caches");
        EXPECT_EQ(c->reason,
                  "Compiled build scripts and metadata for Gradle 8.5, your newest installed version. "
                  "Rebuilt on the "
                  "next build, which will be slower once.");
        EXPECT_EQ(c->restoreHint, restore);
        EXPECT_TRUE(c->details.empty());
    }
    if (const auto* c =
            expect(found, ".gradle/caches/7.6", "gradle.caches", "Gradle 7.6 cache", SafetyLevel::safe)) {
        EXPECT_EQ(
            c->reason,
            "Compiled build scripts for Gradle 7.6. You have 8.5 installed, so nothing is likely to use this "
            "again.");
    }
    if (const auto* c = expect(found, ".gradle/caches/modules-2", "gradle.caches", "Downloaded dependencies",
                               SafetyLevel::caution)) {
        EXPECT_EQ(
            c->reason,
            "Every JAR and AAR Gradle has downloaded for your projects. Re-downloaded on the next build that "
            "needs them.");
        EXPECT_EQ(c->restoreHint, restore);
    }
    for (const auto* name : {"transforms-3", "jars-9"}) {
        if (const auto* c = expect(found, std::string(".gradle/caches/") + name, "gradle.caches", name,
                                   SafetyLevel::safe)) {
            EXPECT_EQ(c->reason, workingCache);
        }
    }

    const std::string dists = ".gradle/wrapper/dists/";
    // Equal numbers: the text decides, so -bin is the newest.
    for (const auto* download : {"gradle-8.5-all/abc123", "gradle-8.5-all/def456"}) {
        if (const auto* c = expect(found, dists + download, "gradle.wrapperDists",
                                   "Gradle 8.5 (with sources)", SafetyLevel::safe)) {
            EXPECT_EQ(c->groupTitle, "Gradle Distributions");
            EXPECT_EQ(c->reason, oldDistribution);
            EXPECT_EQ(c->restoreHint, "Re-downloaded automatically by the Gradle wrapper");
        }
    }
    if (const auto* c = expect(found, dists + "gradle-8.5-bin/ghi789", "gradle.wrapperDists", "Gradle 8.5",
                               SafetyLevel::caution)) {
        EXPECT_EQ(c->reason, newestDistribution);
    }
    expect(found, dists + "gradle-7.6-bin/jkl012", "gradle.wrapperDists", "Gradle 7.6", SafetyLevel::safe);

    if (const auto* c =
            expect(found, ".gradle/native", "gradle.nativeAndJdks", "Native libraries", SafetyLevel::safe)) {
        EXPECT_EQ(c->groupTitle, "Gradle Runtime");
        EXPECT_EQ(c->reason,
                  "Platform helper binaries Gradle extracts at runtime. Re-extracted when needed.");
        EXPECT_EQ(c->restoreHint, "Recreated automatically");
    }
    // The daemon folder itself lies outside its rule's shapes (only the
    // entries inside it are allowed), so it is never offered.
    EXPECT_EQ(found.count(home.path(".gradle/daemon")), 0u);
    for (const auto& [path, c] : found) EXPECT_EQ(path.find("/jdks"), std::string::npos) << path;

    const auto activity = context->relativeActivity(ProjectIndex::lastActivity(home.path("Projects/MyApp")));
    if (const auto* c = expect(found, "Projects/MyApp/app/build", "gradle.projectBuilds", "MyApp/app/build",
                               SafetyLevel::safe)) {
        EXPECT_EQ(c->groupTitle, "Project Build Output");
        EXPECT_EQ(c->reason, buildOutput);
        EXPECT_EQ(c->restoreHint, "./gradlew build");
        EXPECT_EQ(c->details, (CategoryScanner::Details{{"Last activity", activity}}));
    }
    if (const auto* c = expect(found, "Projects/MyApp/.gradle", "gradle.projectBuilds", "MyApp/.gradle",
                               SafetyLevel::safe)) {
        EXPECT_EQ(c->reason,
                  "Gradle's per-project state: the configuration cache and file hashes for this build. "
                  "Recreated on "
                  "the next build.");
    }
    EXPECT_EQ(result.candidates.size(), 12u);

    // Caches, then distributions, runtime folders and project builds.
    std::vector<std::string> rules;
    for (const auto& c : result.candidates)
        if (rules.empty() || rules.back() != c.ruleID) rules.push_back(c.ruleID);
    EXPECT_EQ(rules, (std::vector<std::string>{"gradle.caches", "gradle.wrapperDists", "gradle.nativeAndJdks",
                                               "gradle.projectBuilds"}));

    EXPECT_EQ(result.footprint, duBytes(home.path(".gradle")) + 40 * MiB);
}

TEST_F(GradleScannerTest, NumbersNotTextPickTheNewestCache) {
    home.tree.file(".gradle/caches/8.9/a", 4096);
    home.tree.file(".gradle/caches/8.10/a", 4096);
    home.tree.file(".gradle/caches/8.10-rc-1/a", 4096);
    const auto found = byPath(scanner.scan(*home.context()).candidates);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found.at(home.path(".gradle/caches/8.10-rc-1")).safety, SafetyLevel::caution);
    const auto& older = found.at(home.path(".gradle/caches/8.10"));
    EXPECT_EQ(older.safety, SafetyLevel::safe);
    EXPECT_EQ(
        older.reason,
        "Compiled build scripts for Gradle 8.10. You have 8.10-rc-1 installed, so nothing is likely to use "
        "this again.");
}

TEST_F(GradleScannerTest, MinimumSizes) {
    folderOfSize(home.tree, ".gradle/native", MiB);
    folderOfSize(home.tree, ".gradle/daemon/8.5", MiB - 4096);
    home.tree.text("Projects/Exact/settings.gradle", "");
    home.tree.text("Projects/Short/build.gradle.kts", "");
    folderOfSize(home.tree, "Projects/Exact/build", 20 * MiB);
    folderOfSize(home.tree, "Projects/Short/build", 20 * MiB - 4096);
    const auto result = scanner.scan(*home.context({home.path("Projects")}));
    const auto found = byPath(result.candidates);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found.at(home.path(".gradle/native")).size, MiB);
    EXPECT_EQ(found.at(home.path("Projects/Exact/build")).size, 20 * MiB);
    EXPECT_EQ(result.footprint, duBytes(home.path(".gradle")) + 20 * MiB);
}

TEST_F(GradleScannerTest, AFolderReachedFromTwoProjectsIsOfferedOnceUnderTheLaterProject) {
    home.tree.text("Projects/Outer/build.gradle", "");
    home.tree.text("Projects/Outer/app/build.gradle", "");
    folderOfSize(home.tree, "Projects/Outer/app/build", 20 * MiB);
    const auto result = scanner.scan(*home.context({home.path("Projects")}));
    ASSERT_EQ(result.candidates.size(), 1u);
    EXPECT_EQ(result.candidates[0].title, "app/build");
    EXPECT_EQ(result.footprint, 20 * MiB);
}

TEST_F(GradleScannerTest, RefusedLocationsCountInTheFootprintOnly) {
    // "secrets" is a name no removed path may contain.
    home.tree.text("Projects/secrets/App/build.gradle", "");
    folderOfSize(home.tree, "Projects/secrets/App/build", 20 * MiB);
    home.tree.file(".gradle/daemon/8.5/daemon.log", 2 * MiB);
    const auto result = scanner.scan(*home.context({home.path("Projects")}));
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_EQ(result.footprint, duBytes(home.path(".gradle")) + 20 * MiB);
}

TEST_F(GradleScannerTest, AGradleHomeReachedThroughALinkIsMeasuredWhole) {
    home.tree.file("disk/gradle/caches/8.5/a", 3 * MiB);
    home.tree.symlink(".gradle", home.path("disk/gradle"));
    const auto result = scanner.scan(*home.context());
    EXPECT_EQ(result.footprint, duBytes(home.path("disk/gradle")));
    ASSERT_EQ(result.candidates.size(), 1u);
    EXPECT_EQ(result.candidates[0].path, home.path(".gradle/caches/8.5"));
}

}  // namespace
}  // namespace korvane
