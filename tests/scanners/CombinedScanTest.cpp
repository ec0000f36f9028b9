// Several category scanners offering the same project folders in one scan:
// the earliest category in display order keeps each folder, and no byte is
// offered twice.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/scanners/CocoaPodsScanner.h"
#include "core/scanners/FlutterScanner.h"
#include "core/scanners/GradleScanner.h"
#include "core/scanners/NodeScanner.h"
#include "core/scanners/ReactNativeScanner.h"
#include "core/scanners/ScannerEngine.h"
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

std::set<C> allCategories() { return {allCleanupCategories().begin(), allCleanupCategories().end()}; }

TEST(CombinedScanTest, OverlappingProjectOutputIsKeptOnceByTheEarliestCategory) {
    FakeToolHome home;
    ScopedEnv pubCache("PUB_CACHE", std::nullopt);
    TempTree temp;  // an empty temporary folder for the packager

    // Each scanner finds its tool's folder.
    for (const auto& folder : {".expo", ".npm", ".cocoapods", ".gradle", ".pub-cache"})
        home.tree.folder(folder);

    // A React Native app whose iOS side is a CocoaPods project and whose
    // Android side is a Gradle project.
    home.tree.text("code/MyApp/package.json", R"({"dependencies": {"react-native": "0.73"}})");
    folderOfSize(home.tree, "code/MyApp/node_modules", 2 * MiB);
    home.tree.text("code/MyApp/ios/Podfile", "platform :ios");
    home.tree.text("code/MyApp/ios/Podfile.lock", "PODS:");
    folderOfSize(home.tree, "code/MyApp/ios/Pods", 21 * MiB);
    home.tree.text("code/MyApp/android/build.gradle", "");
    folderOfSize(home.tree, "code/MyApp/android/app/build", 21 * MiB);
    folderOfSize(home.tree, "code/MyApp/android/.gradle", 20 * MiB);
    // A Flutter project that Gradle also claims as its own.
    home.tree.text("code/Hybrid/pubspec.yaml", "name: hybrid");
    home.tree.text("code/Hybrid/settings.gradle", "");
    folderOfSize(home.tree, "code/Hybrid/build", 21 * MiB);

    ScannerEngine::Scanners scanners;  // declaration order; the engine sorts them
    scanners.push_back(std::make_unique<NodeScanner>());
    scanners.push_back(std::make_unique<GradleScanner>());
    scanners.push_back(std::make_unique<CocoaPodsScanner>());
    scanners.push_back(std::make_unique<ReactNativeScanner>(temp.root()));
    scanners.push_back(std::make_unique<FlutterScanner>());
    ScannerEngine engine(ScanSettings(5 * MiB, 60, {home.path("code")}, allCategories(), {}),
                         std::move(scanners));
    const ScanResult result = engine.scan([](const ScanProgress&) {});

    EXPECT_TRUE(result.skipped.empty());
    EXPECT_EQ(result.projectCount, 4);  // MyApp, MyApp/android, MyApp/ios, Hybrid
    std::vector<C> order;
    std::map<C, const CategoryResult*> byCategory;
    for (const auto& category : result.categories) {
        order.push_back(category.category);
        byCategory[category.category] = &category;
    }
    EXPECT_EQ(order, (std::vector<C>{C::reactNative, C::flutter, C::node, C::cocoapods, C::gradle}));

    // Every offered path once, none inside another, each at its full size.
    std::map<std::string, std::pair<C, std::string>> offered;
    for (const auto& category : result.categories) {
        for (const auto& candidate : category.candidates) {
            EXPECT_EQ(candidate.size, duBytes(candidate.path)) << candidate.path;
            EXPECT_TRUE(
                offered.emplace(candidate.path, std::make_pair(category.category, candidate.ruleID)).second)
                << candidate.path;
        }
    }
    for (const auto& [path, owner] : offered)
        for (const auto& [other, otherOwner] : offered)
            EXPECT_FALSE(other.size() > path.size() && other.compare(0, path.size() + 1, path + "/") == 0)
                << other << " inside " << path;

    const std::map<std::string, std::pair<C, std::string>> expected{
        {home.path("code/MyApp/ios/Pods"), {C::reactNative, "rn.iosBuilds"}},
        {home.path("code/MyApp/android/app/build"), {C::reactNative, "rn.androidBuilds"}},
        {home.path("code/MyApp/android/.gradle"), {C::reactNative, "rn.androidBuilds"}},
        {home.path("code/Hybrid/build"), {C::flutter, "flutter.projectBuilds"}},
        {home.path("code/MyApp/node_modules"), {C::node, "node.modules"}},
    };
    EXPECT_EQ(offered, expected);

    // What a later category lost still counts toward what it occupies.
    ASSERT_TRUE(byCategory.count(C::cocoapods));
    EXPECT_TRUE(byCategory[C::cocoapods]->candidates.empty());
    EXPECT_EQ(byCategory[C::cocoapods]->footprint, 21 * MiB);
    ASSERT_TRUE(byCategory.count(C::gradle));
    EXPECT_TRUE(byCategory[C::gradle]->candidates.empty());
    EXPECT_EQ(byCategory[C::gradle]->footprint,
              duBytes(home.path(".gradle")) + 21 * MiB + 20 * MiB + 21 * MiB);
    EXPECT_EQ(byCategory[C::reactNative]->footprint, 62 * MiB);
}

}  // namespace
}  // namespace korvane
