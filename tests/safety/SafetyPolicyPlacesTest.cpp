// The places tools use on this system: the cache folder and the Android SDK
// the environment may move, the editors' caches inside ~/.config, and the
// shared temporary folder. Each is admitted exactly and nothing around it.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "core/safety/SafetyPolicy.h"
#include "core/system/Paths.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DeepTree.h"
#include "tests/support/TempTree.h"

namespace korvane {

namespace {

using testing::ScopedEnv;
using testing::TempTree;

const RemovalKind kPath = RemovalKind::path();
const std::string kAllowed = "allowed";
const std::string kResolvesProtected = "Resolves to a protected location";
const std::string kResolvesElsewhere = "Resolves somewhere else";
const std::string kProtectedFolder = "This is a protected system or home folder";
const std::string kOutside = "Outside your home folder";

std::string containsName(const std::string& name) {
    return "Contains \u201C" + name + "\u201D, which Korvane never removes";
}
std::string shapeMismatch(const std::string& id) {
    return "Path does not match the shape \u201C" + id + "\u201D is allowed to produce";
}
std::string show(const SafetyPolicy::Verdict& verdict) {
    return verdict.isAllowed() ? kAllowed : verdict.reason();
}

// A fake home and temporary folder; the machine's own places never leak in.
class SafetyPolicyPlacesTest : public ::testing::Test {
protected:
    SafetyPolicyPlacesTest() : home_(tree.folder("home/user")), temporary_(tree.folder("tmp")) {
        Paths::reset();
    }
    ~SafetyPolicyPlacesTest() override { Paths::reset(); }

    std::string home(const std::string& rest) const { return home_ + "/" + rest; }
    std::string temporary(const std::string& rest) const { return temporary_ + "/" + rest; }
    static std::string check(const std::string& path, const std::string& rule) {
        return show(SafetyPolicy::check(path, rule, kPath));
    }

    TempTree tree;

private:
    std::string home_;
    std::string temporary_;
    ScopedEnv homeVariable_{"HOME", home_};
    ScopedEnv tmpdir_{"TMPDIR", temporary_};
    ScopedEnv cache_{"XDG_CACHE_HOME", std::nullopt};
    ScopedEnv androidHome_{"ANDROID_HOME", std::nullopt};
    ScopedEnv sdkRoot_{"ANDROID_SDK_ROOT", std::nullopt};
};

// Inside ~/.config only the editors' cache folders may go, and only when no
// link on the way leads elsewhere.
TEST_F(SafetyPolicyPlacesTest, OnlyTheEditorCachesInsideConfigAreAdmitted) {
    tree.text("home/user/.config/Code/User/settings.json", "{}");
    tree.file("home/user/.config/Code/Cache/data_0", 10);
    tree.file("home/user/.config/Code/CachedData/abc/x", 10);
    tree.folder("home/user/.config/Code/Cache/.ssh");
    tree.folder("home/user/.config/Code/Cache/nested/.config/x");
    tree.file("home/user/dotfiles/Cursor/CachedData/x", 10);
    tree.symlink("home/user/.config/Cursor", home("dotfiles/Cursor"));
    tree.symlink("home/user/.config/Code/GPUCache", home(".config/Code/User"));
    tree.symlink("home/user/work/code-cache", home(".config/Code/Cache"));
    struct Row {
        std::string path;
        std::string rule;
        std::string expected;
    };
    const std::vector<Row> rows{
        {".config/Code/Cache", "editors.caches", kAllowed},
        {".config/Code/Cache/data_0", "editors.caches", kAllowed},
        {".config/Code/CachedData/abc", "editors.caches", kAllowed},
        {".config/Windsurf/CachedData/x", "editors.caches", kAllowed},  // not there yet: nothing to refuse
        // Picked by hand, the same folders pass and nothing else does.
        {".config/Code/CachedData", "general.userChoice", kAllowed},
        {".config/Code/User", "general.userChoice", containsName(".config")},
        {".config/Code/User/settings.json", "general.userChoice", containsName(".config")},
        {".config/Code", "general.userChoice", containsName(".config")},
        {".config", "general.userChoice", containsName(".config")},
        {".config/Code/User", "editors.caches", shapeMismatch("editors.caches")},
        {".config/Code/extensions", "editors.caches", shapeMismatch("editors.caches")},
        {".config/Windsurf/Cache", "editors.caches", shapeMismatch("editors.caches")},
        // Protected names further down keep their protection, ".config" too.
        {".config/Code/Cache/.ssh", "editors.caches", containsName(".ssh")},
        {".config/Code/Cache/nested/.config/x", "editors.caches", containsName(".config")},
        // Links that make a cache folder something else.
        {".config/Code/GPUCache", "editors.caches", kResolvesProtected},
        {".config/Code/GPUCache/settings.json", "editors.caches", kResolvesProtected},
        {".config/Cursor/CachedData/x", "editors.caches", kResolvesProtected},
        {"work/code-cache/data_0", "general.userChoice", kResolvesProtected},
    };
    for (const auto& row : rows) EXPECT_EQ(check(home(row.path), row.rule), row.expected) << row.path;

    // Put back only where a removal could have come from.
    EXPECT_EQ(show(SafetyPolicy::verdictForPath(home(".config/Code/CachedData/abc"))), kAllowed);
    EXPECT_EQ(show(SafetyPolicy::verdictForPath(home(".config/Code/User/settings.json"))),
              containsName(".config"));
}

TEST_F(SafetyPolicyPlacesTest, ConfigThatIsItselfALinkAdmitsNothing) {
    tree.file("home/user/dotfiles/config/Code/Cache/data_0", 10);
    tree.symlink("home/user/.config", home("dotfiles/config"));
    EXPECT_EQ(check(home(".config/Code/Cache/data_0"), "editors.caches"), kResolvesProtected);
    EXPECT_EQ(check(home(".config/Code/Cache"), "editors.caches"), kResolvesProtected);
}

// Beyond PATH_MAX the cache is still judged whole: a link at the bottom of a
// deep cache tree back into the editor's settings is found.
TEST_F(SafetyPolicyPlacesTest, DeepEditorCachesAreResolvedToTheirEnd) {
    tree.text("home/user/.config/Code/User/settings.json", "{}");
    auto deep = testing::deepFolders(tree.folder("home/user/.config/Code/Cache"), 45, std::string(100, 'c'));
    ASSERT_GT(deep.path.size(), 4096u);
    ASSERT_EQ(symlinkat(home(".config/Code/User").c_str(), deep.fd.get(), "user"), 0);
    EXPECT_EQ(show(SafetyPolicy::check(deep.path, "editors.caches", kPath)), kAllowed);
    EXPECT_EQ(show(SafetyPolicy::check(deep.path + "/user/settings.json", "editors.caches", kPath)),
              kResolvesProtected);
}

// An editor's own folders stay themselves when a bind mount shows them
// elsewhere; a cache folder that is a mount of its own is still a cache.
TEST_F(SafetyPolicyPlacesTest, EditorFoldersReachedThroughABindMountAreRefused) {
    tree.text("home/user/.config/Code/User/settings.json", "{}");
    tree.folder("home/user/.config/Code/Cache");
    tree.file("home/user/ramdisk/data_0", 10);
    tree.folder("home/user/ws/user");
    tree.folder("home/user/ws/code");
    struct Bind {
        std::string source;
        std::string at;
    };
    const std::vector<Bind> binds{
        {".config/Code/User", "ws/user"}, {".config/Code", "ws/code"}, {"ramdisk", ".config/Code/Cache"}};
    const std::vector<std::pair<std::string, std::string>> rows{
        {"ws/user/settings.json", kResolvesProtected},
        {"ws/code/Cache", kResolvesProtected},
        {".config/Code/Cache/data_0", kAllowed},
    };
    auto seen = testing::runInChild({.ownMounts = true}, [&] {
        for (const Bind& bind : binds)
            if (mount(home(bind.source).c_str(), home(bind.at).c_str(), nullptr, MS_BIND, nullptr) != 0)
                return std::string("cannot mount");
        std::string text;
        for (const auto& [path, expected] : rows)
            text += show(SafetyPolicy::check(home(path), "general.userChoice", kPath)) + "\n";
        return text;
    });
    if (!seen) GTEST_SKIP() << "needs root to make a mount namespace";
    std::string expected;
    for (const auto& row : rows) expected += row.second + "\n";
    EXPECT_EQ(*seen, expected);
}

// Only the temporary folder's own entries, never the folder, never deeper,
// never through a link.
TEST_F(SafetyPolicyPlacesTest, TemporaryEntriesAreAdmittedOneLevelDeep) {
    tree.folder("tmp/metro-cache");
    tree.folder("tmp/sub/metro-cache");
    tree.folder("home/user/projects/cache");
    tree.symlink("tmp/haste-map-link", home("projects/cache"));
    const std::vector<std::pair<std::string, std::string>> rows{
        {temporary("metro-cache"), kAllowed},
        {temporary("metro-missing"), kAllowed},
        {temporary("haste-map-link"), kResolvesElsewhere},
        {temporary("sub/metro-cache"), shapeMismatch("rn.metroCache")},
        {temporary("metro-cache/x"), shapeMismatch("rn.metroCache")},
        {tree.path("tmp"), shapeMismatch("rn.metroCache")},
    };
    for (const auto& [path, expected] : rows) EXPECT_EQ(check(path, "rn.metroCache"), expected) << path;
    EXPECT_EQ(show(SafetyPolicy::verdict(tree.path("tmp"))), kOutside);
    EXPECT_EQ(show(SafetyPolicy::verdict(temporary("sub/metro-cache"))), kOutside);
    // Under no other rule: "~/**" does not reach it.
    EXPECT_EQ(check(temporary("metro-cache"), "general.userChoice"), shapeMismatch("general.userChoice"));
}

// A temporary folder that would make the rules reach too far is not one.
TEST_F(SafetyPolicyPlacesTest, TemporaryFoldersThatReachTooFarAdmitNothing) {
    const std::vector<std::string> folders{"/",      "/usr",    "/var",          tree.path("home"),
                                           home(""), home("*"), home(".ssh/tmp")};
    for (const auto& folder : folders) {
        ScopedEnv variable("TMPDIR", folder);
        const std::string entry =
            (folder == "/" ? std::string() : Paths::standardise(folder).value()) + "/react-native-cache";
        EXPECT_EQ(check(entry, "rn.metroCache"), shapeMismatch("rn.metroCache")) << folder;
    }
    // A home named like a packager entry is never one.
    ScopedEnv variable("TMPDIR", tree.path("home"));
    EXPECT_EQ(check(tree.path("home/user"), "rn.metroCache"), shapeMismatch("rn.metroCache"));
}

TEST_F(SafetyPolicyPlacesTest, TemporaryEntryThatIsABindMountOfAProtectedFolderIsRefused) {
    tree.text("home/user/.ssh/id", "key");
    tree.folder("tmp/metro-keys");
    auto seen = testing::runInChild({.ownMounts = true}, [&] {
        if (mount(home(".ssh").c_str(), temporary("metro-keys").c_str(), nullptr, MS_BIND, nullptr) != 0)
            return std::string("cannot mount");
        return show(SafetyPolicy::check(temporary("metro-keys"), "rn.metroCache", kPath));
    });
    if (!seen) GTEST_SKIP() << "needs root to make a mount namespace";
    EXPECT_EQ(*seen, kResolvesProtected);
}

// $XDG_CACHE_HOME replaces ~/.cache when it lies inside the home; elsewhere
// it is not followed.
TEST_F(SafetyPolicyPlacesTest, TheCacheFolderFollowsTheEnvironmentOnlyInsideTheHome) {
    struct Case {
        std::optional<std::string> variable;
        std::string cache;  // the folder the rules then name, relative to the home
    };
    const std::vector<Case> cases{
        {std::nullopt, ".cache"},
        {home("xdg-cache"), "xdg-cache"},
        {home("xdg//./cache/"), "xdg/cache"},
        {tree.path("elsewhere"), ".cache"},
        {"relative/cache", ".cache"},
        {home(""), ".cache"},
        {home("ca*"), ".cache"},
    };
    for (const auto& c : cases) {
        ScopedEnv variable("XDG_CACHE_HOME", c.variable);
        const auto label = c.variable.value_or("unset");
        for (const char* folder : {".cache", "xdg-cache", "xdg/cache", "ca*"}) {
            const auto expected = folder == c.cache ? kAllowed : shapeMismatch("jetbrains.caches");
            EXPECT_EQ(check(home(std::string(folder) + "/JetBrains/IdeaIC2024.1"), "jetbrains.caches"),
                      expected)
                << label << " " << folder;
        }
        EXPECT_EQ(show(SafetyPolicy::verdict(home(c.cache))), kProtectedFolder) << label;
    }
    // Inside ~/.config the cache folder still admits nothing.
    ScopedEnv inConfig("XDG_CACHE_HOME", home(".config/cache"));
    EXPECT_EQ(check(home(".config/cache/go-build/ab"), "go.buildCache"), containsName(".config"));
}

TEST_F(SafetyPolicyPlacesTest, TheEnvironmentsSdkIsAdmittedOnlyInsideTheHome) {
    tree.folder("home/user/sdks/current/platforms/android-34");
    tree.folder("elsewhere/sdk/platforms/android-34");
    tree.folder("home/user/platforms/android-34");
    tree.folder("home/user/.android-sdk");
    struct Case {
        std::string root;
        std::string expected;
    };
    const std::vector<Case> cases{
        {home("sdks/current"), kAllowed},
        {tree.path("elsewhere/sdk"), shapeMismatch("android.platforms")},
        {home(""), shapeMismatch("android.platforms")},
    };
    for (const auto& c : cases) {
        ScopedEnv variable("ANDROID_HOME", c.root);
        const auto root = Paths::standardise(c.root).value();
        EXPECT_EQ(check(root + "/platforms/android-34", "android.platforms"), c.expected) << c.root;
    }
    ScopedEnv variable("ANDROID_SDK_ROOT", home("sdks/current"));
    EXPECT_EQ(check(home("sdks/current/platforms/android-34"), "android.platforms"), kAllowed);
    EXPECT_EQ(show(SafetyPolicy::verdict(home("sdks/current"))), kProtectedFolder);
    for (const char* folder : {"Android", "Android/Sdk"})
        EXPECT_EQ(show(SafetyPolicy::verdict(home(folder))), kProtectedFolder) << folder;
}

}  // namespace
}  // namespace korvane
