// A developer's home laid out the way the tools lay it out on this system:
// one scan offers each cache under its rule, and nothing around them.

#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <set>
#include <string>
#include <utility>

#include "core/safety/SafetyPolicy.h"
#include "core/scanners/AndroidScanner.h"
#include "core/scanners/CocoaPodsScanner.h"
#include "core/scanners/ReactNativeScanner.h"
#include "core/scanners/ScannerEngine.h"
#include "core/scanners/ToolchainScanner.h"
#include "tests/scanners/FakeToolHome.h"
#include "tests/scanners/SizedFolder.h"

namespace korvane {
namespace {

using testing::duBytes;
using testing::FakeToolHome;
using testing::folderOfSize;
using testing::ScopedEnv;
using testing::TempTree;
using C = CleanupCategory;

constexpr std::int64_t MiB = 1048576;

TEST(LinuxHomeScanTest, EveryCacheIsOfferedUnderItsRuleAndNothingAroundIt) {
    FakeToolHome home;
    TempTree temp;  // the shared temporary folder
    ScopedEnv tmpdir("TMPDIR", temp.root());
    ScopedEnv androidHome("ANDROID_HOME", std::nullopt);
    ScopedEnv sdkRoot("ANDROID_SDK_ROOT", std::nullopt);

    std::map<std::string, std::pair<C, std::string>> expected;
    const auto offer = [&](const std::string& path, C category, const std::string& rule) {
        expected[path] = {category, rule};
    };
    const std::string sdk = "Android/Sdk/";
    home.tree.file(sdk + "system-images/android-34/google_apis/x86_64/system.img", 2 * MiB);
    home.tree.file(sdk + "platforms/android-33/android.jar", MiB);
    home.tree.file(sdk + "platforms/android-34/android.jar", MiB);
    home.tree.file(sdk + "build-tools/34.0.0/aapt", MiB);
    home.tree.file(sdk + "ndk/26.1.10909125/toolchain", MiB);
    home.tree.file(sdk + "sources/android-34/Object.java", MiB);
    home.tree.file(sdk + ".temp/partial.zip", 2 * MiB);
    home.tree.file(sdk + "licenses/android-sdk-license", 100);  // never an item
    for (const auto* item :
         {"system-images/android-34/google_apis/x86_64", "platforms/android-33", "platforms/android-34",
          "build-tools/34.0.0", "ndk/26.1.10909125", "sources/android-34"}) {
        const std::string family = std::string(item).substr(0, std::string(item).find('/'));
        const std::map<std::string, std::string> rules{{"system-images", "android.systemImages"},
                                                       {"platforms", "android.platforms"},
                                                       {"build-tools", "android.buildTools"},
                                                       {"ndk", "android.ndk"},
                                                       {"sources", "android.sources"}};
        offer(home.path(sdk + item), C::android, rules.at(family));
    }
    offer(home.path(sdk + ".temp"), C::android, "android.emulatorCaches");

    const std::map<std::string, std::string> caches{{"Homebrew", "brew.cache"},
                                                    {"go-build", "go.buildCache"},
                                                    {"uv", "python.pipCache"},
                                                    {"pypoetry", "python.pipCache"},
                                                    {"JetBrains", "jetbrains.caches"}};
    for (const auto& [name, rule] : caches) {
        folderOfSize(home.tree, ".cache/" + name, 2 * MiB);
        offer(home.path(".cache/" + name), C::toolchains, rule);
    }
    folderOfSize(home.tree, ".cache/CocoaPods", 2 * MiB);
    offer(home.path(".cache/CocoaPods"), C::cocoapods, "cocoapods.cache");

    for (const auto* folder : {"Code/CachedData", "Code/CachedExtensionVSIXs", "Cursor/CachedData"}) {
        folderOfSize(home.tree, std::string(".config/") + folder, 2 * MiB);
        offer(home.path(std::string(".config/") + folder), C::toolchains, "editors.caches");
    }
    folderOfSize(home.tree, ".config/Code/User/workspaceStorage", 30 * MiB);
    folderOfSize(home.tree, ".config/Code/extensions", 30 * MiB);

    folderOfSize(temp, "metro-cache", 2 * MiB);
    folderOfSize(temp, "haste-map-abc", 2 * MiB);
    folderOfSize(temp, "react-native-watchman-state", 2 * MiB);
    offer(temp.path("metro-cache"), C::reactNative, "rn.metroCache");
    offer(temp.path("haste-map-abc"), C::reactNative, "rn.metroCache");
    offer(temp.path("react-native-watchman-state"), C::reactNative, "rn.watchman");
    folderOfSize(temp, "metro-theirs", 2 * MiB);
    const bool otherOwner =
        ::geteuid() == 0 && ::lchown(temp.path("metro-theirs").c_str(), 65534, 65534) == 0;
    if (!otherOwner) offer(temp.path("metro-theirs"), C::reactNative, "rn.metroCache");

    ScannerEngine::Scanners scanners;
    scanners.push_back(std::make_unique<AndroidScanner>());
    scanners.push_back(std::make_unique<CocoaPodsScanner>());
    scanners.push_back(std::make_unique<ReactNativeScanner>());
    scanners.push_back(std::make_unique<ToolchainScanner>());
    const std::set<C> categories(allCleanupCategories().begin(), allCleanupCategories().end());
    ScannerEngine engine(ScanSettings(5 * MiB, 60, {}, categories, {}), std::move(scanners));
    const ScanResult result = engine.scan([](const ScanProgress&) {});

    std::map<std::string, std::pair<C, std::string>> offered;
    for (const auto& category : result.categories) {
        for (const auto& candidate : category.candidates) {
            EXPECT_EQ(candidate.size, duBytes(candidate.path)) << candidate.path;
            EXPECT_TRUE(SafetyPolicy::check(candidate).isAllowed()) << candidate.path;
            offered[candidate.path] = {category.category, candidate.ruleID};
        }
    }
    EXPECT_EQ(offered, expected);
    // The editor's own folders stay refused whatever rule asks.
    for (const auto* rule : {"editors.caches", "general.userChoice"})
        EXPECT_TRUE(
            SafetyPolicy::check(home.path(".config/Code/User"), rule, RemovalKind::path()).isDenied());
    if (!otherOwner) GTEST_SKIP() << "needs root to give an entry to another user";
}

}  // namespace
}  // namespace korvane
