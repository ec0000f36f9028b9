#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <optional>
#include <utility>

#include "core/scanners/CocoaPodsScanner.h"
#include "core/scanners/ScanContext.h"
#include "tests/scanners/FakeToolHome.h"
#include "tests/scanners/ScannerTestSupport.h"
#include "tests/scanners/SizedFolder.h"

namespace korvane {
namespace {

using testing::byTitle;
using testing::duBytes;
using testing::FakeToolHome;
using testing::folderOfSize;
using testing::setModified;
using testing::TempTree;
using TimePoint = std::chrono::system_clock::time_point;

constexpr std::int64_t MiB = 1048576;
constexpr const char* lockedReason =
    "Pod sources checked into this project's build. Podfile.lock pins the exact versions, so `pod install` "
    "restores "
    "it identically.";
constexpr const char* unlockedReason =
    "Pod sources for this project. There is no Podfile.lock, so a reinstall may resolve different versions.";

class CocoaPodsScannerTest : public ::testing::Test {
protected:
    FakeToolHome home;
    CocoaPodsScanner scanner;
};

TEST_F(CocoaPodsScannerTest, AvailableWithTheCocoaPodsFolderOrTheDownloadCache) {
    EXPECT_FALSE(scanner.isAvailable());
    home.tree.text("Library/Caches/CocoaPods", "a file is something too");
    EXPECT_TRUE(scanner.isAvailable());
    ::unlink(home.path("Library/Caches/CocoaPods").c_str());
    EXPECT_FALSE(scanner.isAvailable());
    home.tree.folder(".cocoapods");
    EXPECT_TRUE(scanner.isAvailable());
    // Without a download cache the scan starts with the repositories.
    folderOfSize(home.tree, ".cocoapods/repos/trunk", 2 * MiB);
    const auto result = scanner.scan(*home.context());
    ASSERT_EQ(result.candidates.size(), 1u);
    EXPECT_EQ(result.candidates[0].ruleID, "cocoapods.repos");
}

TEST_F(CocoaPodsScannerTest, DownloadCacheOfExactlyOneMebibyteIsOfferedSelected) {
    const auto cache = folderOfSize(home.tree, "Library/Caches/CocoaPods", MiB);
    const auto result = scanner.scan(*home.context());
    EXPECT_EQ(result.category, CleanupCategory::cocoapods);
    EXPECT_EQ(result.footprint, MiB);
    EXPECT_EQ(result.note, std::nullopt);
    ASSERT_EQ(result.candidates.size(), 1u);
    const auto& candidate = result.candidates[0];
    EXPECT_EQ(candidate.category, CleanupCategory::cocoapods);
    EXPECT_EQ(candidate.ruleID, "cocoapods.cache");
    EXPECT_EQ(candidate.groupTitle, "CocoaPods Cache");
    EXPECT_EQ(candidate.title, "Downloaded pods");
    EXPECT_EQ(candidate.path, cache);
    EXPECT_EQ(candidate.size, duBytes(cache));
    EXPECT_EQ(candidate.reason,
              "Copies of every pod version CocoaPods has downloaded. Re-fetched on the next `pod install`.");
    EXPECT_EQ(candidate.restoreHint, "pod install");
    EXPECT_EQ(candidate.safety, SafetyLevel::safe);
    EXPECT_TRUE(candidate.isSelectedByDefault);
    EXPECT_TRUE(candidate.details.empty());
    EXPECT_TRUE(candidate.removal.isPath());
}

// The same cache where CocoaPods keeps it here, under the same texts; the
// cache folder follows XDG_CACHE_HOME inside the home.
TEST_F(CocoaPodsScannerTest, DownloadCacheInTheUsersCacheFolder) {
    home.tree.text(".cache/CocoaPods", "a file is something too");
    EXPECT_TRUE(scanner.isAvailable());
    ::unlink(home.path(".cache/CocoaPods").c_str());
    folderOfSize(home.tree, ".cache/CocoaPods/Pods", 2 * MiB);
    folderOfSize(home.tree, "xdg/CocoaPods/Pods", 3 * MiB);
    const std::vector<std::pair<std::optional<std::string>, std::string>> cases{
        {std::nullopt, ".cache/CocoaPods"},
        {home.path("xdg"), "xdg/CocoaPods"},
        {"/var/cache", ".cache/CocoaPods"},
    };
    for (const auto& [variable, offered] : cases) {
        testing::ScopedEnv cache("XDG_CACHE_HOME", variable);
        const auto result = scanner.scan(*home.context());
        ASSERT_EQ(result.candidates.size(), 1u) << offered;
        const auto& candidate = result.candidates[0];
        EXPECT_EQ(candidate.path, home.path(offered));
        EXPECT_EQ(candidate.ruleID, "cocoapods.cache");
        EXPECT_EQ(candidate.title, "Downloaded pods");
        EXPECT_EQ(candidate.groupTitle, "CocoaPods Cache");
        EXPECT_EQ(candidate.safety, SafetyLevel::safe);
        EXPECT_EQ(result.footprint, duBytes(home.path(offered)));
    }
}

TEST_F(CocoaPodsScannerTest, DownloadCacheBelowOneMebibyteYieldsNothing) {
    folderOfSize(home.tree, "Library/Caches/CocoaPods", MiB - 4096);
    const auto result = scanner.scan(*home.context());
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_EQ(result.footprint, 0);
}

TEST_F(CocoaPodsScannerTest, SpecsRepositoriesMustHoldMoreThanOneMebibyte) {
    folderOfSize(home.tree, ".cocoapods/repos/trunk", 3 * MiB);
    folderOfSize(home.tree, ".cocoapods/repos/company-specs", 2 * MiB);
    folderOfSize(home.tree, ".cocoapods/repos/.mirror", 2 * MiB);   // hidden ones count too
    folderOfSize(home.tree, ".cocoapods/repos/tiny", MiB);          // exactly 1 MiB: skipped
    folderOfSize(home.tree, ".cocoapods/repos/Trunk", MiB + 4096);  // not the central index

    const auto result = scanner.scan(*home.context());
    EXPECT_EQ(result.footprint, 3 * MiB + 2 * MiB + 2 * MiB + MiB + 4096);
    const auto found = byTitle(result.candidates);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found.count("tiny"), 0u);
    for (const auto& [name, candidate] : found) {
        EXPECT_EQ(candidate.ruleID, "cocoapods.repos") << name;
        EXPECT_EQ(candidate.groupTitle, "Specs Repositories") << name;
        EXPECT_EQ(candidate.path, home.path(".cocoapods/repos/" + name));
        EXPECT_EQ(candidate.size, duBytes(candidate.path)) << name;
        EXPECT_EQ(candidate.safety, SafetyLevel::caution) << name;
        EXPECT_FALSE(candidate.isSelectedByDefault) << name;
        EXPECT_TRUE(candidate.details.empty()) << name;
        if (name == "trunk") {
            EXPECT_EQ(
                candidate.reason,
                "The full CocoaPods specs index. Removing it means the next `pod install` re-downloads it, "
                "which takes a few minutes.");
            EXPECT_EQ(candidate.restoreHint, "pod repo update (re-downloads automatically)");
        } else {
            EXPECT_EQ(candidate.reason,
                      "A private or mirrored specs repository. Re-added with `pod repo add`.")
                << name;
            EXPECT_EQ(candidate.restoreHint, "pod repo add") << name;
        }
    }
}

TEST_F(CocoaPodsScannerTest, RepositoriesThatAreAFileOrUnreadableGiveNothing) {
    home.tree.file(".cocoapods/repos", 3 * MiB);
    EXPECT_TRUE(scanner.isAvailable());
    auto result = scanner.scan(*home.context());
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_EQ(result.footprint, 0);

    if (::geteuid() != 0) {
        ::unlink(home.path(".cocoapods/repos").c_str());
        folderOfSize(home.tree, ".cocoapods/repos/trunk", 3 * MiB);
        ::chmod(home.path(".cocoapods/repos").c_str(), 0);
        result = scanner.scan(*home.context());
        EXPECT_TRUE(result.candidates.empty());
        EXPECT_EQ(result.footprint, 0);
        ::chmod(home.path(".cocoapods/repos").c_str(), 0755);
    }
}

TEST_F(CocoaPodsScannerTest, ProjectPodsFromTenMebibytesTellWhetherTheyArePinned) {
    const TimePoint activity = std::chrono::system_clock::from_time_t(1700000000);
    home.tree.text("code/Unpinned/Podfile", "platform :ios");
    folderOfSize(home.tree, "code/Unpinned/Pods", 12 * MiB);
    home.tree.text("code/Pinned/Podfile", "platform :ios");
    home.tree.text("code/Pinned/Podfile.lock", "PODS:");
    folderOfSize(home.tree, "code/Pinned/Pods", 10 * MiB);  // exactly the minimum
    setModified(home.path("code/Pinned/Podfile.lock"), activity);
    home.tree.text("code/Small/Podfile", "platform :ios");
    folderOfSize(home.tree, "code/Small/Pods", 10 * MiB - 4096);
    // Pods without a Podfile belong to no CocoaPods project.
    folderOfSize(home.tree, "code/NoPodfile/Pods", 11 * MiB);
    home.tree.text("code/NoPodfile/package.json", "{}");

    const auto context = home.context({home.path("code")}, 60, activity + std::chrono::hours(24 * 3));
    const auto result = scanner.scan(*context);
    EXPECT_EQ(result.footprint, 22 * MiB);
    const auto found = byTitle(result.candidates);
    ASSERT_EQ(found.size(), 2u);

    const auto& unpinned = found.at("Unpinned");
    EXPECT_EQ(unpinned.ruleID, "cocoapods.projectPods");
    EXPECT_EQ(unpinned.groupTitle, "Project Pods");
    EXPECT_EQ(unpinned.path, home.path("code/Unpinned/Pods"));
    EXPECT_EQ(unpinned.size, duBytes(unpinned.path));
    EXPECT_EQ(unpinned.safety, SafetyLevel::caution);
    EXPECT_FALSE(unpinned.isSelectedByDefault);
    EXPECT_EQ(unpinned.reason, unlockedReason);
    EXPECT_EQ(unpinned.restoreHint, "pod install");
    EXPECT_EQ(unpinned.details.at("Podfile.lock"), "Missing");
    EXPECT_EQ(unpinned.details.size(), 2u);

    const auto& pinned = found.at("Pinned");
    EXPECT_EQ(pinned.size, 10 * MiB);
    EXPECT_EQ(pinned.safety, SafetyLevel::caution);
    EXPECT_FALSE(pinned.isSelectedByDefault);
    EXPECT_EQ(pinned.reason, lockedReason);
    EXPECT_EQ(pinned.restoreHint, "pod install");
    EXPECT_EQ(
        testing::shownDetails(pinned.details, context->now()),
        (std::map<std::string, std::string>{{"Podfile.lock", "Present"}, {"Last activity", "3 days ago"}}));
}

TEST_F(CocoaPodsScannerTest, RefusedProjectPodsKeepTheirBytesInTheFootprint) {
    TempTree outside;
    outside.text("App/Podfile", "platform :ios");
    folderOfSize(outside, "App/Pods", 10 * MiB);
    const auto result = scanner.scan(*home.context({outside.root()}));
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_EQ(result.footprint, 10 * MiB);
}

TEST_F(CocoaPodsScannerTest, CancelledScanStopsBeforeTheNextProject) {
    home.tree.text("code/App/Podfile", "platform :ios");
    folderOfSize(home.tree, "code/App/Pods", 10 * MiB);
    const auto context = home.context({home.path("code")});
    context->cancel();
    const auto result = scanner.scan(*context);
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_EQ(result.footprint, 0);
}

}  // namespace
}  // namespace korvane
