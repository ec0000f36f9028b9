#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <map>

#include "core/safety/SafetyPolicy.h"
#include "core/scanners/ReactNativeScanner.h"
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
using testing::ScopedEnv;
using testing::setModified;
using testing::TempTree;
using TimePoint = std::chrono::system_clock::time_point;

constexpr std::int64_t MiB = 1048576;
constexpr const char* metroReason =
    "Metro's transformed-module cache. The packager rebuilds it on the next start — the first bundle after "
    "this will "
    "be slower, and nothing else changes.";
constexpr const char* watchmanReason =
    "Watchman's record of which files it is watching. Rebuilt when the packager next starts.";

class ReactNativeScannerTest : public ::testing::Test {
protected:
    // A fixed activity date and a "now" two weeks later.
    const TimePoint activity = std::chrono::system_clock::from_time_t(1700000000);
    const TimePoint now = activity + std::chrono::hours(24 * 14);

    FakeToolHome home;
    TempTree temp;  // stands in for the temporary folder
};

TEST_F(ReactNativeScannerTest, PackagerEntriesAreChosenByTheirLowerCasedPrefix) {
    EXPECT_TRUE(ReactNativeScanner::isPackagerCacheName("metro-cache"));
    EXPECT_TRUE(ReactNativeScanner::isPackagerCacheName("Haste-Map-abc"));
    EXPECT_TRUE(ReactNativeScanner::isPackagerCacheName("REACT-NATIVE-packager"));
    EXPECT_TRUE(ReactNativeScanner::isPackagerCacheName("metro-"));
    EXPECT_FALSE(ReactNativeScanner::isPackagerCacheName("metro"));
    EXPECT_FALSE(ReactNativeScanner::isPackagerCacheName("react-x"));
    EXPECT_FALSE(ReactNativeScanner::isPackagerCacheName("watchman-state"));
    EXPECT_FALSE(ReactNativeScanner::isPackagerCacheName(".metro-cache"));
    EXPECT_FALSE(ReactNativeScanner::isPackagerCacheName("my-metro-cache"));

    EXPECT_EQ(ReactNativeScanner::packagerCache("react-native-watchman-state").ruleID, "rn.watchman");
    EXPECT_EQ(ReactNativeScanner::packagerCache("react-native-watchman-state").reason, watchmanReason);
    EXPECT_EQ(ReactNativeScanner::packagerCache("metro-WatchMan").ruleID, "rn.watchman");
    EXPECT_EQ(ReactNativeScanner::packagerCache("metro-cache").ruleID, "rn.metroCache");
    EXPECT_EQ(ReactNativeScanner::packagerCache("haste-map-abc").reason, metroReason);

    const std::vector<std::string> listed{"metro-cache",
                                          "haste-map-abc",
                                          "react-native-packager-cache-1",
                                          "Haste-Map-abc",
                                          "react-native-watchman-state",
                                          "metro-odd\nname \xff"};
    for (const auto& name : listed) temp.file(name, 10);
    for (const auto& name : {"watchman-state", "other", ".metro-hidden", "react-x"}) temp.folder(name);

    const ReactNativeScanner scanner(temp.root());
    auto caches = scanner.metroCaches();
    std::sort(caches.begin(), caches.end());
    std::vector<std::string> expected;
    for (const auto& name : listed) expected.push_back(temp.path(name));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(caches, expected);
}

TEST_F(ReactNativeScannerTest, PackagerCachesInTheTemporaryFolderAreOfferedFromOneMebibyte) {
    folderOfSize(temp, "metro-cache", 2 * MiB);
    temp.file("haste-map-abc", 3 * MiB);
    temp.file("react-native-packager-cache-1", MiB);  // exactly the minimum
    temp.file("metro-bundler-cache", 512 * 1024);
    temp.file("metro-almost", MiB - 4096);
    folderOfSize(temp, "Haste-Map-abc", 3 * MiB);
    folderOfSize(temp, "react-native-watchman-state", 5 * MiB);
    temp.file("watchman-state", 5 * MiB);  // not a packager entry at all
    ASSERT_EQ(duBytes(temp.path("react-native-packager-cache-1")), MiB);
    ScopedEnv variable("TMPDIR", temp.root());

    const ReactNativeScanner scanner;
    EXPECT_TRUE(scanner.isAvailable());
    const auto result = scanner.scan(*home.context());
    EXPECT_EQ(result.category, CleanupCategory::reactNative);
    const auto footprint = 2 * MiB + duBytes(temp.path("haste-map-abc")) + MiB + 3 * MiB + 5 * MiB;
    EXPECT_EQ(result.footprint, footprint);
    EXPECT_EQ(result.note, std::nullopt);
    EXPECT_EQ(result.duration, 0);
    // The rules compare letter case exactly: "Haste-Map-abc" counts but is not offered.
    const auto found = byTitle(result.candidates);
    ASSERT_EQ(found.size(), 4u);
    for (const auto* name : {"metro-cache", "haste-map-abc", "react-native-packager-cache-1"}) {
        const auto& c = found.at(name);
        EXPECT_EQ(c.ruleID, "rn.metroCache") << name;
        EXPECT_EQ(c.path, temp.path(name));
        EXPECT_EQ(c.groupTitle, "Metro & Watchman");
        EXPECT_EQ(c.reason, metroReason);
        EXPECT_EQ(c.restoreHint, "Rebuilt on next packager start");
        EXPECT_EQ(c.safety, SafetyLevel::safe);
        EXPECT_TRUE(c.isSelectedByDefault);
    }
    EXPECT_EQ(found.at("react-native-watchman-state").ruleID, "rn.watchman");
    EXPECT_EQ(found.at("react-native-watchman-state").reason, watchmanReason);
    EXPECT_EQ(found.at("react-native-watchman-state").size, 5 * MiB);

    // A folder that is not the temporary folder in force is measured, never offered.
    ScopedEnv elsewhere("TMPDIR", home.tree.folder("other-tmp"));
    const auto injected = ReactNativeScanner(temp.root()).scan(*home.context());
    EXPECT_EQ(injected.footprint, footprint);
    EXPECT_TRUE(injected.candidates.empty());
}

// The temporary folder is shared: another user's packager entries are neither
// measured nor offered, and the rule refuses them even when asked directly.
TEST_F(ReactNativeScannerTest, AnotherUsersEntriesAreNeverOffered) {
    folderOfSize(temp, "metro-mine", 2 * MiB);
    folderOfSize(temp, "metro-theirs", 3 * MiB);
    folderOfSize(temp, "react-native-watchman-x", 3 * MiB);
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give an entry to another user";
    for (const auto* name : {"metro-theirs", "react-native-watchman-x"})
        ASSERT_EQ(::lchown(temp.path(name).c_str(), 65534, 65534), 0);
    ScopedEnv variable("TMPDIR", temp.root());

    const ReactNativeScanner scanner;
    EXPECT_EQ(scanner.metroCaches(), std::vector<std::string>{temp.path("metro-mine")});
    const auto result = scanner.scan(*home.context());
    ASSERT_EQ(result.candidates.size(), 1u);
    EXPECT_EQ(result.candidates[0].path, temp.path("metro-mine"));
    EXPECT_EQ(result.footprint, 2 * MiB);
    const std::string anotherUser = "Belongs to another user, so Korvane leaves it alone";
    EXPECT_EQ(SafetyPolicy::check(temp.path("metro-theirs"), "rn.metroCache", RemovalKind::path()).reason(),
              anotherUser);
    EXPECT_EQ(
        SafetyPolicy::check(temp.path("react-native-watchman-x"), "rn.watchman", RemovalKind::path()).reason(),
        anotherUser);
}

TEST_F(ReactNativeScannerTest, AvailableWithExpoOrAPackagerCacheOnly) {
    const ReactNativeScanner missingTemp(temp.path("missing"));
    EXPECT_TRUE(missingTemp.metroCaches().empty());
    EXPECT_FALSE(missingTemp.isAvailable());

    const ReactNativeScanner emptyTemp(temp.root());
    EXPECT_FALSE(emptyTemp.isAvailable());
    temp.folder("metro-x");  // even an empty one
    EXPECT_TRUE(emptyTemp.isAvailable());

    // Projects play no part.
    home.tree.text("code/App/package.json", R"({"dependencies": {"react-native": "1"}})");
    EXPECT_FALSE(missingTemp.isAvailable());

    home.tree.folder(".expo");
    EXPECT_TRUE(missingTemp.isAvailable());
    const auto result = missingTemp.scan(*home.context({home.path("code")}));
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_EQ(result.footprint, 0);
}

TEST_F(ReactNativeScannerTest, TemporaryFolderIsInjectedElseTakenFromTMPDIR) {
    EXPECT_EQ(ReactNativeScanner("/x//y/").temporaryDirectory(), "/x/y");
    {
        ScopedEnv variable("TMPDIR", temp.root() + "/");
        EXPECT_EQ(ReactNativeScanner().temporaryDirectory(), temp.root());
        temp.folder("metro-cache");
        EXPECT_EQ(ReactNativeScanner().metroCaches(), std::vector<std::string>{temp.path("metro-cache")});
    }
    {
        ScopedEnv variable("TMPDIR", "relative/tmp");
        EXPECT_EQ(ReactNativeScanner().temporaryDirectory(), "/tmp");
    }
    ScopedEnv variable("TMPDIR", std::nullopt);
    EXPECT_EQ(ReactNativeScanner().temporaryDirectory(), "/tmp");
}

TEST_F(ReactNativeScannerTest, ExpoCachesInBothPlacesFromExactlyOneMebibyte) {
    folderOfSize(home.tree, ".expo", 2 * MiB);
    folderOfSize(home.tree, "Library/Caches/Expo", MiB);

    const auto result = ReactNativeScanner(temp.root()).scan(*home.context());
    ASSERT_EQ(result.candidates.size(), 2u);
    EXPECT_EQ(result.footprint, 3 * MiB);
    const std::vector<std::string> paths{home.path(".expo"), home.path("Library/Caches/Expo")};
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& candidate = result.candidates[i];
        EXPECT_EQ(candidate.path, paths[i]);
        EXPECT_EQ(candidate.size, duBytes(paths[i]));
        EXPECT_EQ(candidate.category, CleanupCategory::reactNative);
        EXPECT_EQ(candidate.ruleID, "rn.expoCache");
        EXPECT_EQ(candidate.groupTitle, "Expo");
        EXPECT_EQ(candidate.title, "Expo cache");
        EXPECT_EQ(candidate.reason,
                  "Downloaded Expo runtimes and CLI state. Re-fetched as needed; you stay signed in.");
        EXPECT_EQ(candidate.restoreHint, "Re-downloaded automatically");
        EXPECT_EQ(candidate.safety, SafetyLevel::safe);
        EXPECT_TRUE(candidate.isSelectedByDefault);
        EXPECT_TRUE(candidate.details.empty());
        EXPECT_TRUE(candidate.removal.isPath());
        EXPECT_TRUE(candidate.lastModified.has_value());
    }
}

TEST_F(ReactNativeScannerTest, ExpoCacheBelowOneMebibyteYieldsNothing) {
    folderOfSize(home.tree, ".expo", MiB - 4096);
    const ReactNativeScanner scanner(temp.root());
    EXPECT_TRUE(scanner.isAvailable());
    const auto result = scanner.scan(*home.context());
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_EQ(result.footprint, 0);
}

TEST_F(ReactNativeScannerTest, ProjectOutputFromTwentyMebibytesWithPodsLeftForReview) {
    home.tree.text("code/MyApp/package.json", R"({"dependencies": {"expo": "~50", "react-native": "0.73"}})");
    folderOfSize(home.tree, "code/MyApp/ios/Pods", 21 * MiB);
    folderOfSize(home.tree, "code/MyApp/ios/build", 21 * MiB);
    folderOfSize(home.tree, "code/MyApp/android/app/build", 20 * MiB);       // exactly the minimum
    folderOfSize(home.tree, "code/MyApp/android/.gradle", 20 * MiB - 4096);  // just below
    home.tree.file("code/MyApp/.expo/settings.json", 100);
    setModified(home.path("code/MyApp/package.json"), activity);
    // A plain Node project's iOS output is someone else's business.
    home.tree.text("code/Plain/package.json",
                   R"({"name": "plain", "dependencies": {"react-native-web": "1"}})");
    folderOfSize(home.tree, "code/Plain/ios/build", 21 * MiB);

    const auto result = ReactNativeScanner(temp.root()).scan(*home.context({home.path("code")}, 60, now));
    const auto found = byTitle(result.candidates);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(result.footprint, 62 * MiB);

    const auto& pods = found.at("MyApp/ios/Pods");
    EXPECT_EQ(pods.ruleID, "rn.iosBuilds");
    EXPECT_EQ(pods.groupTitle, "Project Build Output");
    EXPECT_EQ(pods.path, home.path("code/MyApp/ios/Pods"));
    EXPECT_EQ(pods.size, duBytes(pods.path));
    EXPECT_EQ(pods.safety, SafetyLevel::caution);
    EXPECT_FALSE(pods.isSelectedByDefault);
    EXPECT_EQ(pods.reason, "CocoaPods sources for the iOS project. Restored exactly by `pod install`.");
    EXPECT_EQ(pods.restoreHint, "cd ios && pod install");

    const auto& ios = found.at("MyApp/ios/build");
    EXPECT_EQ(ios.ruleID, "rn.iosBuilds");
    EXPECT_EQ(ios.safety, SafetyLevel::safe);
    EXPECT_TRUE(ios.isSelectedByDefault);
    EXPECT_EQ(ios.reason, "Compiled iOS output for this app. Recreated by the next Xcode build.");
    EXPECT_EQ(ios.restoreHint, "Rebuild in Xcode");

    const auto& android = found.at("MyApp/android/app/build");
    EXPECT_EQ(android.ruleID, "rn.androidBuilds");
    EXPECT_EQ(android.size, 20 * MiB);
    EXPECT_EQ(android.safety, SafetyLevel::safe);
    EXPECT_TRUE(android.isSelectedByDefault);
    EXPECT_EQ(android.reason, "Compiled Android output for this app. Recreated by the next Android build.");
    EXPECT_EQ(android.restoreHint, "./gradlew assembleDebug");

    for (const auto& [title, candidate] : found) {
        EXPECT_EQ(candidate.category, CleanupCategory::reactNative) << title;
        EXPECT_EQ(testing::shownDetails(candidate.details, now),
                  (std::map<std::string, std::string>{{"Last activity", "2 weeks ago"}}))
            << title;
    }
}

TEST_F(ReactNativeScannerTest, ExpoOnlyProjectsCountAndRefusedOutputKeepsItsBytesInTheFootprint) {
    home.tree.text("code/ExpoOnly/package.json", R"({"dependencies": {"expo": "50"}})");
    folderOfSize(home.tree, "code/ExpoOnly/.expo", 20 * MiB);
    folderOfSize(home.tree, "code/ExpoOnly/android/build", 20 * MiB);
    // A project outside the home folder is measured but may not be removed.
    TempTree outside;
    outside.text("Native/package.json", R"({"dependencies": {"react-native": "0.73"}})");
    folderOfSize(outside, "Native/android/.gradle", 20 * MiB);

    const auto result =
        ReactNativeScanner(temp.root()).scan(*home.context({home.path("code"), outside.root()}));
    EXPECT_EQ(result.footprint, 60 * MiB);
    const auto found = byTitle(result.candidates);
    ASSERT_EQ(found.size(), 2u);
    const auto& expo = found.at("ExpoOnly/.expo");
    EXPECT_EQ(expo.ruleID, "rn.expoCache");
    EXPECT_EQ(expo.reason, "Expo's per-project cache and dev-client state.");
    EXPECT_EQ(expo.restoreHint, "Recreated on next expo start");
    EXPECT_TRUE(expo.isSelectedByDefault);
    const auto& gradle = found.at("ExpoOnly/android/build");
    EXPECT_EQ(gradle.ruleID, "rn.androidBuilds");
    EXPECT_EQ(gradle.reason, "Gradle build output for the Android project.");
    EXPECT_EQ(gradle.restoreHint, "./gradlew build");
}

TEST_F(ReactNativeScannerTest, ProjectOutputRowsAreTheSixInOrder) {
    const auto& rows = ReactNativeScanner::projectOutputs();
    std::vector<std::string> paths;
    for (const auto& row : rows) paths.push_back(row.relativePath);
    EXPECT_EQ(paths, (std::vector<std::string>{"android/app/build", "android/build", "android/.gradle",
                                               "ios/build", "ios/Pods", ".expo"}));
    EXPECT_EQ(rows[2].reason, "Gradle's per-project state for the Android build.");
    EXPECT_EQ(rows[2].restoreHint, "Recreated automatically");
    EXPECT_EQ(ReactNativeScanner::expoLocations(),
              (std::vector<std::string>{home.path(".expo"), home.path("Library/Caches/Expo")}));
}

}  // namespace
}  // namespace korvane
