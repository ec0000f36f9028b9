#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <optional>

#include "core/text/ByteFormat.h"
#include "core/scanners/AndroidScanner.h"
#include "core/scanners/ScanContext.h"
#include "tests/scanners/FakeToolHome.h"
#include "tests/scanners/ScannerTestSupport.h"
#include "tests/scanners/SizedFolder.h"

namespace korvane {
namespace {

using testing::byTitle;
using testing::duBytes;
using testing::expectCandidate;
using testing::FakeToolHome;
using testing::folderOfSize;
using testing::ScopedEnv;

constexpr std::int64_t MiB = 1048576;
constexpr const char* sdk = "Library/Android/sdk/";

class AndroidScannerTest : public ::testing::Test {
protected:
    // The candidate of a title, checked against the location it must name.
    const CleanupCandidate* expect(const std::map<std::string, CleanupCandidate>& found,
                                   const std::string& title, const std::string& rule,
                                   const std::string& relativePath, SafetyLevel safety) {
        return expectCandidate(found, home, CleanupCategory::android, title, rule, relativePath, safety);
    }

    FakeToolHome home;
    // The machine's own settings must not leak in.
    ScopedEnv androidHome{"ANDROID_HOME", std::nullopt};
    ScopedEnv sdkRoot{"ANDROID_SDK_ROOT", std::nullopt};
    AndroidScanner scanner;
};

TEST_F(AndroidScannerTest, SdkRootComesFromTheEnvironmentOnlyWhenSomethingIsThere) {
    const auto fallback = home.path("Library/Android/sdk");
    EXPECT_EQ(AndroidScanner::sdkRoot(), fallback);  // even when missing
    const auto current = home.tree.folder("sdks/current");
    const auto older = home.tree.folder("old-sdk");
    {
        ScopedEnv root("ANDROID_SDK_ROOT", older);
        EXPECT_EQ(AndroidScanner::sdkRoot(), older);
        {
            ScopedEnv preferred("ANDROID_HOME", current);
            EXPECT_EQ(AndroidScanner::sdkRoot(), current);
        }
        {
            // A set but missing ANDROID_HOME does not fall through to the
            // older variable.
            ScopedEnv missing("ANDROID_HOME", home.path("missing"));
            EXPECT_EQ(AndroidScanner::sdkRoot(), fallback);
        }
        {
            ScopedEnv empty("ANDROID_HOME", "");
            EXPECT_EQ(AndroidScanner::sdkRoot(), fallback);
        }
    }
    {
        ScopedEnv missing("ANDROID_SDK_ROOT", home.path("missing"));
        EXPECT_EQ(AndroidScanner::sdkRoot(), fallback);
    }
    {
        ScopedEnv untidy("ANDROID_HOME", home.path("sdks//./current/"));
        EXPECT_EQ(AndroidScanner::sdkRoot(), current);
    }
    {
        ScopedEnv file("ANDROID_HOME", home.tree.text("sdk-file", "anything counts"));
        EXPECT_EQ(AndroidScanner::sdkRoot(), home.path("sdk-file"));
    }
    {
        ScopedEnv dangling("ANDROID_HOME", home.tree.symlink("dangling", home.path("nowhere")));
        EXPECT_EQ(AndroidScanner::sdkRoot(), fallback);
    }
}

TEST_F(AndroidScannerTest, AndroidStudiosDefaultHereComesBeforeTheOtherPlatforms) {
    home.tree.folder("Library/Android/sdk");
    EXPECT_EQ(AndroidScanner::sdkRoot(), home.path("Library/Android/sdk"));
    home.tree.folder("Android/Sdk");
    EXPECT_EQ(AndroidScanner::sdkRoot(), home.path("Android/Sdk"));
    const auto named = home.tree.folder("sdks/current");
    ScopedEnv env("ANDROID_SDK_ROOT", named);
    EXPECT_EQ(AndroidScanner::sdkRoot(), named);
}

TEST_F(AndroidScannerTest, AvailableWithAnSdkRootOrTheAndroidFolder) {
    EXPECT_EQ(scanner.category(), CleanupCategory::android);
    EXPECT_FALSE(scanner.isAvailable());
    home.tree.folder(".android");
    EXPECT_TRUE(scanner.isAvailable());
    ::rmdir(home.path(".android").c_str());
    EXPECT_FALSE(scanner.isAvailable());
    home.tree.text("elsewhere/sdk", "a file");
    ScopedEnv root("ANDROID_SDK_ROOT", home.path("elsewhere/sdk"));
    EXPECT_TRUE(scanner.isAvailable());
}

TEST_F(AndroidScannerTest, ApiTexts) {
    EXPECT_EQ(AndroidScanner::apiText("android-34"), "API 34 (Android 14)");
    EXPECT_EQ(AndroidScanner::apiText("android-32"), "API 32 (Android 12L)");
    EXPECT_EQ(AndroidScanner::apiText("android-21"), "API 21 (Android 5.0)");
    EXPECT_EQ(AndroidScanner::apiText("android-36"), "API 36 (Android 16)");
    EXPECT_EQ(AndroidScanner::apiText("android-20"), "API 20");
    EXPECT_EQ(AndroidScanner::apiText("android-34-ext10"), "API 34-ext10");
    EXPECT_EQ(AndroidScanner::apiText("android-UpsideDownCake"), "API UpsideDownCake");
    EXPECT_EQ(AndroidScanner::apiText("android-android-34"), "API 34 (Android 14)");
    EXPECT_EQ(AndroidScanner::apiText("34.0.0"), "34.0.0");
    EXPECT_EQ(AndroidScanner::apiText("xandroid-34"), "xandroid-34");
    EXPECT_EQ(AndroidScanner::apiText("android-"), "API ");
    EXPECT_EQ(AndroidScanner::versionNames().size(), 16u);
}

TEST_F(AndroidScannerTest, FindsImagesReleasesCachesAndDevices) {
    const std::string images = std::string(sdk) + "system-images/";
    home.tree.file(images + "android-34/google_apis/x86_64/system.img", 20000);
    home.tree.file(images + "android-34/google_apis/arm64-v8a/system.img", 12000);
    home.tree.file(images + "android-33/default/arm64-v8a/system.img", 9000);
    home.tree.file(images + "android-UpsideDownCake/default/x86_64/system.img", 5000);
    home.tree.file(images + "android-35/default/x86_64", 0);  // empty: nothing
    home.tree.text(images + "stray.txt", "no API folder");
    // The device runs android-34 on x86_64 under another tag: the image is
    // still in use.
    home.tree.text(".android/avd/Pixel_7.ini", "avd.ini.encoding=UTF-8\npath=/x/.android/avd/Pixel_7.avd\n");
    home.tree.text(
        ".android/avd/Pixel_7.avd/config.ini",
        "abi.type=x86_64\nimage.sysdir.1=system-images/android-34/google_apis_playstore/x86_64/\n");
    home.tree.file(".android/avd/Pixel_7.avd/userdata-qemu.img", 11 * MiB);
    home.tree.text(".android/avd/Tablet.ini", "target=android-33\nabi=armeabi-v7a\n");

    home.tree.file(std::string(sdk) + "platforms/android-33/android.jar", 30000);
    home.tree.file(std::string(sdk) + "platforms/android-34/android.jar", 30000);
    home.tree.file(std::string(sdk) + "platforms/android-UpsideDownCake/android.jar", 30000);
    home.tree.file(std::string(sdk) + "platforms/empty", 0);
    home.tree.file(std::string(sdk) + "build-tools/34.0.0/aapt", 8000);
    home.tree.file(std::string(sdk) + "build-tools/33.0.2/aapt", 8000);
    home.tree.file(std::string(sdk) + "ndk/26.1.10909125/toolchain", 8000);
    home.tree.file(std::string(sdk) + ".temp/download.zip", 2 * MiB);
    home.tree.file(".android/cache/sdkbin-1_abc", 2 * MiB);
    folderOfSize(home.tree, ".android/avd/Exact.avd", 10 * MiB);
    home.tree.file(".android/avd/NotADevice/data", 11 * MiB);

    const auto result = scanner.scan(*home.context());
    EXPECT_EQ(result.category, CleanupCategory::android);
    EXPECT_EQ(result.note, std::nullopt);
    EXPECT_EQ(result.duration, 0);
    const auto found = byTitle(result.candidates);

    if (const auto* c = expect(found, "API 34 (Android 14) · google_apis · x86_64", "android.systemImages",
                               images + "android-34/google_apis/x86_64", SafetyLevel::dangerous)) {
        EXPECT_EQ(c->groupTitle, "Emulator System Images");
        EXPECT_EQ(
            c->reason,
            "A virtual device you created is running on this image. Removing it would break that emulator.");
        EXPECT_EQ(c->restoreHint, std::nullopt);
        EXPECT_EQ(c->details, (CategoryScanner::Details{{"Used by an AVD", "Yes"}}));
        EXPECT_TRUE(c->lastModified);
    }
    if (const auto* c = expect(found, "API 33 (Android 13) · default · arm64-v8a", "android.systemImages",
                               images + "android-33/default/arm64-v8a", SafetyLevel::caution)) {
        EXPECT_EQ(c->reason,
                  "A complete Android OS image for the emulator. No virtual device uses it. Re-downloadable "
                  "from the "
                  "SDK Manager, at around " +
                      ByteFormat::string(c->size) + ".");
        EXPECT_EQ(c->restoreHint, "sdkmanager \"system-images;android-33;default;arm64-v8a\"");
        EXPECT_EQ(c->details, (CategoryScanner::Details{{"Used by an AVD", "No"}}));
    }
    expect(found, "API 34 (Android 14) · google_apis · arm64-v8a", "android.systemImages",
           images + "android-34/google_apis/arm64-v8a", SafetyLevel::caution);
    expect(found, "API UpsideDownCake · default · x86_64", "android.systemImages",
           images + "android-UpsideDownCake/default/x86_64", SafetyLevel::caution);

    const std::string platformsText =
        "The android.jar and framework resources for one API level. Re-downloadable "
        "from the SDK Manager.";
    if (const auto* c = expect(found, "SDK Platforms API 34 (Android 14)", "android.platforms",
                               std::string(sdk) + "platforms/android-34", SafetyLevel::dangerous)) {
        EXPECT_EQ(c->groupTitle, "SDK Platforms");
        EXPECT_EQ(c->reason,
                  "The newest sdk platforms installed. Your builds almost certainly compile against it.");
        EXPECT_EQ(c->restoreHint, std::nullopt);
        EXPECT_EQ(c->details, (CategoryScanner::Details{{"Newest installed", "android-34"}}));
        EXPECT_TRUE(c->lastModified);
    }
    for (const auto* older : {"android-33", "android-UpsideDownCake"}) {
        const auto title = "SDK Platforms " + AndroidScanner::apiText(older);
        if (const auto* c = expect(found, title, "android.platforms", std::string(sdk) + "platforms/" + older,
                                   SafetyLevel::caution)) {
            EXPECT_EQ(c->reason, platformsText + " You have a newer version installed (android-34).");
            EXPECT_EQ(c->restoreHint, "Re-installable from Android Studio's SDK Manager");
            EXPECT_EQ(c->details, (CategoryScanner::Details{{"Newest installed", "android-34"}}));
        }
    }
    EXPECT_EQ(found.count("SDK Platforms empty"), 0u);
    if (const auto* c = expect(found, "Build Tools 34.0.0", "android.buildTools",
                               std::string(sdk) + "build-tools/34.0.0", SafetyLevel::dangerous)) {
        EXPECT_EQ(c->groupTitle, "Build Tools");
        EXPECT_EQ(c->reason,
                  "The newest build tools installed. Your builds almost certainly compile against it.");
    }
    if (const auto* c = expect(found, "Build Tools 33.0.2", "android.buildTools",
                               std::string(sdk) + "build-tools/33.0.2", SafetyLevel::caution)) {
        EXPECT_EQ(c->reason,
                  "aapt, d8, zipalign and friends for one release. Gradle uses the version your build files "
                  "ask for. "
                  "You have a newer version installed (34.0.0).");
    }
    // A family with one release: that release is the newest.
    if (const auto* c = expect(found, "NDK 26.1.10909125", "android.ndk",
                               std::string(sdk) + "ndk/26.1.10909125", SafetyLevel::dangerous)) {
        EXPECT_EQ(c->reason, "The newest ndk installed. Your builds almost certainly compile against it.");
        EXPECT_EQ(c->details, (CategoryScanner::Details{{"Newest installed", "26.1.10909125"}}));
    }

    if (const auto* c =
            expect(found, "Android cache", "android.emulatorCaches", ".android/cache", SafetyLevel::safe)) {
        EXPECT_EQ(c->groupTitle, "Android Caches");
        EXPECT_EQ(c->reason, "Metadata the SDK tools cache between runs. Rebuilt automatically.");
        EXPECT_EQ(c->restoreHint, "Rebuilt automatically");
        EXPECT_TRUE(c->details.empty());
    }
    if (const auto* c = expect(found, "SDK temporary files", "android.emulatorCaches",
                               std::string(sdk) + ".temp", SafetyLevel::safe)) {
        EXPECT_EQ(c->reason, "Partial downloads and unpack directories left by the SDK Manager.");
    }

    if (const auto* c =
            expect(found, "Pixel_7", "android.avd", ".android/avd/Pixel_7.avd", SafetyLevel::caution)) {
        EXPECT_EQ(c->groupTitle, "Virtual Devices");
        EXPECT_EQ(
            c->reason,
            "A virtual device, including everything installed inside it and its saved state. Recreating it "
            "from the Device Manager gives you an empty device.");
        EXPECT_EQ(c->restoreHint, "Recreate in Android Studio's Device Manager");
        EXPECT_TRUE(c->lastModified);
    }
    // Exactly 10 MiB is not more than 10 MiB; a folder without the
    // extension is no device.
    EXPECT_EQ(found.count("Exact"), 0u);
    EXPECT_EQ(found.count("NotADevice"), 0u);
    EXPECT_EQ(result.candidates.size(), 13u);

    // Images first, then the families, the caches and the devices.
    std::vector<std::string> rules;
    for (const auto& c : result.candidates)
        if (rules.empty() || rules.back() != c.ruleID) rules.push_back(c.ruleID);
    EXPECT_EQ(rules,
              (std::vector<std::string>{"android.systemImages", "android.platforms", "android.buildTools",
                                        "android.ndk", "android.emulatorCaches", "android.avd"}));

    // The SDK, the home cache beside it and the devices: all that the category offers lies inside.
    EXPECT_EQ(result.footprint, duBytes(home.path("Library/Android/sdk")) + duBytes(home.path(".android/cache")) +
                                    duBytes(home.path(".android/avd/Pixel_7.avd")));
}

TEST_F(AndroidScannerTest, OlderImagesAndReleasesWhateverTheListingOrder) {
    for (const auto* name : {"28.0.3", "30.0.3", "34.0.0-rc1", "34.0.0", "4.4W"})
        home.tree.file(std::string(sdk) + "build-tools/" + name + "/aapt", 4096);
    const auto found = byTitle(scanner.scan(*home.context()).candidates);
    ASSERT_EQ(found.size(), 5u);
    // The candidate's number puts it after the plain release.
    EXPECT_EQ(found.at("Build Tools 34.0.0-rc1").safety, SafetyLevel::dangerous);
    for (const auto* older : {"28.0.3", "30.0.3", "34.0.0", "4.4W"}) {
        const auto& c = found.at(std::string("Build Tools ") + older);
        EXPECT_EQ(c.safety, SafetyLevel::caution) << older;
        EXPECT_EQ(c.details.at("Newest installed"), "34.0.0-rc1");
    }
}

TEST_F(AndroidScannerTest, NoSdkButTheAndroidFolder) {
    home.tree.file(".android/cache/c", 2 * MiB);
    home.tree.file(".android/avd/Phone.avd/userdata.img", 11 * MiB);
    home.tree.text(".android/avd/Phone.ini", "path=x");
    ASSERT_TRUE(scanner.isAvailable());
    const auto result = scanner.scan(*home.context());
    const auto found = byTitle(result.candidates);
    ASSERT_EQ(found.size(), 2u);
    expect(found, "Android cache", "android.emulatorCaches", ".android/cache", SafetyLevel::safe);
    expect(found, "Phone", "android.avd", ".android/avd/Phone.avd", SafetyLevel::caution);
    EXPECT_EQ(result.footprint, duBytes(home.path(".android/cache")) + duBytes(home.path(".android/avd/Phone.avd")));
}

TEST_F(AndroidScannerTest, MinimumSizes) {
    folderOfSize(home.tree, ".android/cache", MiB);
    folderOfSize(home.tree, std::string(sdk) + ".temp", MiB - 4096);
    folderOfSize(home.tree, ".android/avd/Big.avd", 10 * MiB + 4096);
    folderOfSize(home.tree, ".android/avd/Exact.avd", 10 * MiB);
    const auto result = scanner.scan(*home.context());
    const auto found = byTitle(result.candidates);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found.at("Android cache").size, MiB);
    EXPECT_EQ(found.at("Big").size, 10 * MiB + 4096);
    // The SDK's own too-small cache is inside its measure; the home cache is counted beside it.
    EXPECT_EQ(result.footprint, duBytes(home.path("Library/Android/sdk")) + MiB + 10 * MiB + 4096);
}

// One item of each kind the SDK holds, below `root` in `tree`.
void fillSdk(testing::TempTree& tree, const std::string& root) {
    tree.file(root + "/platforms/android-34/android.jar", 30000);
    tree.file(root + "/system-images/android-34/default/x86_64/system.img", 30000);
    tree.file(root + "/build-tools/34.0.0/aapt", 8000);
    tree.file(root + "/ndk/26.1.10909125/toolchain", 8000);
    tree.file(root + "/sources/android-34/Object.java", 8000);
    tree.file(root + "/.temp/partial.zip", 2 * MiB);
}

// The SDK is offered where Android Studio puts it here and where the
// environment names it inside the home; anywhere else, or under a name that
// would read as a pattern, it is measured but never offered.
TEST_F(AndroidScannerTest, AnSdkIsOfferedOnlyInsideTheHome) {
    const std::vector<std::string> items{"system-images/android-34/default/x86_64",
                                         "platforms/android-34",
                                         "build-tools/34.0.0",
                                         "ndk/26.1.10909125",
                                         "sources/android-34",
                                         ".temp"};
    testing::TempTree outside;
    fillSdk(outside, "sdk");
    struct Case {
        std::string name;
        std::string root;                 // where the SDK lies, relative to the home
        std::optional<std::string> home;  // ANDROID_HOME
        std::optional<std::string> older;  // ANDROID_SDK_ROOT
        bool offered;
    };
    const std::vector<Case> cases{
        {"Android Studio's default", "Android/Sdk", std::nullopt, std::nullopt, true},
        {"named by ANDROID_HOME", "sdks/current", home.path("sdks/current"), std::nullopt, true},
        {"named by ANDROID_SDK_ROOT", "sdks/older", std::nullopt, home.path("sdks/older"), true},
        {"outside the home", "", outside.path("sdk"), std::nullopt, false},
        {"a link inside the home leading outside", "", home.tree.symlink("sdk-link", outside.path("sdk")),
         std::nullopt, false},
        {"a name with a pattern character", "sdks/*", home.path("sdks/*"), std::nullopt, false},
        {"inside a protected name", ".config/sdk", home.path(".config/sdk"), std::nullopt, false},
    };
    for (const auto& c : cases) {
        if (!c.root.empty()) fillSdk(home.tree, c.root);
        ScopedEnv preferred("ANDROID_HOME", c.home);
        ScopedEnv older("ANDROID_SDK_ROOT", c.older);
        const auto root = AndroidScanner::sdkRoot();

        const auto result = scanner.scan(*home.context());
        std::vector<std::string> paths;
        for (const auto& candidate : result.candidates) paths.push_back(candidate.path);
        std::vector<std::string> expected;
        if (c.offered)
            for (const auto& item : items) expected.push_back(Paths::join(root, item));
        EXPECT_EQ(paths, expected) << c.name;
        EXPECT_EQ(result.footprint, duBytes(c.root.empty() ? outside.path("sdk") : root)) << c.name;
        if (!c.root.empty()) std::filesystem::remove_all(home.path(c.root));
    }
}

TEST_F(AndroidScannerTest, AnSdkReachedThroughALinkIsMeasuredWhole) {
    home.tree.file("disk/sdk/platforms/android-34/android.jar", 3 * MiB);
    home.tree.folder("Library/Android");
    home.tree.symlink("Library/Android/sdk", home.path("disk/sdk"));
    const auto result = scanner.scan(*home.context());
    EXPECT_EQ(result.footprint, duBytes(home.path("disk/sdk")));
    ASSERT_EQ(result.candidates.size(), 1u);
    EXPECT_EQ(result.candidates[0].path, home.path("Library/Android/sdk/platforms/android-34"));
    EXPECT_EQ(result.candidates[0].size, duBytes(home.path("disk/sdk/platforms/android-34")));
}

TEST_F(AndroidScannerTest, DescriptionsThatCannotBeReadAreSkipped) {
    home.tree.file(std::string(sdk) + "system-images/android-34/default/x86_64/system.img", 8192);
    const std::string text = "image.sysdir.1=system-images/android-34/default/x86_64/\n";
    home.tree.text(".android/avd/bad.ini", "\xff\xfe" + text);                 // not UTF-8
    home.tree.folder(".android/avd/folder.ini");                               // not a file
    ASSERT_EQ(::mkfifo(home.path(".android/avd/pipe.ini").c_str(), 0600), 0);  // would block a read
    home.tree.symlink(".android/avd/loop.ini", home.path(".android/avd/loop.ini"));
    home.tree.folder(".android/avd/NoConfig.avd");
    home.tree.text(".android/avd/notes.txt", text);  // not a description

    EXPECT_TRUE(AndroidScanner::deviceDescriptions().empty());
    auto found = byTitle(scanner.scan(*home.context()).candidates);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found.begin()->second.safety, SafetyLevel::caution);

    home.tree.text(".android/avd/Phone.avd/config.ini", text);
    home.tree.text(".android/avd/.hidden.ini", "first");
    home.tree.text(".android/avd/z.ini", "second");
    EXPECT_EQ(AndroidScanner::deviceDescriptions(), (std::vector<std::string>{"first", "second", text}));
    found = byTitle(scanner.scan(*home.context()).candidates);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found.begin()->second.safety, SafetyLevel::dangerous);
}

TEST_F(AndroidScannerTest, ImageInUseNeedsApiAndAbiInOneDescription) {
    home.tree.file(std::string(sdk) + "system-images/android-34/default/arm64-v8a/system.img", 8192);
    home.tree.text(".android/avd/A.ini", "target=android-34\n");
    home.tree.text(".android/avd/B.avd/config.ini", "abi.type=arm64-v8a\n");
    auto found = byTitle(scanner.scan(*home.context()).candidates);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found.begin()->second.safety, SafetyLevel::caution);
    home.tree.text(".android/avd/B.avd/config.ini", "abi.type=arm64-v8a\ntarget=android-34\n");
    found = byTitle(scanner.scan(*home.context()).candidates);
    EXPECT_EQ(found.begin()->second.safety, SafetyLevel::dangerous);
}

}  // namespace
}  // namespace korvane
