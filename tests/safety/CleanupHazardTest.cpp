// Cleanups where the file system is not what the path's text suggests: locked
// folders, links to excluded places, bind mounts, a parent swapped for a link
// during the removal, paths thousands of levels deep.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "core/safety/CleanupEngine.h"
#include "tests/platform/RemovalTestSupport.h"
#include "tests/safety/CleanupFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DeepTree.h"
#include "tests/support/SyscallHooks.h"

namespace korvane {
namespace {

using Status = CleanupOutcome::Status;
using testing::exists;
using testing::readFile;
using testing::ScopedEnv;

const std::string kPermission =
    "Korvane does not have permission to remove this. Check who owns it and the permissions of its folder.";
const std::string kCannotLook = "Korvane cannot look inside this to check it, so it leaves it alone";

std::string describe(const CleanupOutcome& outcome) {
    return std::string(rawValue(outcome.status)) + (outcome.message ? ": " + *outcome.message : "");
}

class CleanupHazardTest : public testing::CleanupFixture {
protected:
    ~CleanupHazardTest() override { testing::disarmSyscallHooks(); }

    CleanupEngine engine{trash_};
};

// Only a cache may have its read-only folders opened up; a folder the user
// picked keeps them, and a repository that cannot be looked into is refused.
TEST_F(CleanupHazardTest, ReadOnlyFoldersAreOpenedUpOnlyInCaches) {
    tree_.file("home/chosen/sealed/thesis.txt", 10);
    tree_.file("home/go/pkg/mod/example.com/sealed/lib.go", 10);
    tree_.file("home/locked-repo/.git/HEAD", 10);
    ASSERT_TRUE(testing::handToUnprivileged(tree_.root()));
    ASSERT_EQ(chmod(tree_.root().c_str(), 0755), 0);
    ASSERT_EQ(chmod(at("chosen/sealed").c_str(), 0555), 0);
    ASSERT_EQ(chmod(at("go/pkg/mod/example.com/sealed").c_str(), 0555), 0);
    ASSERT_EQ(chmod(at("locked-repo").c_str(), 0000), 0);
    const std::vector<std::pair<CleanupCandidate, std::string>> rows = {
        {candidate(at("chosen"), 10), "failed: " + kPermission},
        {candidate(at("go/pkg/mod/example.com"), 10, SafetyLevel::safe, "go.modCache"), "deleted"},
        {candidate(at("locked-repo"), 10), "skipped: " + kCannotLook},
    };

    auto seen = testing::runInChild({.unprivileged = true}, [&] {
        std::string text;
        for (const auto& [item, expected] : rows) text += describe(engine.removePath(item, Disposal::delete_)) + "\n";
        return text;
    });
    if (!seen) GTEST_SKIP() << "cannot run as an unprivileged user here";
    std::string expected;
    for (const auto& [item, text] : rows) expected += text + "\n";
    EXPECT_EQ(*seen, expected);
    EXPECT_EQ(readFile(at("chosen/sealed/thesis.txt")), std::string(10, 'x'));
    EXPECT_FALSE(exists(at("go/pkg/mod/example.com")));
    chmod(at("locked-repo").c_str(), 0700);
    EXPECT_TRUE(exists(at("locked-repo/.git/HEAD")));
}

// A Trash that refuses an item is named as what refused: the item itself is fine.
TEST_F(CleanupHazardTest, AnUnusableTrashIsNamedAndTheItemsAreNotBlamed) {
    const std::string files = trashRoot_ + "/files";
    const std::string info = trashRoot_ + "/info";
    struct Case {
        const char* what;
        std::function<void()> spoil;
        std::string refused;  // the Trash's folder that refused, and why
    };
    const std::vector<Case> cases = {
        {"files not writable", [&] { chmod(files.c_str(), 0500); }, files + "\u201D: permission denied"},
        {"info not writable", [&] { chmod(info.c_str(), 0500); }, info + "\u201D: permission denied"},
        {"files is a link",
         [&] {
             std::filesystem::rename(files, tree_.folder("elsewhere") + "/files");
             std::filesystem::create_directory_symlink(tree_.path("elsewhere/files"), files);
         },
         trashRoot_ + "\u201D: something on its path is not a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(trashRoot_);
        std::filesystem::remove_all(tree_.path("elsewhere"));
        tree_.folder("home/.local/share/Trash/files");
        tree_.folder("home/.local/share/Trash/info");
        const std::string item = tree_.text("home/Downloads/report.pdf", "report");
        c.spoil();
        ASSERT_TRUE(testing::handToUnprivileged(tree_.root()));
        ASSERT_EQ(chmod(tree_.root().c_str(), 0755), 0);
        auto seen = testing::runInChild({.unprivileged = true}, [&] {
            return describe(engine.removePath(candidate(item, 6, SafetyLevel::caution), Disposal::trash));
        });
        if (!seen) GTEST_SKIP() << "cannot run as an unprivileged user here";
        EXPECT_EQ(*seen, "failed: Korvane cannot use the Trash at \u201C" + c.refused +
                             ", so the item stays where it is.");
        EXPECT_EQ(readFile(item), "report");
        chmod(info.c_str(), 0700);
        EXPECT_TRUE(std::filesystem::is_empty(info));
    }
}

// A /home of mode 0711: what cannot leave its read-only folder blames that folder, not the Trash.
TEST_F(CleanupHazardTest, AHomeUnderAFolderThatCannotBeListedKeepsItsTrash) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to make a folder that the test user cannot list";
    const std::string item = tree_.text("home/Downloads/report.pdf", "report");
    const std::string sealed = tree_.text("home/sealed/notes.txt", "notes");
    ASSERT_TRUE(testing::handToUnprivileged(tree_.root()));
    ASSERT_EQ(chown(tree_.root().c_str(), 0, 0), 0);
    ASSERT_EQ(chmod(tree_.root().c_str(), 0711), 0);
    ASSERT_EQ(chmod(at("sealed").c_str(), 0555), 0);
    auto seen = testing::runInChild({.unprivileged = true}, [&] {
        std::string text;
        for (const auto& path : {item, sealed})
            text += describe(engine.removePath(candidate(path, 5, SafetyLevel::caution), Disposal::trash)) + "\n";
        return text;
    });
    if (!seen) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(*seen, "trashed\nfailed: " + kPermission + "\n");
}

// "Never touch" entered through a link keeps the place the link leads to.
TEST_F(CleanupHazardTest, ExclusionsReachedThroughALinkAreKept) {
    tree_.text("home/ws/proj/keep/notes.txt", "keep");
    tree_.file("home/ws/proj/cache/x", 10);
    tree_.symlink("home/alias", at("ws/proj"));
    engine.setExcludedPaths({at("alias/keep")});

    CleanupReport report = engine.run({candidate(at("ws/proj"), 30), candidate(at("ws/proj/keep"), 20),
                                       candidate(at("ws/proj/cache"), 10)},
                                      nullptr, nullptr);

    ASSERT_EQ(report.outcomes.size(), 3u);
    EXPECT_EQ(describe(report.outcomes[0]), "skipped: Holds a location you marked \u201CNever touch\u201D");
    EXPECT_EQ(describe(report.outcomes[1]), "skipped: You marked this \u201CNever touch\u201D");
    EXPECT_EQ(describe(report.outcomes[2]), "deleted");
    EXPECT_EQ(readFile(at("ws/proj/keep/notes.txt")), "keep");
}

TEST_F(CleanupHazardTest, ProtectedFolderBehindABindMountIsKept) {
    tree_.text("home/.ssh/authorized_keys", "key");
    tree_.folder("home/ws/keys");
    auto seen = testing::runInChild({.ownMounts = true}, [&] {
        if (mount(at(".ssh").c_str(), at("ws/keys").c_str(), nullptr, MS_BIND, nullptr) != 0)
            return std::string("cannot mount");
        std::string text;
        for (Disposal disposal : {Disposal::delete_, Disposal::trash})
            text += describe(engine.removePath(candidate(at("ws/keys/authorized_keys"), 3), disposal)) + "\n";
        return text;
    });
    if (!seen) GTEST_SKIP() << "needs root to make a mount namespace";
    EXPECT_EQ(*seen, "skipped: Resolves to a protected location\nskipped: Resolves to a protected location\n");
    EXPECT_EQ(readFile(at(".ssh/authorized_keys")), "key");
}

// The editors' caches and the temporary folder's entries meet the same check
// just before removal: what changed since the scan is left alone.
TEST_F(CleanupHazardTest, EditorCachesAndTemporaryEntriesAreCheckedAgainBeforeRemoval) {
    ScopedEnv tmpdir("TMPDIR", tree_.folder("tmp"));
    tree_.file("home/.config/Code/CachedData/abc/x", 10);
    tree_.text("home/.config/Code/User/settings.json", "{}");
    tree_.folder("home/.config/Code/GPUCache");
    tree_.file("tmp/metro-cache/x", 10);
    tree_.file("tmp/metro-theirs/x", 10);
    tree_.folder("tmp/haste-map-swapped");
    // Changed after the scan: a cache swapped for a link to the settings, an
    // entry swapped for a link into the home, another handed to another user.
    std::filesystem::remove(at(".config/Code/GPUCache"));
    std::filesystem::create_directory_symlink(at(".config/Code/User"), at(".config/Code/GPUCache"));
    std::filesystem::remove(tree_.path("tmp/haste-map-swapped"));
    std::filesystem::create_directory_symlink(at(".config/Code/User"), tree_.path("tmp/haste-map-swapped"));
    const bool otherOwner =
        ::geteuid() == 0 && ::lchown(tree_.path("tmp/metro-theirs").c_str(), 65534, 65534) == 0;

    const std::vector<std::pair<CleanupCandidate, std::string>> rows{
        {candidate(at(".config/Code/CachedData"), 10, SafetyLevel::safe, "editors.caches"), "deleted"},
        {candidate(at(".config/Code/GPUCache"), 10, SafetyLevel::safe, "editors.caches"),
         "skipped: Resolves to a protected location"},
        {candidate(at(".config/Code/User"), 10, SafetyLevel::safe, "editors.caches"),
         "skipped: Path does not match the shape \u201Ceditors.caches\u201D is allowed to produce"},
        {candidate(at(".config/Code/User"), 10),
         "skipped: Contains \u201C.config\u201D, which Korvane never removes"},
        {candidate(tree_.path("tmp/metro-cache"), 10, SafetyLevel::safe, "rn.metroCache"), "deleted"},
        {candidate(tree_.path("tmp/haste-map-swapped"), 10, SafetyLevel::safe, "rn.metroCache"),
         "skipped: Resolves somewhere else"},
        {candidate(tree_.path("tmp"), 10, SafetyLevel::safe, "rn.metroCache"),
         "skipped: Path does not match the shape \u201Crn.metroCache\u201D is allowed to produce"},
    };
    for (const auto& [item, expected] : rows)
        EXPECT_EQ(describe(engine.removePath(item, Disposal::delete_)), expected) << item.path;
    EXPECT_FALSE(exists(at(".config/Code/CachedData")));
    EXPECT_EQ(readFile(at(".config/Code/User/settings.json")), "{}");
    EXPECT_FALSE(exists(tree_.path("tmp/metro-cache")));
    EXPECT_TRUE(exists(tree_.path("tmp")));

    if (!otherOwner) GTEST_SKIP() << "needs root to give an entry to another user";
    EXPECT_EQ(describe(engine.removePath(candidate(tree_.path("tmp/metro-theirs"), 10, SafetyLevel::safe,
                                                   "rn.metroCache"),
                                         Disposal::delete_)),
              "skipped: Belongs to another user, so Korvane leaves it alone");
    EXPECT_TRUE(exists(tree_.path("tmp/metro-theirs/x")));
}

// The item is removed, then its parent is swapped for a link to a folder that
// holds something of the same name: the outcome is what happened to the item.
TEST_F(CleanupHazardTest, ParentSwappedForALinkAfterTheRemovalIsStillDeleted) {
    tree_.file("home/app/swapped-cache/data", 10);
    tree_.text("home/decoy/swapped-cache/precious.txt", "keep");
    testing::afterNextUnlink("swapped-cache", [this] {
        std::filesystem::rename(at("app"), at("app-moved"));
        std::filesystem::create_directory_symlink(at("decoy"), at("app"));
    });

    CleanupOutcome outcome = engine.removePath(candidate(at("app/swapped-cache"), 10), Disposal::delete_);

    EXPECT_EQ(describe(outcome), "deleted");
    EXPECT_FALSE(exists(at("app-moved/swapped-cache")));
    EXPECT_EQ(readFile(at("decoy/swapped-cache/precious.txt")), "keep");
}

// A cancel reaches a check that walks hundreds of levels.
TEST_F(CleanupHazardTest, ACancelReachesADeepCheck) {
    auto deep = testing::deepFolders(tree_.folder("home/deep"), 400, "d");
    CleanupReport report = engine.run({candidate(deep.path, 10)}, nullptr,
                                      [this](const CleanupProgress&) { engine.cancel(); });
    ASSERT_EQ(report.outcomes.size(), 1u);
    EXPECT_EQ(describe(report.outcomes[0]), "skipped: Cancelled before this item was reached");
    struct stat st {};
    ASSERT_EQ(fstat(deep.fd.get(), &st), 0);
    EXPECT_GT(st.st_nlink, 0u);  // a removed folder has no links left
}

}  // namespace
}  // namespace korvane
