#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <atomic>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/system/Paths.h"
#include "core/safety/SafetyPolicy.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DeepTree.h"
#include "tests/support/TempTree.h"

namespace korvane {

// Readable failures: the reason instead of the object's bytes.
static void PrintTo(const SafetyPolicy::Verdict& verdict, std::ostream* out) {
    *out << (verdict.isAllowed() ? std::string("allowed") : "denied(\"" + verdict.reason() + "\")");
}

namespace {

using testing::ScopedEnv;
using testing::TempTree;
using Verdict = SafetyPolicy::Verdict;

const RemovalKind kPath = RemovalKind::path();

Verdict denied(const std::string& reason) { return Verdict::denied(reason); }
const Verdict kAllowed = Verdict::allowed();

std::string notRegistered(const std::string& id) {
    return "Rule \u201C" + id + "\u201D is not registered for removal";
}
std::string shapeMismatch(const std::string& id) {
    return "Path does not match the shape \u201C" + id + "\u201D is allowed to produce";
}
std::string containsName(const std::string& name) {
    return "Contains \u201C" + name + "\u201D, which Korvane never removes";
}

const char* const kProtectedFolder = "This is a protected system or home folder";
const char* const kOutside = "Outside your home folder";
const char* const kTooClose = "Too close to the root of the disk";
const char* const kResolvesProtected = "Resolves to a protected location";
const char* const kRepository = "Looks like a source repository";
const char* const kNotAbsolute = "Not an absolute path";
const char* const kInvalid = "Not a valid path";
const char* const kUnusableHome = "Your home folder cannot be used safely, so Korvane removes nothing";
const char* const kCannotLook = "Korvane cannot look inside this to check it, so it leaves it alone";

// Points HOME at a folder for the life of the object and makes the home folder
// be read again on both ends.
class HomeOverride {
public:
    explicit HomeOverride(const std::string& home) {
        env_.emplace("HOME", home);
        Paths::reset();
    }
    ~HomeOverride() {
        env_.reset();
        Paths::reset();
    }

private:
    std::optional<ScopedEnv> env_;
};

// A fake home inside a temporary tree; "~" in test paths stands for it.
class SafetyPolicyTest : public ::testing::Test {
protected:
    SafetyPolicyTest()
        : home_(tree.folder("home/user")), temporary_(tree.folder("tmp")), override_(home_),
          tmpdir_("TMPDIR", temporary_) {}

    std::string home(const std::string& rest = {}) const { return rest.empty() ? home_ : home_ + "/" + rest; }
    // The fake temporary folder TMPDIR names.
    std::string temporary(const std::string& rest = {}) const {
        return rest.empty() ? temporary_ : temporary_ + "/" + rest;
    }
    // Replaces a leading "~" by the fake home and "$tmp" by the fake
    // temporary folder.
    std::string expand(const std::string& text) const {
        if (text == "~") return home_;
        if (text.rfind("~/", 0) == 0) return home_ + text.substr(1);
        if (text.rfind("$tmp/", 0) == 0) return temporary_ + text.substr(4);
        return text;
    }

    TempTree tree;

private:
    std::string home_;
    std::string temporary_;
    HomeOverride override_;
    // The machine's own places must not leak in.
    ScopedEnv tmpdir_;
    ScopedEnv cache_{"XDG_CACHE_HOME", std::nullopt};
    ScopedEnv androidHome_{"ANDROID_HOME", std::nullopt};
    ScopedEnv sdkRoot_{"ANDROID_SDK_ROOT", std::nullopt};
};

// ---------------------------------------------------------------------------
// The registry: one row per rule id. `accepted` holds one example per shape, in
// the order of the shapes; `refused` holds siblings the rule may not produce.

struct RuleCase {
    std::string id;
    std::vector<std::string> accepted;
    std::vector<std::string> refused;
};

const std::vector<RuleCase>& ruleCases() {
    const std::string dd = "~/Library/Developer/Xcode/DerivedData";
    const std::string sdk = "~/Library/Android/sdk";
    const std::string tmp = "/var/folders/ab/cd12/T";
    const std::string ptmp = "/private/var/folders/ab/cd12/T";
    const std::string as = "~/Library/Application Support";
    const std::string lsdk = "~/Android/Sdk";
    const std::string cfg = "~/.config";
    static const std::vector<RuleCase> cases = {
        {"xcode.derivedData", {dd + "/App-abc"}, {dd, dd + "/App-abc/Build"}},
        {"xcode.moduleCache",
         {dd + "/ModuleCache.noindex", dd + "/ModuleCache.noindex/ABC"},
         {dd + "/ModuleCache.noindex/ABC/x", dd + "/ModuleCache.index"}},
        {"xcode.archives",
         {"~/Library/Developer/Xcode/Archives/2024-01-01/App.xcarchive"},
         {"~/Library/Developer/Xcode/Archives/2024-01-01", "~/Library/Developer/Xcode/Archives/a/b/c"}},
        {"xcode.deviceSupport",
         {"~/Library/Developer/Xcode/iOS DeviceSupport/17.0",
          "~/Library/Developer/Xcode/watchOS DeviceSupport/10.0",
          "~/Library/Developer/Xcode/tvOS DeviceSupport/17.0",
          "~/Library/Developer/Xcode/visionOS DeviceSupport/1.0"},
         {"~/Library/Developer/Xcode/macOS DeviceSupport/14.0",
          "~/Library/Developer/Xcode/iOS DeviceSupport"}},
        {"xcode.simulatorDevices",
         {"~/Library/Developer/CoreSimulator/Devices/1234-ABCD"},
         {"~/Library/Developer/CoreSimulator/Devices",
          "~/Library/Developer/CoreSimulator/Devices/1234/data"}},
        {"xcode.simulatorCaches",
         {"~/Library/Developer/CoreSimulator/Caches/dyld/x"},
         {"~/Library/Developer/CoreSimulator/CachesOld", "~/Library/Developer/CoreSimulator"}},
        {"xcode.simulatorRuntimes",
         {"~/Library/Developer/CoreSimulator/Profiles/Runtimes/iOS 17.simruntime"},
         {"~/Library/Developer/CoreSimulator/Profiles/Runtimes"}},
        {"xcode.appCache",
         {"~/Library/Caches/com.apple.dt.Xcode/x", "~/Library/Developer/Xcode/UserData/Previews/a/b",
          "~/Library/Developer/Xcode/Products/Debug"},
         {"~/Library/Developer/Xcode/Products/Debug/App.app", "~/Library/Developer/Xcode/UserData/Other"}},
        {"xcode.swiftpm",
         {"~/Library/Caches/org.swift.swiftpm/repositories", "~/Library/org.swift.swiftpm/security",
          dd + "/App-abc/SourcePackages"},
         {dd + "/App-abc/SourcePackages/checkouts", dd + "/SourcePackages"}},
        {"xcode.documentation",
         {"~/Library/Developer/Xcode/DocumentationCache/v1",
          "~/Library/Caches/com.apple.dt.Xcode.DeveloperDocumentation/index"},
         {"~/Library/Developer/Xcode/Documentation"}},
        {"xcode.instruments", {dd + "/App-abc/Logs"}, {dd + "/App-abc/Logs/Build", dd + "/Logs"}},
        {"xcode.simctl",
         {"~/Library/Developer/CoreSimulator/Devices"},
         {"~/Library/Developer/CoreSimulator/Devices/1234"}},
        {"node.modules",
         {"~/projects/app/node_modules"},
         {"~/projects/app/node_modules/pkg", "~/projects/app"}},
        {"node.npmCache", {"~/.npm/_cacache", "~/.npm/_logs"}, {"~/.npm/_cacache/index-v5", "~/.npm/_npx"}},
        {"node.yarnCache",
         {"~/Library/Caches/Yarn/v6", "~/.yarn/berry/cache", "~/.cache/yarn/v6"},
         {"~/.yarn/berry/cache/x.zip", "~/.yarn/berry"}},
        {"node.pnpmStore",
         {"~/Library/pnpm/store/v3", "~/.pnpm-store/v3", "~/Library/Caches/pnpm/metadata",
          "~/.local/share/pnpm/store/v3"},
         {"~/.local/share/pnpm/state", "~/Library/pnpm/global"}},
        {"node.bunCache", {"~/.bun/install/cache/pkg"}, {"~/.bun/install/global"}},
        {"node.denoCache", {"~/Library/Caches/deno/deps", "~/.cache/deno/gen"}, {"~/.deno/bin"}},
        {"node.nextBuild",
         {"~/projects/site/.next"},
         {"~/projects/site/.next/cache", "~/projects/site/next"}},
        {"node.viteCache",
         {"~/projects/app/node_modules/.vite", "~/projects/app/.turbo", "~/projects/app/.parcel-cache"},
         {"~/projects/app/.vite", "~/projects/app/.turbo/cache"}},
        {"node.nvmVersions",
         {"~/.nvm/versions/node/v20.0.0"},
         {"~/.nvm/versions/node", "~/.nvm/versions/node/v20.0.0/bin"}},
        {"gradle.caches",
         {"~/.gradle/caches/modules-2"},
         {"~/.gradle/caches", "~/.gradle/caches/modules-2/files"}},
        {"gradle.wrapperDists",
         {"~/.gradle/wrapper/dists/gradle-8.5-bin/abc123"},
         {"~/.gradle/wrapper/dists/gradle-8.5-bin"}},
        {"gradle.daemon", {"~/.gradle/daemon/8.5"}, {"~/.gradle/daemon/8.5/log.txt", "~/.gradle/daemon"}},
        {"gradle.nativeAndJdks",
         {"~/.gradle/native/x/y", "~/.gradle/jdks/jdk-17"},
         {"~/.gradle/jdks/jdk-17/bin", "~/.gradle/natives"}},
        {"gradle.projectBuilds",
         {"~/projects/app/build", "~/projects/app/.gradle"},
         {"~/projects/app/builds", "~/projects/app/build/outputs"}},
        {"android.systemImages",
         {sdk + "/system-images/android-34/google_apis/x86_64",
          lsdk + "/system-images/android-34/default/x86_64"},
         {sdk + "/system-images/android-34/google_apis", sdk + "/system-images/a/b/c/d",
          lsdk + "/system-images/android-34/default",
          "~/Android/sdk/system-images/android-34/default/x86_64"}},
        {"android.platforms",
         {sdk + "/platforms/android-34", lsdk + "/platforms/android-34"},
         {sdk + "/platforms", lsdk + "/platforms"}},
        {"android.buildTools",
         {sdk + "/build-tools/34.0.0", lsdk + "/build-tools/34.0.0"},
         {sdk + "/build-tools/34.0.0/lib", lsdk + "/build-tools/34.0.0/lib"}},
        {"android.ndk",
         {sdk + "/ndk/26.1.10909125", lsdk + "/ndk/26.1.10909125"},
         {sdk + "/ndk", lsdk + "/ndk"}},
        {"android.sources",
         {sdk + "/sources/android-34", lsdk + "/sources/android-34"},
         {sdk + "/sources/android-34/java", lsdk + "/cmdline-tools/latest"}},
        {"android.emulatorCaches",
         {"~/.android/cache/x", "~/.android/avd/Pixel.avd/hardware-qemu.ini.lock", sdk + "/.temp/x",
          lsdk + "/.temp/x"},
         {"~/.android/avd/Pixel.avd/config.ini", "~/.android/avd/Pixel.avd/sub/x.lock", lsdk + "/temp/x"}},
        {"android.avd",
         {"~/.android/avd/Pixel.avd"},
         {"~/.android/avd", "~/.android/avd/Pixel.avd/config.ini"}},
        {"cocoapods.cache",
         {"~/Library/Caches/CocoaPods/Pods", "~/.cache/CocoaPods/Pods"},
         {"~/Library/Caches/CocoaPod", "~/.cocoapods/Pods"}},
        {"cocoapods.repos",
         {"~/.cocoapods/repos/trunk"},
         {"~/.cocoapods/repos", "~/.cocoapods/repos/trunk/Specs"}},
        {"cocoapods.projectPods", {"~/projects/app/Pods"}, {"~/projects/app/Pods/Manifest.lock"}},
        {"rn.metroCache",
         {ptmp + "/metro-cache", tmp + "/metro-cache", ptmp + "/haste-map-x", tmp + "/haste-map-x",
          ptmp + "/react-native-packager-cache-1", tmp + "/react-native-packager-cache-1", "$tmp/metro-cache",
          "$tmp/haste-map-x", "$tmp/react-native-packager-cache-1"},
         {tmp + "/metro-cache/x", "/var/folders/ab/T/metro-cache", tmp + "/cache", "$tmp/metro-cache/x",
          "$tmp/cache", "$tmp/sub/metro-cache", "/tmp-elsewhere/metro-cache"}},
        {"rn.expoCache",
         {"~/.expo/versions", "~/projects/app/.expo", "~/Library/Caches/Expo/x"},
         {"~/projects/app/.expo/web"}},
        {"rn.watchman",
         {ptmp + "/com.facebook.watchman", tmp + "/watchman-x", "$tmp/user-state.watchman"},
         {tmp + "/cache", tmp + "/watchman/x", "$tmp/watchman/x", "$tmp/cache"}},
        {"rn.androidBuilds",
         {"~/p/app/android/app/build", "~/p/app/android/build", "~/p/app/android/.gradle"},
         {"~/p/app/android/app"}},
        {"rn.iosBuilds", {"~/p/app/ios/build", "~/p/app/ios/Pods"}, {"~/p/app/ios/DerivedData"}},
        {"flutter.pubCache",
         {"~/.pub-cache/hosted/pub.dev", "~/.pub-cache/git/x", "~/.pub-cache/.pub-cache-tmp/x"},
         {"~/.pub-cache/bin"}},
        {"flutter.sdkCache",
         {"~/sdks/flutter/bin/cache/artifacts/engine", "~/sdks/flutter/bin/cache/download/x"},
         {"~/sdks/flutter/bin/cache/dart-sdk"}},
        {"flutter.projectBuilds",
         {"~/p/app/.dart_tool", "~/p/app/build"},
         {"~/p/app/.dart_tool/package_config.json"}},
        {"brew.cache",
         {"~/Library/Caches/Homebrew/downloads", "~/.cache/Homebrew/downloads"},
         {"~/Library/Caches/Homebrew2", "~/.cache/Homebrew2"}},
        {"rust.registry",
         {"~/.cargo/registry/cache/x", "~/.cargo/registry/src/x", "~/.cargo/git/checkouts/x"},
         {"~/.cargo/registry/index", "~/.cargo/git/db"}},
        {"rust.toolchains",
         {"~/.rustup/toolchains/stable-x86_64", "~/.rustup/downloads/x"},
         {"~/.rustup/toolchains/stable/lib"}},
        {"go.buildCache",
         {"~/Library/Caches/go-build/ab", "~/.cache/go-build/ab"},
         {"~/.cache/go-builds/ab"}},
        {"go.modCache",
         {"~/go/pkg/mod/cache/download/x/y", "~/go/pkg/mod/github.com"},
         {"~/go/pkg/mod/github.com/user"}},
        {"python.pipCache",
         {"~/Library/Caches/pip/http", "~/.cache/pip/wheels", "~/Library/Caches/uv/x",
          "~/Library/Caches/pypoetry/x", "~/.cache/uv/x", "~/.cache/pypoetry/x"},
         {"~/.cache/uvx/x", "~/.local/share/uv/python"}},
        {"python.venvs", {"~/p/app/.venv", "~/p/app/venv"}, {"~/p/app/.venv/lib", "~/p/app/env"}},
        {"maven.repository", {"~/.m2/repository/org"}, {"~/.m2/repository/org/apache", "~/.m2/repository"}},
        {"jetbrains.caches",
         {"~/Library/Caches/JetBrains/IntelliJ", "~/.cache/JetBrains/IntelliJIdea2024.1"},
         {"~/Library/Caches/JetBrainsX", "~/.config/JetBrains/IntelliJIdea2024.1",
          "~/.local/share/JetBrains/x"}},
        {"editors.caches",
         {as + "/Code/Cache/x", as + "/Code/CachedData/x", as + "/Code/CachedExtensionVSIXs/x",
          as + "/Cursor/Cache/x", as + "/Cursor/CachedData/x", as + "/Windsurf/CachedData/x",
          cfg + "/Code/Cache",
          cfg + "/Code/CachedData/x", cfg + "/Code/CachedExtensionVSIXs/x", cfg + "/Code/GPUCache/x",
          cfg + "/Code/Code Cache/js", cfg + "/Cursor/Cache/x", cfg + "/Cursor/CachedData/x",
          cfg + "/Cursor/GPUCache/x", cfg + "/Cursor/Code Cache/js", cfg + "/Windsurf/CachedData/x"},
         {as + "/Code/User", as + "/Windsurf/Cache/x", cfg + "/Code", cfg + "/Code/User",
          cfg + "/Code/User/settings.json", cfg + "/Code/extensions", cfg + "/Code/CachedProfilesData",
          cfg + "/Windsurf/Cache/x", cfg + "/Windsurf/User", cfg + "/Zed/Cache/x", "~/.config/Cache/x",
          "~/.vscode/extensions/x"}},
        {"swift.toolchains", {"~/Library/Caches/org.swift.swiftpm/x"}, {"~/Library/org.swift.swiftpm/x"}},
        {"apps.bundle",
         {"/Applications/Foo.app", "/Applications/Utilities/Term.app", "~/Applications/Foo.app",
          "~/Apps/Foo.AppImage", "~/.local/bin/Foo.AppImage", "~/.local/share/applications/foo.desktop"},
         {"/Applications", "/Applications/Foo.app/Contents", "~/.local/bin/foo", "~/Apps/Foo.appimage",
          "~/.local/share/applications/sub/foo.desktop"}},
        {"apps.leftovers",
         {"~/Library/Application Support/com.example", "~/Library/Caches/com.example",
          "~/Library/Containers/com.example", "~/Library/Group Containers/group.example",
          "~/Library/Preferences/com.example.plist",
          "~/Library/Saved Application State/com.example.savedState", "~/Library/HTTPStorages/com.example",
          "~/Library/WebKit/com.example", "~/Library/Application Scripts/com.example",
          "~/Library/Logs/Example", "~/Library/Cookies/com.example.binarycookies",
          "~/Library/LaunchAgents/com.example.plist", "~/.var/app/org.example.App", "~/.config/org.example.App",
          "~/.local/share/org.example.App", "~/.cache/org.example.App", "~/.local/state/org.example.App"},
         {"~/Library/Caches/com.example/x", "~/Library/Fonts/x", "~/.config/Code/User", "~/.var/app",
          "~/.var/app/org.example.App/config"}},
        {"general.userChoice", {"~/anything/x"}, {"/home-elsewhere/x"}},
    };
    return cases;
}

TEST_F(SafetyPolicyTest, RegistryHoldsEveryRuleOnceWithItsShapeCount) {
    const auto& shapes = SafetyPolicy::ruleShapes();
    EXPECT_EQ(shapes.size(), 58u);
    EXPECT_EQ(ruleCases().size(), 58u);
    for (const auto& row : ruleCases()) {
        auto found = shapes.find(row.id);
        ASSERT_NE(found, shapes.end()) << row.id;
        EXPECT_EQ(found->second.size(), row.accepted.size()) << row.id;
    }
    // "~" shapes refer to the home in force, and only a leading one is expanded.
    EXPECT_EQ(shapes.at("general.userChoice").front().description(), home() + "/**");
    EXPECT_EQ(shapes.at("node.modules").front().description(), "**/node_modules");
}

TEST_F(SafetyPolicyTest, EachRuleAcceptsEachOfItsShapesInOrder) {
    const auto& shapes = SafetyPolicy::ruleShapes();
    for (const auto& row : ruleCases()) {
        const auto& patterns = shapes.at(row.id);
        for (std::size_t i = 0; i < row.accepted.size(); ++i) {
            const std::string path = expand(row.accepted[i]);
            EXPECT_EQ(SafetyPolicy::check(path, row.id, kPath), kAllowed) << row.id << " " << path;
            // The example is caught by its own shape first, so the order is right.
            std::size_t first = patterns.size();
            for (std::size_t k = 0; k < patterns.size(); ++k) {
                if (patterns[k].matches(path)) {
                    first = k;
                    break;
                }
            }
            EXPECT_EQ(first, i) << row.id << " " << path;
        }
    }
}

TEST_F(SafetyPolicyTest, EachRuleRefusesSiblingsItMayNotProduce) {
    for (const auto& row : ruleCases()) {
        ASSERT_FALSE(row.refused.empty()) << row.id;
        for (const auto& sibling : row.refused) {
            EXPECT_EQ(SafetyPolicy::check(expand(sibling), row.id, kPath), denied(shapeMismatch(row.id)))
                << row.id << " " << sibling;
        }
    }
}

TEST_F(SafetyPolicyTest, SwiftToolchainsSharesItsShapeWithTheFirstSwiftpmShape) {
    const auto& shapes = SafetyPolicy::ruleShapes();
    EXPECT_EQ(shapes.at("swift.toolchains").front(), shapes.at("xcode.swiftpm").front());
}

TEST_F(SafetyPolicyTest, RegisterRuleParsesInOrderAndNeverReplacesAnId) {
    SafetyPolicy::RuleShapes table;
    EXPECT_TRUE(SafetyPolicy::registerRule("a", {"/x/*", "/y/**"}, table));
    EXPECT_FALSE(SafetyPolicy::registerRule("a", {"/z"}, table));
    ASSERT_EQ(table.at("a").size(), 2u);
    EXPECT_EQ(table.at("a")[0].description(), "/x/*");
    EXPECT_EQ(table.at("a")[1].description(), "/y/**");
}

TEST_F(SafetyPolicyTest, AppFolderTableHasOnlyTheApplicationsFolder) {
    const SafetyPolicy::AppFolderRules expected = {{"apps.bundle", {"/Applications"}}};
    EXPECT_EQ(SafetyPolicy::appFolderRules(), expected);
}

// ---------------------------------------------------------------------------
// The check

TEST_F(SafetyPolicyTest, CommandRemovalPassesWithoutAnyPathTest) {
    const auto prune = RemovalKind::command(ExternalTool::docker, {"builder", "prune", "-f"});
    EXPECT_EQ(SafetyPolicy::check("/", "docker.buildCache", prune), kAllowed);
    EXPECT_EQ(SafetyPolicy::check("relative", "not.a.rule", prune), kAllowed);
    EXPECT_EQ(SafetyPolicy::check(home(".ssh"), "general.userChoice", prune), kAllowed);
}

TEST_F(SafetyPolicyTest, UnregisteredRuleIsDeniedEvenWhereAnotherRuleAllows) {
    const std::string path = home("projects/app/node_modules");
    ASSERT_EQ(SafetyPolicy::check(path, "node.modules", kPath), kAllowed);
    EXPECT_EQ(SafetyPolicy::check(path, "node.module", kPath), denied(notRegistered("node.module")));
    EXPECT_EQ(SafetyPolicy::check(path, "", kPath), denied(notRegistered("")));
    EXPECT_EQ(SafetyPolicy::check(path, "Node.Modules", kPath), denied(notRegistered("Node.Modules")));
}

TEST_F(SafetyPolicyTest, CandidateOverloadUsesItsPathRuleAndRemoval) {
    CleanupCandidate candidate;
    candidate.ruleID = "xcode.derivedData";
    candidate.path = home("Library/Developer/Xcode/DerivedData/App-abc");
    candidate.removal = kPath;
    EXPECT_EQ(SafetyPolicy::check(candidate), kAllowed);
    candidate.path = home("Library/Developer/Xcode/DerivedData");
    EXPECT_EQ(SafetyPolicy::check(candidate), denied(shapeMismatch("xcode.derivedData")));
    candidate.removal = RemovalKind::command(ExternalTool::simctl, {"delete", "unavailable"});
    EXPECT_EQ(SafetyPolicy::check(candidate), kAllowed);
}

TEST_F(SafetyPolicyTest, DotAndDotDotComponentsAreJudgedOnTheStandardisedPath) {
    const std::string target = home("Library/Developer/Xcode/DerivedData/App-abc");
    for (const std::string& given : {
             home("Library/Developer/Xcode/DerivedData/x/../App-abc"),
             home("Library/./Developer//Xcode/DerivedData/App-abc/"),
             home("Library/Developer/Xcode/DerivedData/App-abc/."),
             std::string("~/Library/Developer/Xcode/DerivedData/App-abc"),
         }) {
        auto checked = SafetyPolicy::checked(given, "xcode.derivedData", kPath);
        EXPECT_EQ(checked.verdict, kAllowed) << given;
        // The path to act on is the one that was judged, not the one given.
        EXPECT_EQ(checked.path, target) << given;
    }
    // A ".." that climbs out of the allowed shape is refused by shape.
    auto escaped = SafetyPolicy::checked(home("Library/Developer/Xcode/DerivedData/App-abc/../../../.."),
                                         "xcode.derivedData", kPath);
    EXPECT_EQ(escaped.path, home("Library"));
    EXPECT_EQ(escaped.verdict, denied(shapeMismatch("xcode.derivedData")));
    // A ".." that climbs out of the home folder itself.
    EXPECT_EQ(SafetyPolicy::check(home("projects/../../../etc"), "general.userChoice", kPath),
              denied(shapeMismatch("general.userChoice")));
    EXPECT_EQ(SafetyPolicy::verdict(home("a/../../..")), denied(kOutside));
    EXPECT_EQ(SafetyPolicy::verdict("/../../etc/passwd"), denied(kOutside));
    EXPECT_EQ(SafetyPolicy::verdict(home("projects/..")), denied(kProtectedFolder));
    EXPECT_EQ(SafetyPolicy::verdict(home("x/../.ssh/id")), denied(containsName(".ssh")));
}

TEST_F(SafetyPolicyTest, BundleRuleRoutesOnlyTheApplicationsFolderToTheBundleVerdict) {
    // The bundle verdict insists on ".app"; the general verdict does not.
    EXPECT_EQ(SafetyPolicy::check("/Applications/Foo.app", "apps.bundle", kPath), kAllowed);
    EXPECT_EQ(SafetyPolicy::check("/Applications/Foo", "apps.bundle", kPath),
              denied("Only application bundles can be removed from here"));
    EXPECT_EQ(SafetyPolicy::check("/Applications/Utilities/Foo", "apps.bundle", kPath),
              denied("Only application bundles can be removed from here"));
    EXPECT_EQ(SafetyPolicy::check(home("Applications/Foo"), "apps.bundle", kPath), kAllowed);
    EXPECT_EQ(SafetyPolicy::check("/Applications", "apps.bundle", kPath),
              denied(shapeMismatch("apps.bundle")));
}

TEST_F(SafetyPolicyTest, AnyDepthShapesStillFaceTheGeneralVerdict) {
    EXPECT_EQ(SafetyPolicy::check("/usr/lib/node_modules", "node.modules", kPath), denied(kOutside));
    EXPECT_EQ(SafetyPolicy::check("/node_modules", "node.modules", kPath), denied(kOutside));
    EXPECT_EQ(SafetyPolicy::check(home(".ssh/x/node_modules"), "node.modules", kPath),
              denied(containsName(".ssh")));
    tree.folder("home/user/projects/app/.git");
    EXPECT_EQ(SafetyPolicy::check(home("projects/app"), "general.userChoice", kPath), denied(kRepository));
    tree.folder("home/user/projects/app/node_modules/.git");
    EXPECT_EQ(SafetyPolicy::check(home("projects/app/node_modules"), "node.modules", kPath), kAllowed);
}

TEST_F(SafetyPolicyTest, UserChoiceAdmitsTheHomeByShapeButTheVerdictRefusesIt) {
    EXPECT_EQ(SafetyPolicy::check(home(), "general.userChoice", kPath), denied(kProtectedFolder));
    EXPECT_EQ(SafetyPolicy::check(home("Downloads"), "general.userChoice", kPath), denied(kProtectedFolder));
    EXPECT_EQ(SafetyPolicy::check(home("Downloads/big.iso"), "general.userChoice", kPath), kAllowed);
}

TEST_F(SafetyPolicyTest, RegistryFollowsTheHomeFolder) {
    const std::string oldPath = home("Library/Caches/CocoaPods/Pods");
    ASSERT_EQ(SafetyPolicy::check(oldPath, "cocoapods.cache", kPath), kAllowed);
    const std::string other = tree.folder("other/user");
    {
        HomeOverride second(other);
        EXPECT_EQ(SafetyPolicy::check(oldPath, "cocoapods.cache", kPath),
                  denied(shapeMismatch("cocoapods.cache")));
        EXPECT_EQ(SafetyPolicy::check(other + "/Library/Caches/CocoaPods/Pods", "cocoapods.cache", kPath),
                  kAllowed);
        EXPECT_EQ(SafetyPolicy::ruleShapes().at("general.userChoice").front().description(), other + "/**");
    }
    EXPECT_EQ(SafetyPolicy::check(oldPath, "cocoapods.cache", kPath), kAllowed);
}

TEST_F(SafetyPolicyTest, ConcurrentChecksAgree) {
    tree.folder("home/user/projects/app/.git");
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                if (SafetyPolicy::check(home("projects/app/node_modules"), "node.modules", kPath) != kAllowed)
                    ++wrong;
                if (SafetyPolicy::check(home("projects/app"), "general.userChoice", kPath) !=
                    denied(kRepository))
                    ++wrong;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

// ---------------------------------------------------------------------------
// The general verdict

TEST_F(SafetyPolicyTest, RelativeAndEmptyPathsAreNotAbsolute) {
    EXPECT_EQ(SafetyPolicy::verdict("projects/app"), denied(kNotAbsolute));
    EXPECT_EQ(SafetyPolicy::verdict(""), denied(kNotAbsolute));
    EXPECT_EQ(SafetyPolicy::verdict("./x"), denied(kNotAbsolute));
    EXPECT_EQ(SafetyPolicy::check("Library/Caches/x", "general.userChoice", kPath),
              denied(shapeMismatch("general.userChoice")));
}

TEST_F(SafetyPolicyTest, ProtectedFoldersAreExactlyTheRootsAndHomeFolders) {
    std::set<std::string> expected = {"/",    "/System", "/Applications", "/Users", "/Library",
                                      "/usr", "/bin",    "/etc",          "/var",   "/opt"};
    for (const char* suffix : {"",
                               "/Library",
                               "/Documents",
                               "/Desktop",
                               "/Downloads",
                               "/Pictures",
                               "/Movies",
                               "/Music",
                               "/Public",
                               "/Applications",
                               "/Library/Developer",
                               "/Library/Caches",
                               "/Library/Application Support",
                               "/Library/Developer/Xcode",
                               "/Library/Developer/CoreSimulator",
                               "/Library/Android",
                               "/Library/Android/sdk",
                               "/.gradle",
                               "/.android",
                               "/.npm",
                               "/.cargo",
                               "/go",
                               "/.nvm",
                               "/.rustup",
                               "/.pub-cache",
                               "/.m2",
                               "/Android",
                               "/Android/Sdk",
                               "/.cache"})
        expected.insert(home() + suffix);
    EXPECT_EQ(expected.size(), 39u);
    EXPECT_EQ(SafetyPolicy::protectedHomeFolders(), expected);
    for (const auto& folder : expected) {
        EXPECT_EQ(SafetyPolicy::verdict(folder), denied(kProtectedFolder)) << folder;
        EXPECT_EQ(SafetyPolicy::verdict(folder + "/"), denied(kProtectedFolder)) << folder;
        EXPECT_EQ(SafetyPolicy::check(folder, "general.userChoice", kPath).isDenied(), true) << folder;
    }
}

TEST_F(SafetyPolicyTest, InsideAProtectedFolderIsJudgedFurther) {
    EXPECT_EQ(SafetyPolicy::verdict(home("Library/Caches/com.example.app")), kAllowed);
    EXPECT_EQ(SafetyPolicy::verdict(home("go/pkg")), kAllowed);
    EXPECT_EQ(SafetyPolicy::verdict(home("Libraryx")), kAllowed);
}

TEST_F(SafetyPolicyTest, AllowedRootsAndDepth) {
    EXPECT_EQ(SafetyPolicy::allowedRoots(),
              (std::vector<std::string>{home(), "/private/var/folders", "/var/folders"}));
    EXPECT_EQ(SafetyPolicy::verdict("/etc/hosts"), denied(kOutside));
    EXPECT_EQ(SafetyPolicy::verdict("/Applications/Utilities"), denied(kOutside));
    EXPECT_EQ(SafetyPolicy::verdict("/etc"), denied(kProtectedFolder));
    EXPECT_EQ(SafetyPolicy::verdict(tree.path("home")), denied(kOutside));
    EXPECT_EQ(SafetyPolicy::verdict(home() + "x/y"), denied(kOutside));  // a sibling sharing the prefix
    EXPECT_EQ(SafetyPolicy::verdict("/var/folders"), denied(kTooClose));
    EXPECT_EQ(SafetyPolicy::verdict("/private/var/folders"), denied(kTooClose));
    EXPECT_EQ(SafetyPolicy::verdict("/var/folders/ab"), kAllowed);
    EXPECT_EQ(SafetyPolicy::verdict("/private/var/folders/ab/cd"), kAllowed);
}

TEST_F(SafetyPolicyTest, EveryProtectedNameRefusesAnywhereInThePath) {
    const std::set<std::string, std::less<>> expected = {".ssh",
                                                         ".gnupg",
                                                         ".aws",
                                                         ".kube",
                                                         ".azure",
                                                         ".config",
                                                         "gcloud",
                                                         "Keychains",
                                                         "Passwords",
                                                         "iCloud Drive",
                                                         "Mobile Documents",
                                                         "Photos Library.photoslibrary",
                                                         "Music Library.musiclibrary",
                                                         "creds",
                                                         "credentials",
                                                         "secrets",
                                                         ".netrc",
                                                         ".npmrc",
                                                         ".env",
                                                         "id_rsa",
                                                         "id_ed25519",
                                                         ".gitconfig",
                                                         ".git"};
    EXPECT_EQ(expected.size(), 23u);
    EXPECT_EQ(SafetyPolicy::protectedNames(), expected);
    for (const auto& name : expected) {
        EXPECT_EQ(SafetyPolicy::verdict(home(name)), denied(containsName(name))) << name;
        EXPECT_EQ(SafetyPolicy::verdict(home("projects/" + name + "/cache")), denied(containsName(name)))
            << name;
        EXPECT_EQ(SafetyPolicy::check(home("Library/Caches/" + name), "apps.leftovers", kPath),
                  denied(containsName(name)))
            << name;
        // Only whole components count.
        EXPECT_EQ(SafetyPolicy::verdict(home("projects/" + name + "x")), kAllowed) << name;
        EXPECT_EQ(SafetyPolicy::verdict(home("projects/x" + name)), kAllowed) << name;
    }
    EXPECT_EQ(SafetyPolicy::verdict(home("Documents/site/.env/cache")), denied(containsName(".env")));
    EXPECT_EQ(SafetyPolicy::verdict(home("projects/app/.git/objects")), denied(containsName(".git")));
    EXPECT_EQ(SafetyPolicy::verdict(home(".config/x")), denied(containsName(".config")));
    // The first protected component is named.
    EXPECT_EQ(SafetyPolicy::verdict(home(".aws/.ssh")), denied(containsName(".aws")));
    // Case matters.
    EXPECT_EQ(SafetyPolicy::verdict(home("projects/.SSH")), kAllowed);
}

TEST_F(SafetyPolicyTest, RepositoriesAreRefusedExceptTheirBuildFolders) {
    const std::set<std::string, std::less<>> exempt = {"node_modules",  "build", ".gradle", "Pods",
                                                       ".dart_tool",    ".next", ".expo",   ".turbo",
                                                       ".parcel-cache", ".venv", "venv",    "DerivedData"};
    EXPECT_EQ(SafetyPolicy::repositoryExemptNames(), exempt);

    tree.folder("home/user/projects/app/.git");
    EXPECT_EQ(SafetyPolicy::verdict(home("projects/app")), denied(kRepository));
    EXPECT_EQ(SafetyPolicy::verdict(home("projects/app/")), denied(kRepository));
    // A ".git" file (worktree or submodule) counts too, and so does a dangling link.
    tree.text("home/user/projects/worktree/.git", "gitdir: /elsewhere\n");
    EXPECT_EQ(SafetyPolicy::verdict(home("projects/worktree")), denied(kRepository));
    tree.symlink("home/user/projects/linked/.git", tree.path("nowhere"));
    EXPECT_EQ(SafetyPolicy::verdict(home("projects/linked")), denied(kRepository));
    // Only an entry inside counts: the folder above a repository is judged normally.
    EXPECT_EQ(SafetyPolicy::verdict(home("projects")), kAllowed);
    for (const auto& name : exempt) {
        tree.folder("home/user/projects/app/" + name + "/.git");
        EXPECT_EQ(SafetyPolicy::verdict(home("projects/app/" + name)), kAllowed) << name;
    }
    tree.folder("home/user/projects/app/src/.git");
    EXPECT_EQ(SafetyPolicy::verdict(home("projects/app/src")), denied(kRepository));
    // The exemption is by the standardised last component.
    EXPECT_EQ(SafetyPolicy::verdict(home("projects/app/build/.")), kAllowed);
    EXPECT_EQ(SafetyPolicy::verdict(home("projects/app/build/../src")), denied(kRepository));
}

TEST_F(SafetyPolicyTest, LinksThatLeadSomewhereProtectedAreRefused) {
    tree.symlink("home/user/work/usr", "/usr");
    EXPECT_EQ(SafetyPolicy::verdict(home("work/usr")), denied(kResolvesProtected));
    // Through a link in the middle of the path.
    EXPECT_EQ(SafetyPolicy::verdict(home("work/usr/lib")), denied(kResolvesProtected));
    EXPECT_EQ(SafetyPolicy::verdict(home("work/usr/no-such-entry/x")), denied(kResolvesProtected));

    tree.folder("home/user/Library");
    tree.symlink("home/user/work/lib", home("Library"));
    EXPECT_EQ(SafetyPolicy::verdict(home("work/lib")), denied(kResolvesProtected));
    tree.symlink("home/user/work/self", home());
    EXPECT_EQ(SafetyPolicy::verdict(home("work/self")), denied(kResolvesProtected));
    tree.symlink("home/user/work/up", tree.path("home"));
    EXPECT_EQ(SafetyPolicy::verdict(home("work/up")), denied(kResolvesProtected));
    tree.symlink("home/user/work/relative", "../../..");
    EXPECT_EQ(SafetyPolicy::verdict(home("work/relative")), denied(kResolvesProtected));

    tree.folder("home/user/elsewhere/x");
    tree.symlink("home/user/work/fine", home("elsewhere/x"));
    EXPECT_EQ(SafetyPolicy::verdict(home("work/fine")), kAllowed);
    tree.symlink("home/user/work/fine-relative", "../elsewhere/x");
    EXPECT_EQ(SafetyPolicy::verdict(home("work/fine-relative")), kAllowed);
}

TEST_F(SafetyPolicyTest, LinksThatLeadIntoAProtectedNameAreRefused) {
    tree.folder("home/user/.ssh");
    tree.symlink("home/user/work", home(".ssh"));
    EXPECT_EQ(SafetyPolicy::verdict(home("work")), denied(kResolvesProtected));
    EXPECT_EQ(SafetyPolicy::check(home("work"), "general.userChoice", kPath), denied(kResolvesProtected));
    tree.folder("home/user/projects/app/.git/objects");
    tree.symlink("home/user/objects", home("projects/app/.git/objects"));
    EXPECT_EQ(SafetyPolicy::verdict(home("objects")), denied(kResolvesProtected));
    // A link into a protected name that does not exist yet (still a protected place).
    tree.symlink("home/user/keys", home(".gnupg"));
    EXPECT_EQ(SafetyPolicy::verdict(home("keys")), kAllowed);  // dangling: nothing to follow
    tree.folder("home/user/.gnupg");
    EXPECT_EQ(SafetyPolicy::verdict(home("keys")), denied(kResolvesProtected));
}

TEST_F(SafetyPolicyTest, LinkLoopsAndDanglingLinksDoNotHang) {
    tree.symlink("home/user/loop/a", "b");
    tree.symlink("home/user/loop/b", "a");
    EXPECT_EQ(SafetyPolicy::verdict(home("loop/a")), kAllowed);
    EXPECT_EQ(SafetyPolicy::verdict(home("loop/a/x")), kAllowed);
    tree.symlink("home/user/dangling", tree.path("gone/x"));
    EXPECT_EQ(SafetyPolicy::verdict(home("dangling")), kAllowed);
}

// ---------------------------------------------------------------------------
// Homes that are links, or that cannot be used

TEST(SafetyPolicyHomeTest, HomeThatIsALinkStillWorksAndProtects) {
    TempTree tree;
    tree.folder("real/user/.ssh");
    tree.folder("real/user/Library");
    tree.folder("real/user/projects/cache");
    const std::string link = tree.symlink("link-user", tree.path("real/user"));
    HomeOverride override(link);
    ASSERT_EQ(Paths::home(), link);

    EXPECT_EQ(SafetyPolicy::verdict(link + "/projects/cache"), kAllowed);
    EXPECT_EQ(SafetyPolicy::check(link + "/projects/cache", "general.userChoice", kPath), kAllowed);
    EXPECT_EQ(SafetyPolicy::verdict(link + "/Library"), denied(kProtectedFolder));
    EXPECT_EQ(SafetyPolicy::verdict(link + "/.ssh/id"), denied(containsName(".ssh")));

    // Links inside the home are compared against the resolved protected folders.
    tree.symlink("real/user/work-lib", link + "/Library");
    EXPECT_EQ(SafetyPolicy::verdict(link + "/work-lib"), denied(kResolvesProtected));
    tree.symlink("real/user/work-ssh", tree.path("real/user/.ssh"));
    EXPECT_EQ(SafetyPolicy::verdict(link + "/work-ssh"), denied(kResolvesProtected));
    tree.symlink("real/user/work-home", tree.path("real/user"));
    EXPECT_EQ(SafetyPolicy::verdict(link + "/work-home"), denied(kResolvesProtected));
    tree.symlink("real/user/work-out", tree.path("real"));
    EXPECT_EQ(SafetyPolicy::verdict(link + "/work-out"), denied(kResolvesProtected));
}

TEST(SafetyPolicyHomeTest, HomesFolderThatIsALink) {
    TempTree tree;
    tree.folder("data/homes/user/projects/cache");
    tree.folder("data/homes/user/Library");
    tree.symlink("homes", tree.path("data/homes"));
    const std::string home = tree.path("homes/user");
    HomeOverride override(home);

    EXPECT_EQ(SafetyPolicy::verdict(home + "/projects/cache"), kAllowed);
    EXPECT_EQ(SafetyPolicy::verdict(home + "/Library/Caches/x"), kAllowed);
    tree.symlink("data/homes/user/lib", tree.path("data/homes/user/Library"));
    EXPECT_EQ(SafetyPolicy::verdict(home + "/lib"), denied(kResolvesProtected));
    tree.folder("data/homes/other/stuff");
    tree.symlink("data/homes/user/neighbour", tree.path("data/homes/other/stuff"));
    EXPECT_EQ(SafetyPolicy::verdict(home + "/neighbour"), denied(kResolvesProtected));
}

TEST(SafetyPolicyHomeTest, UnusableHomesDenyEveryPathRemoval) {
    TempTree tree;
    tree.folder("somewhere/x");
    const std::string file = tree.text("plain-file", "not a folder");
    for (const std::string& badHome :
         {std::string("/"), std::string("relative/home"), tree.path("missing"), file}) {
        HomeOverride override(badHome);
        ASSERT_FALSE(Paths::homeIsUsable()) << badHome;
        const Verdict expected = denied(kUnusableHome);
        EXPECT_EQ(SafetyPolicy::verdict(tree.path("somewhere/x")), expected) << badHome;
        EXPECT_EQ(SafetyPolicy::verdict("/var/folders/ab/cd"), expected) << badHome;
        EXPECT_EQ(SafetyPolicy::verdictForPath(tree.path("somewhere/x")), expected) << badHome;
        EXPECT_EQ(SafetyPolicy::appBundleVerdict("/Applications/Foo.app"), expected) << badHome;
        EXPECT_EQ(SafetyPolicy::check(tree.path("somewhere/x"), "general.userChoice", kPath), expected)
            << badHome;
        EXPECT_EQ(SafetyPolicy::check("/var/folders/ab/cd12/T/metro-x", "rn.metroCache", kPath), expected)
            << badHome;
        EXPECT_EQ(SafetyPolicy::check("/Applications/Foo.app", "apps.bundle", kPath), expected) << badHome;
        // The rule id is still named when it is unknown; commands are unaffected.
        EXPECT_EQ(SafetyPolicy::check("/x/y/z", "no.such", kPath), denied(notRegistered("no.such")));
        EXPECT_EQ(SafetyPolicy::check("/x", "no.such", RemovalKind::command(ExternalTool::brew, {"cleanup"})),
                  kAllowed);
    }
}

// ---------------------------------------------------------------------------
// Odd names

TEST_F(SafetyPolicyTest, NulBytesAreNeverValid) {
    const std::string withNul = home("projects/a") + std::string(1, '\0') + "/../../../etc";
    EXPECT_EQ(SafetyPolicy::verdict(withNul), denied(kInvalid));
    EXPECT_EQ(SafetyPolicy::verdictForPath(withNul), denied(kInvalid));
    EXPECT_EQ(SafetyPolicy::appBundleVerdict(std::string("/Applications/Foo.app\0x", 23)), denied(kInvalid));
    auto checked = SafetyPolicy::checked(withNul, "general.userChoice", kPath);
    EXPECT_EQ(checked.verdict, denied(kInvalid));
    EXPECT_TRUE(checked.path.empty());
    EXPECT_EQ(SafetyPolicy::check(home("Library/Caches/x") + std::string(1, '\0'), "apps.leftovers", kPath),
              denied(kInvalid));
}

TEST_F(SafetyPolicyTest, NewlinesAndInvalidUtf8AreOrdinaryBytes) {
    const std::string newline = "Library/Caches/weird\nname";
    const std::string invalid = "Library/Caches/bad\xff\xfe";
    tree.folder("home/user/" + newline);
    tree.folder("home/user/" + invalid);
    EXPECT_EQ(SafetyPolicy::check(home(newline), "apps.leftovers", kPath), kAllowed);
    EXPECT_EQ(SafetyPolicy::check(home(invalid), "apps.leftovers", kPath), kAllowed);
    EXPECT_EQ(SafetyPolicy::checked(home(invalid), "apps.leftovers", kPath).path, home(invalid));
    // A name that only looks like a protected one is not protected.
    EXPECT_EQ(SafetyPolicy::verdict(home("projects/.ssh\n")), kAllowed);
    EXPECT_EQ(SafetyPolicy::verdict(home("projects/\xff/.ssh")), denied(containsName(".ssh")));
    EXPECT_EQ(SafetyPolicy::verdict(home("projects/line\nbreak/.env")), denied(containsName(".env")));
    // The repository test works on such names too.
    tree.folder("home/user/projects/r\xe9po\n/.git");
    EXPECT_EQ(SafetyPolicy::verdict(home("projects/r\xe9po\n")), denied(kRepository));
}

// ---------------------------------------------------------------------------
// The application-bundle and restore-destination verdicts

TEST_F(SafetyPolicyTest, BundleVerdict) {
    EXPECT_EQ(SafetyPolicy::appBundleVerdict("/Applications/Foo.app"), kAllowed);
    EXPECT_EQ(SafetyPolicy::appBundleVerdict("/Applications/Foo.app/"), kAllowed);
    EXPECT_EQ(SafetyPolicy::appBundleVerdict("/Applications/Foo"),
              denied("Only application bundles can be removed from here"));
    EXPECT_EQ(SafetyPolicy::appBundleVerdict("/Applications/Foo.app/Contents/.."), kAllowed);
    EXPECT_EQ(SafetyPolicy::appBundleVerdict("/System/Applications/Safari.app"),
              denied("System applications are managed by the system"));
    EXPECT_EQ(SafetyPolicy::appBundleVerdict("Foo.app"), denied(kNotAbsolute));

    tree.folder("apps/Real.app");
    EXPECT_EQ(SafetyPolicy::appBundleVerdict(tree.path("apps/Real.app")), kAllowed);
    tree.symlink("apps/Link.app", tree.path("apps/Real.app"));
    EXPECT_EQ(SafetyPolicy::appBundleVerdict(tree.path("apps/Link.app")), denied("Resolves somewhere else"));
    tree.symlink("apps-link", tree.path("apps"));
    EXPECT_EQ(SafetyPolicy::appBundleVerdict(tree.path("apps-link/Real.app")),
              denied("Resolves somewhere else"));
}

TEST(SafetyPolicyHomeTest, BundleVerdictRefusesAProtectedFolderNamedLikeABundle) {
    TempTree tree;
    const std::string home = tree.folder("Home.app");
    HomeOverride override(home);
    EXPECT_EQ(SafetyPolicy::appBundleVerdict(home), denied("This is a protected system folder"));
    EXPECT_EQ(SafetyPolicy::appBundleVerdict(home + "/Applications/Foo.app"), kAllowed);
}

TEST_F(SafetyPolicyTest, RestoreDestinationPicksTheVerdictByFolder) {
    EXPECT_EQ(SafetyPolicy::verdictForPath("/Applications/Foo.app"), kAllowed);
    EXPECT_EQ(SafetyPolicy::verdictForPath("/Applications/Foo"),
              denied("Only application bundles can be removed from here"));
    EXPECT_EQ(SafetyPolicy::verdictForPath("/Applications/Utilities/Foo"),
              denied("Only application bundles can be removed from here"));
    EXPECT_EQ(SafetyPolicy::verdictForPath("/Applications"), denied(kProtectedFolder));
    EXPECT_EQ(SafetyPolicy::verdictForPath("/ApplicationsX/Foo.app"), denied(kOutside));
    EXPECT_EQ(SafetyPolicy::verdictForPath(home("Library/Caches/x")), kAllowed);
    EXPECT_EQ(SafetyPolicy::verdictForPath(home("Applications/Foo")), kAllowed);
    EXPECT_EQ(SafetyPolicy::verdictForPath(home(".ssh/known_hosts")), denied(containsName(".ssh")));
    EXPECT_EQ(SafetyPolicy::verdictForPath("/etc/passwd"), denied(kOutside));
}

// ---------------------------------------------------------------------------
// Places the path's text does not tell: very long paths, locked folders, mounts

// Beyond PATH_MAX a path-based look for ".git" fails with ENAMETOOLONG; the
// repository must still be recognised.
TEST_F(SafetyPolicyTest, RepositoryLongerThanPathMaxIsStillARepository) {
    auto repository = testing::deepFolders(home(), 45, std::string(100, 'r'));
    ASSERT_GT(repository.path.size(), 4096u);
    auto plain = testing::deepFolders(tree.folder("home/user/plain"), 45, std::string(100, 'p'));
    ASSERT_EQ(mkdirat(repository.fd.get(), ".git", 0755), 0);

    EXPECT_EQ(SafetyPolicy::verdict(repository.path), denied(kRepository));
    EXPECT_EQ(SafetyPolicy::check(repository.path, "general.userChoice", kPath), denied(kRepository));
    EXPECT_EQ(SafetyPolicy::verdict(plain.path), kAllowed);
}

// The resolution reaches links beyond PATH_MAX too, and a thousand levels
// down is no different from one.
TEST_F(SafetyPolicyTest, LinksBeyondPathMaxAreFollowed) {
    tree.folder("home/user/.ssh");
    auto deep = testing::deepFolders(home(), 45, std::string(100, 'd'));
    ASSERT_EQ(symlinkat(home(".ssh").c_str(), deep.fd.get(), "keys"), 0);
    EXPECT_EQ(SafetyPolicy::verdict(deep.path + "/keys"), denied(kResolvesProtected));
    EXPECT_EQ(SafetyPolicy::verdict(deep.path + "/keys/id"), denied(kResolvesProtected));

    auto deeper = testing::deepFolders(home(), 1000, "n");
    ASSERT_EQ(mkdirat(deeper.fd.get(), ".git", 0755), 0);
    EXPECT_EQ(SafetyPolicy::verdict(deeper.path), denied(kRepository));
}

TEST_F(SafetyPolicyTest, ACancelStopsADeepCheck) {
    const std::string deep = testing::deepFolders(home(), 400, "d").path;
    Flag cancel;
    EXPECT_EQ(SafetyPolicy::checked(deep, "general.userChoice", kPath, &cancel).verdict, kAllowed);
    cancel.setValue(true);
    auto stopped = SafetyPolicy::checked(deep, "general.userChoice", kPath, &cancel);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.verdict.isDenied());
    auto other = SafetyPolicy::checked(home("missing"), "no.such", kPath, &cancel);
    EXPECT_FALSE(other.cancelled);
}

// As a normal user a locked folder cannot be looked into: whatever it holds,
// a repository included, it is refused rather than taken for empty.
TEST_F(SafetyPolicyTest, FoldersThatCannotBeLookedIntoAreRefused) {
    struct Row {
        std::string folder;
        mode_t mode;
        bool repository;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"locked-repo", 0000, true, kCannotLook},
        {"write-only-repo", 0200, true, kCannotLook},
        {"search-only-repo", 0100, true, kRepository},
        {"open-repo", 0700, true, kRepository},
        {"locked-plain", 0000, false, kCannotLook},
        {"open-plain", 0700, false, "allowed"},
    };
    for (const Row& row : rows) {
        tree.folder("home/user/" + row.folder + (row.repository ? "/.git" : "/inside"));
        tree.folder("home/user/" + row.folder + "-parent/" + row.folder + "/x");
    }
    ASSERT_TRUE(testing::handToUnprivileged(tree.root()));
    for (const Row& row : rows) {
        ASSERT_EQ(chmod(home(row.folder).c_str(), row.mode), 0);
        ASSERT_EQ(chmod(home(row.folder + "-parent").c_str(), row.mode), 0);
    }
    ASSERT_EQ(chmod(tree.root().c_str(), 0755), 0);

    auto seen = testing::runInChild({.unprivileged = true}, [&] {
        std::string text;
        auto show = [](const Verdict& v) { return v.isAllowed() ? std::string("allowed") : v.reason(); };
        for (const Row& row : rows) {
            text += show(SafetyPolicy::check(home(row.folder), "general.userChoice", kPath)) + "\n";
            // A folder below one that cannot be searched cannot be resolved either.
            text += show(SafetyPolicy::verdict(home(row.folder + "-parent/" + row.folder))) + "\n";
        }
        return text;
    });
    if (!seen) GTEST_SKIP() << "cannot run as an unprivileged user here";
    std::string expected;
    for (const Row& row : rows) {
        const bool searchable = (row.mode & 0100) != 0;
        expected += row.expected + "\n" + (searchable ? std::string("allowed") : kCannotLook) + "\n";
    }
    EXPECT_EQ(*seen, expected);
}

// A protected folder shown elsewhere by a bind mount is still itself.
TEST_F(SafetyPolicyTest, ProtectedPlacesReachedThroughABindMountAreRefused) {
    tree.text("home/user/.ssh/authorized_keys", "key");
    tree.folder("home/user/Library/Caches/x");
    tree.text("home/user/ws/data/file", "data");
    struct Bind {
        std::string source;
        std::string at;
    };
    const std::vector<Bind> binds = {{".ssh", "ws/keys"}, {"Library", "ws/lib"}, {"ws/data", "ws/mirror"}};
    for (const Bind& bind : binds) tree.folder("home/user/" + bind.at);
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"ws/keys/authorized_keys", kResolvesProtected},
        {"ws/keys", kResolvesProtected},
        {"ws/lib", kResolvesProtected},
        {"ws/lib/Caches/x", "allowed"},  // inside a protected folder: judged like ~/Library/Caches/x
        {"ws/mirror/file", "allowed"},
        {"ws/mirror", "allowed"},
    };

    auto seen = testing::runInChild({.ownMounts = true}, [&] {
        for (const Bind& bind : binds)
            if (mount(home(bind.source).c_str(), home(bind.at).c_str(), nullptr, MS_BIND, nullptr) != 0)
                return std::string("cannot mount");
        std::string text;
        for (const auto& [path, reason] : rows) {
            Verdict v = SafetyPolicy::check(home(path), "general.userChoice", kPath);
            text += path + ": " + (v.isAllowed() ? std::string("allowed") : v.reason()) + "\n";
        }
        return text;
    });
    if (!seen) GTEST_SKIP() << "needs root to make a mount namespace";
    std::string expected;
    for (const auto& [path, reason] : rows) expected += path + ": " + reason + "\n";
    EXPECT_EQ(*seen, expected);
}

}  // namespace
}  // namespace korvane
