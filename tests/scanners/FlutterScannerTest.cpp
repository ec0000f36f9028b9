#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>

#include "core/system/Shell.h"
#include "core/scanners/FlutterScanner.h"
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
using TimePoint = std::chrono::system_clock::time_point;

constexpr std::int64_t MiB = 1048576;

class FlutterScannerTest : public ::testing::Test {
protected:
    // An SDK folder with its cache folder and an executable bin/flutter.
    std::string sdk(const std::string& relative) {
        home.tree.folder(relative + "/bin/cache");
        const auto executable = home.tree.text(relative + "/bin/flutter", "#!/bin/sh\nexit 0\n");
        ::chmod(executable.c_str(), 0755);
        return home.path(relative);
    }
    // Puts "flutter" on the tool search path as a link to `target`.
    void flutterOnPath(const std::string& target) {
        home.tree.symlink(".local/bin/flutter", target);
        Shell::clearResolutionCache();
    }

    FakeToolHome home;
    ScopedEnv pubCache{"PUB_CACHE", std::nullopt};
    FlutterScanner scanner;
};

TEST_F(FlutterScannerTest, PubCacheRootFollowsTheVariableOnlyWhereSomethingExists) {
    EXPECT_EQ(FlutterScanner::pubCacheRoot(), home.path(".pub-cache"));  // even when missing
    {
        ScopedEnv variable("PUB_CACHE", home.path("caches/pub"));
        EXPECT_EQ(FlutterScanner::pubCacheRoot(), home.path(".pub-cache"));
        home.tree.folder("caches/pub");
        EXPECT_EQ(FlutterScanner::pubCacheRoot(), home.path("caches/pub"));
    }
    {
        ScopedEnv variable("PUB_CACHE", home.path("caches//pub/"));
        EXPECT_EQ(FlutterScanner::pubCacheRoot(), home.path("caches/pub"));
    }
    {
        // A relative value would depend on the current folder.
        ScopedEnv variable("PUB_CACHE", "caches/pub");
        char* previous = ::getcwd(nullptr, 0);
        ASSERT_NE(previous, nullptr);
        ASSERT_EQ(::chdir(home.root().c_str()), 0);
        EXPECT_EQ(FlutterScanner::pubCacheRoot(), home.path(".pub-cache"));
        EXPECT_EQ(::chdir(previous), 0);
        std::free(previous);
    }
    ScopedEnv empty("PUB_CACHE", "");
    EXPECT_EQ(FlutterScanner::pubCacheRoot(), home.path(".pub-cache"));
}

TEST_F(FlutterScannerTest, AvailableWithAPubCacheOrFlutterOnTheSearchPath) {
    EXPECT_FALSE(scanner.isAvailable());
    home.tool("flutter", "exit 0");
    EXPECT_TRUE(scanner.isAvailable());
    ::unlink(home.path(".local/bin/flutter").c_str());
    Shell::clearResolutionCache();
    EXPECT_FALSE(scanner.isAvailable());
    {
        ScopedEnv variable("PUB_CACHE", home.tree.folder("caches/pub"));
        EXPECT_TRUE(scanner.isAvailable());
    }
    EXPECT_FALSE(scanner.isAvailable());
    home.tree.folder(".pub-cache");
    EXPECT_TRUE(scanner.isAvailable());
}

TEST_F(FlutterScannerTest, PubCacheFoldersFromExactlyOneMebibyteWithoutItsTemporaryFolder) {
    folderOfSize(home.tree, ".pub-cache/hosted", 2 * MiB);
    folderOfSize(home.tree, ".pub-cache/git", MiB);
    folderOfSize(home.tree, ".pub-cache/.pub-cache-tmp", 2 * MiB);
    folderOfSize(home.tree, ".pub-cache/_temp", 2 * MiB);

    const auto result = scanner.scan(*home.context());
    EXPECT_EQ(result.category, CleanupCategory::flutter);
    EXPECT_EQ(result.footprint, 3 * MiB);
    EXPECT_EQ(result.note, std::nullopt);
    ASSERT_EQ(result.candidates.size(), 2u);
    const auto& hosted = result.candidates[0];
    EXPECT_EQ(hosted.title, "Packages from pub.dev");
    EXPECT_EQ(hosted.path, home.path(".pub-cache/hosted"));
    EXPECT_EQ(hosted.reason,
              "Every version of every package pub has downloaded. Re-fetched by `flutter pub get`.");
    const auto& git = result.candidates[1];
    EXPECT_EQ(git.title, "Packages from git");
    EXPECT_EQ(git.path, home.path(".pub-cache/git"));
    EXPECT_EQ(git.reason, "Checkouts of packages depended on by git URL. Re-cloned by `flutter pub get`.");
    for (const auto& candidate : result.candidates) {
        EXPECT_EQ(candidate.category, CleanupCategory::flutter);
        EXPECT_EQ(candidate.ruleID, "flutter.pubCache");
        EXPECT_EQ(candidate.groupTitle, "Pub Cache");
        EXPECT_EQ(candidate.size, duBytes(candidate.path));
        EXPECT_EQ(candidate.safety, SafetyLevel::safe);
        EXPECT_TRUE(candidate.isSelectedByDefault);
        EXPECT_EQ(candidate.restoreHint, "flutter pub get");
        EXPECT_TRUE(candidate.details.empty());
        EXPECT_TRUE(candidate.removal.isPath());
    }
}

TEST_F(FlutterScannerTest, PubCacheElsewhereIsMeasuredButNotOffered) {
    folderOfSize(home.tree, ".pub-cache/hosted", 2 * MiB);  // ignored while the variable points elsewhere
    folderOfSize(home.tree, "caches/pub/hosted", 2 * MiB);
    folderOfSize(home.tree, "caches/pub/git", MiB - 4096);
    ScopedEnv variable("PUB_CACHE", home.path("caches/pub"));
    const auto result = scanner.scan(*home.context());
    EXPECT_EQ(result.footprint, 2 * MiB);
    EXPECT_TRUE(result.candidates.empty());  // the rule allows only ~/.pub-cache
}

TEST_F(FlutterScannerTest, SdkArtifactsFromExactlyFiftyMebibytesAreLeftForReview) {
    sdk("flutter");
    folderOfSize(home.tree, "flutter/bin/cache/artifacts", 50 * MiB);
    folderOfSize(home.tree, "flutter/bin/cache/download", 50 * MiB - 4096);

    const auto result = scanner.scan(*home.context());
    EXPECT_EQ(result.footprint, 50 * MiB);
    ASSERT_EQ(result.candidates.size(), 1u);
    const auto& candidate = result.candidates[0];
    EXPECT_EQ(candidate.ruleID, "flutter.sdkCache");
    EXPECT_EQ(candidate.groupTitle, "SDK Artifacts");
    EXPECT_EQ(candidate.title, "flutter · artifacts");
    EXPECT_EQ(candidate.path, home.path("flutter/bin/cache/artifacts"));
    EXPECT_EQ(candidate.size, 50 * MiB);
    EXPECT_EQ(candidate.safety, SafetyLevel::caution);
    EXPECT_FALSE(candidate.isSelectedByDefault);
    EXPECT_EQ(
        candidate.reason,
        "Prebuilt engine binaries and toolchains for every platform this SDK can target. `flutter precache` "
        "downloads them again, at a few hundred megabytes each.");
    EXPECT_EQ(candidate.restoreHint, "flutter precache");
    EXPECT_TRUE(candidate.details.empty());
}

TEST_F(FlutterScannerTest, SdkBehindALinkOnTheSearchPathComesFirstThenTheWellKnownPlaces) {
    const auto versioned = sdk("sdks/3.19.0/flutter");
    flutterOnPath(versioned + "/bin/flutter");
    const auto inHome = sdk("flutter");
    home.tree.folder("development/flutter/bin");  // no cache: not an SDK worth listing
    const auto developer = sdk("Developer/flutter");
    EXPECT_EQ(FlutterScanner::sdkLocation(), (std::vector<std::string>{versioned, inHome, developer}));
    EXPECT_TRUE(scanner.isAvailable());
}

TEST_F(FlutterScannerTest, SdkResolvedWithoutItsCacheIsLeftOut) {
    const auto bare = home.tree.text("opt/flutter/bin/flutter", "#!/bin/sh\n");
    ::chmod(bare.c_str(), 0755);
    flutterOnPath(bare);
    EXPECT_TRUE(FlutterScanner::sdkLocation().empty());
    const auto inHome = sdk("development/flutter");
    EXPECT_EQ(FlutterScanner::sdkLocation(), std::vector<std::string>{inHome});
}

TEST_F(FlutterScannerTest, SameSdkOnThePathAndInTheHomeFolderIsListedOnce) {
    const auto inHome = sdk("flutter");
    flutterOnPath(inHome + "/bin/flutter");
    EXPECT_EQ(FlutterScanner::sdkLocation(), std::vector<std::string>{inHome});
}

TEST_F(FlutterScannerTest, SameSdkUnderTwoNamesIsListedAndMeasuredOnce) {
    const auto real = sdk("sdks/flutter");
    home.tree.symlink("flutter", real);  // ~/flutter is a link to the real SDK
    flutterOnPath(real + "/bin/flutter");
    EXPECT_EQ(FlutterScanner::sdkLocation(), std::vector<std::string>{real});
}

TEST_F(FlutterScannerTest, ProjectBuildsFromTenMebibytesEachFolderOnItsOwn) {
    const TimePoint activity = std::chrono::system_clock::from_time_t(1700000000);
    home.tree.text("code/MyApp/pubspec.yaml", "name: my_app");
    folderOfSize(home.tree, "code/MyApp/build", 9 * MiB);
    folderOfSize(home.tree, "code/MyApp/.dart_tool", 12 * MiB);
    setModified(home.path("code/MyApp/pubspec.yaml"), activity);
    home.tree.text("code/Other/pubspec.yaml", "name: other");
    folderOfSize(home.tree, "code/Other/build", 10 * MiB);  // exactly the minimum
    home.tree.text("code/NotFlutter/package.json", "{}");
    folderOfSize(home.tree, "code/NotFlutter/build", 12 * MiB);

    const auto context = home.context({home.path("code")}, 60, activity + std::chrono::hours(24));
    const auto result = scanner.scan(*context);
    EXPECT_EQ(result.footprint, 22 * MiB);
    const auto found = byTitle(result.candidates);
    ASSERT_EQ(found.size(), 2u);

    const auto& tool = found.at("MyApp/.dart_tool");
    EXPECT_EQ(tool.ruleID, "flutter.projectBuilds");
    EXPECT_EQ(tool.groupTitle, "Project Build Output");
    EXPECT_EQ(tool.path, home.path("code/MyApp/.dart_tool"));
    EXPECT_EQ(tool.size, duBytes(tool.path));
    EXPECT_EQ(tool.safety, SafetyLevel::safe);
    EXPECT_TRUE(tool.isSelectedByDefault);
    EXPECT_EQ(tool.reason, "Package resolution and build metadata. Recreated by `flutter pub get`.");
    EXPECT_EQ(tool.restoreHint, "flutter build");
    EXPECT_EQ(testing::shownDetails(tool.details, context->now()),
              (std::map<std::string, std::string>{{"Last activity", "Yesterday"}}));

    const auto& build = found.at("Other/build");
    EXPECT_EQ(build.size, 10 * MiB);
    EXPECT_EQ(
        build.reason,
        "Compiled app bundles for every platform this project has been built for. Recreated by the next "
        "build.");
    EXPECT_EQ(build.restoreHint, "flutter build");
    EXPECT_EQ(build.details.count("Last activity"), 1u);
}

TEST_F(FlutterScannerTest, CancelledScanSkipsTheProjects) {
    home.tree.text("code/MyApp/pubspec.yaml", "name: my_app");
    folderOfSize(home.tree, "code/MyApp/.dart_tool", 10 * MiB);
    const auto context = home.context({home.path("code")});
    context->cancel();
    const auto result = scanner.scan(*context);
    EXPECT_TRUE(result.candidates.empty());
    EXPECT_EQ(result.footprint, 0);
}

TEST_F(FlutterScannerTest, SdkCacheTitlesDropEveryCachePrefix) {
    EXPECT_EQ(FlutterScanner::sdkCacheTitle("/x/flutter", "bin/cache/artifacts"), "flutter · artifacts");
    EXPECT_EQ(FlutterScanner::sdkCacheTitle("/x/flutter", "bin/cache/download"), "flutter · download");
    EXPECT_EQ(FlutterScanner::sdkCacheTitle("/a/my sdk", "bin/cache/bin/cache/x"), "my sdk · x");
    EXPECT_EQ(FlutterScanner::wellKnownSDKPlaces(),
              (std::vector<std::string>{home.path("flutter"), home.path("development/flutter"),
                                        home.path("Developer/flutter"), "/opt/homebrew/Caskroom/flutter"}));
}

}  // namespace
}  // namespace korvane
