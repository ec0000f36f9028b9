#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <thread>

#include "core/platform/SafeRemover.h"
#include "core/safety/CleanupEngine.h"
#include "core/text/ByteFormat.h"
#include "tests/platform/RemovalTestSupport.h"
#include "tests/safety/CleanupFixture.h"

namespace korvane {
namespace {

using Status = CleanupOutcome::Status;
using testing::duBytes;
using testing::exists;
using testing::fingerprint;
using testing::outsideOf;
using testing::readFile;
using testing::ScopedMount;

const std::string kPermission =
    "Korvane does not have permission to remove this. Check who owns it and the permissions of its folder.";
const std::string kBecameLink = "Became a symbolic link since the scan";
const std::string kCancelled = "Cancelled before this item was reached";

class CleanupEngineTest : public testing::CleanupFixture {
protected:
    CleanupEngine engine{trash_};

    CleanupOutcome runOne(const CleanupCandidate& item, std::optional<Disposal> disposal = std::nullopt) {
        CleanupEngine::DisposalRule rule;
        if (disposal) rule = [d = *disposal](const CleanupCandidate&) { return d; };
        CleanupReport report = engine.run({item}, rule, nullptr);
        EXPECT_EQ(report.outcomes.size(), 1u);
        return report.outcomes.empty() ? CleanupOutcome() : report.outcomes[0];
    }
};

TEST_F(CleanupEngineTest, EmptyListGivesAnEmptyReportWithoutProgress) {
    int calls = 0;
    CleanupReport report = engine.run({}, nullptr, [&](const CleanupProgress&) { ++calls; });
    EXPECT_TRUE(report.outcomes.empty());
    EXPECT_EQ(calls, 0);
    EXPECT_GE(report.duration, 0.0);
    EXPECT_GT(report.volumeBefore.totalCapacity, 0);
    EXPECT_GT(report.volumeAfter.totalCapacity, 0);
}

TEST_F(CleanupEngineTest, LargestFirstWithProgressBeforeAndAfterEachItem) {
    auto five = candidate(tree_.file("home/a", 5), 5);
    auto nine = candidate(tree_.file("home/b", 9), 9);
    auto seven = candidate(tree_.file("home/c", 7), 7);
    // Each counts what it measured as it went; the scan's figures only order them.
    const std::int64_t a = duBytes(five.path), b = duBytes(nine.path), c = duBytes(seven.path);
    std::vector<CleanupProgress> seen;

    CleanupReport report =
        engine.run({five, nine, seven}, nullptr, [&](const CleanupProgress& p) { seen.push_back(p); });

    ASSERT_EQ(report.outcomes.size(), 3u);
    EXPECT_EQ(report.outcomes[0].candidateID, nine.id);
    EXPECT_EQ(report.outcomes[1].candidateID, seven.id);
    EXPECT_EQ(report.outcomes[2].candidateID, five.id);
    std::vector<CleanupProgress> expected = {
        {0, 3, nine.title, 0},      {1, 3, nine.title, b},     {1, 3, seven.title, b},
        {2, 3, seven.title, b + c}, {2, 3, five.title, b + c}, {3, 3, five.title, a + b + c},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(report.freedBytes(), a + b + c);
    for (const auto& outcome : report.outcomes) EXPECT_EQ(outcome.status, Status::deleted);
}

TEST_F(CleanupEngineTest, TheFreedFigureMovesWhileOneLargeTreeIsDeleted) {
    for (int file = 0; file < 3; ++file) tree_.file("home/big/" + std::to_string(file), 8192);
    auto big = candidate(at("big"), 4'000'000);
    auto small = candidate(tree_.file("home/small", 1), 10);
    int entries = 0;
    // The first entry takes longer than the figure waits between two moves.
    engine.setEntryRemovedHook([&entries] {
        if (++entries == 1)
            std::this_thread::sleep_for(CleanupEngine::itemProgressInterval + std::chrono::milliseconds(50));
    });
    std::vector<CleanupProgress> seen;

    const CleanupReport report =
        engine.run({small, big}, nullptr, [&](const CleanupProgress& p) { seen.push_back(p); });

    const auto whileGoing = std::find_if(seen.begin(), seen.end(), [](const CleanupProgress& p) {
        return p.completed == 0 && p.freedSoFar > 0;
    });
    ASSERT_NE(whileGoing, seen.end());
    EXPECT_EQ(whileGoing->currentTitle, big.title);
    ASSERT_EQ(report.outcomes.size(), 2u);
    EXPECT_LT(whileGoing->freedSoFar, report.outcomes[0].expectedBytes);
}

TEST_F(CleanupEngineTest, EqualSizesKeepTheirOrder) {
    auto first = candidate(tree_.file("home/x1", 1), 4);
    auto second = candidate(tree_.file("home/x2", 1), 4);
    CleanupReport report = engine.run({first, second}, nullptr, nullptr);
    ASSERT_EQ(report.outcomes.size(), 2u);
    EXPECT_EQ(report.outcomes[0].candidateID, first.id);
    EXPECT_EQ(report.outcomes[1].candidateID, second.id);
}

// An item that waits for another of the run goes after it, however small
// that one is, and only once it is gone: removed here, or gone already.
TEST_F(CleanupEngineTest, WhatWaitsForAnotherItemGoesOnlyOnceThatOneIsGone) {
    auto removed = candidate(tree_.file("home/removed", 1), 1);
    auto vanished = candidate(at("vanished"), 1);
    auto refused = candidate(tree_.file("home/.ssh/refused", 1), 1);
    const auto waiting = [this](const std::string& name, const CleanupCandidate& first) {
        auto item = candidate(tree_.file("home/" + name, 1), 100);
        item.prerequisite = first.id;
        return item;
    };
    auto afterRemoved = waiting("after-removed", removed);
    auto afterVanished = waiting("after-vanished", vanished);
    auto afterRefused = waiting("after-refused", refused);
    auto afterAbsent = waiting("after-absent", candidate(at("not-in-this-run"), 1));
    auto afterWaiting = waiting("after-waiting", afterRefused);
    afterWaiting.size = 200;

    CleanupReport report = engine.run(
        {afterWaiting, afterRemoved, afterVanished, afterRefused, afterAbsent, removed, vanished, refused},
        nullptr, nullptr);
    ASSERT_EQ(report.outcomes.size(), 8u);
    std::map<UUID, std::size_t> place;
    for (std::size_t i = 0; i < report.outcomes.size(); ++i) place[report.outcomes[i].candidateID] = i;
    for (const auto* item : {&afterRemoved, &afterVanished, &afterRefused, &afterWaiting}) {
        const auto& first = *item->prerequisite;
        EXPECT_LT(place.at(first), place.at(item->id)) << item->path;
    }
    const auto outcomeOf = [&](const CleanupCandidate& item) { return report.outcomes[place.at(item.id)]; };
    EXPECT_EQ(outcomeOf(afterRemoved).status, Status::deleted);
    EXPECT_EQ(outcomeOf(afterVanished).status, Status::deleted);
    EXPECT_EQ(outcomeOf(afterAbsent).status, Status::deleted);
    EXPECT_EQ(outcomeOf(afterRefused).status, Status::skipped);
    EXPECT_EQ(outcomeOf(afterRefused).message,
              "Kept, because \u201C" + refused.title + "\u201D itself was not removed");
    EXPECT_TRUE(exists(afterRefused.path));
    EXPECT_EQ(outcomeOf(afterWaiting).status, Status::skipped);
    EXPECT_TRUE(exists(afterWaiting.path));
}

TEST_F(CleanupEngineTest, RecommendedDisposalDeletesSafeAndTrashesTheRest) {
    const std::string safePath = tree_.file("home/project/node_modules/x.js", 100);
    const std::string reviewPath = tree_.file("home/project/build/out.o", 100);
    auto safe = candidate(at("project/node_modules"), 200, SafetyLevel::safe, "node.modules");
    auto review = candidate(at("project/build"), 100, SafetyLevel::caution, "gradle.projectBuilds");
    const std::int64_t build = duBytes(at("project/build"));
    auto before = fingerprint(home());

    CleanupReport report = engine.run({safe, review}, nullptr, nullptr);

    ASSERT_EQ(report.outcomes.size(), 2u);
    EXPECT_EQ(report.outcomes[0].status, Status::deleted);
    EXPECT_EQ(report.outcomes[0].trashURL, std::nullopt);
    EXPECT_EQ(report.outcomes[0].message, std::nullopt);
    EXPECT_FALSE(exists(at("project/node_modules")));
    EXPECT_EQ(report.outcomes[1].status, Status::trashed);
    ASSERT_TRUE(report.outcomes[1].trashURL);
    EXPECT_EQ(*report.outcomes[1].trashURL, trashRoot_ + "/files/build");
    EXPECT_TRUE(exists(*report.outcomes[1].trashURL + "/out.o"));
    EXPECT_TRUE(trash_->holds(*report.outcomes[1].trashURL, at("project/build")));
    EXPECT_EQ(report.outcomes[1].path, at("project/build"));
    EXPECT_EQ(report.outcomes[1].expectedBytes, build);
    EXPECT_EQ(report.outcomes[1].category, CleanupCategory::node);
    EXPECT_EQ(report.outcomes[1].title, review.title);
    EXPECT_EQ(CleanupEngine::recommendedDisposal(candidate("/x", 1, SafetyLevel::dangerous)),
              Disposal::trash);
}

TEST_F(CleanupEngineTest, GivenDisposalRuleDecides) {
    tree_.file("home/cache/data", 10);
    auto item = candidate(at("cache"), 10, SafetyLevel::safe);
    CleanupOutcome outcome = runOne(item, Disposal::trash);
    EXPECT_EQ(outcome.status, Status::trashed);
    EXPECT_TRUE(exists(trashRoot_ + "/files/cache/data"));
}

TEST_F(CleanupEngineTest, CancelSkipsEveryItemNotReached) {
    auto big = candidate(tree_.file("home/big", 1), 30);
    auto middle = candidate(tree_.file("home/middle", 1), 20);
    auto small = candidate(tree_.file("home/small", 1), 10);
    int calls = 0;

    CleanupReport report = engine.run({small, big, middle}, nullptr, [&](const CleanupProgress&) {
        ++calls;
        engine.cancel();  // arrives while the first item is being handled
    });

    ASSERT_EQ(report.outcomes.size(), 3u);
    EXPECT_EQ(report.outcomes[0].status, Status::deleted);
    EXPECT_FALSE(exists(at("big")));
    for (int i : {1, 2}) {
        EXPECT_EQ(report.outcomes[i].status, Status::skipped);
        EXPECT_EQ(report.outcomes[i].message, kCancelled);
    }
    EXPECT_TRUE(exists(at("middle")));
    EXPECT_TRUE(exists(at("small")));
    EXPECT_EQ(calls, 2);
}

TEST_F(CleanupEngineTest, AThrowingProgressHandlerStillGetsEveryOutcomeReported) {
    // Items already removed must reach the report (and with it the history
    // that can put them back), whatever the handler does.
    auto big = candidate(tree_.file("home/big", 1), 30);
    auto small = candidate(tree_.file("home/small", 1), 10);
    int calls = 0;
    CleanupReport report = engine.run({small, big}, nullptr, [&](const CleanupProgress&) {
        ++calls;
        throw std::runtime_error("handler failed");
    });
    ASSERT_EQ(report.outcomes.size(), 2u);
    EXPECT_EQ(report.outcomes[0].candidateID, big.id);
    EXPECT_EQ(report.outcomes[1].candidateID, small.id);
    for (const auto& outcome : report.outcomes) EXPECT_EQ(outcome.status, Status::deleted);
    EXPECT_FALSE(exists(at("big")));
    EXPECT_FALSE(exists(at("small")));
    EXPECT_EQ(calls, 4);
}

TEST_F(CleanupEngineTest, StopInsideOneLargeTreeReportsWhatWentWithoutClaimingTheItem) {
    for (int file = 0; file < 40; ++file) tree_.file("home/big/cache/" + std::to_string(file), 8192);
    auto big = candidate(at("big"), 4'000'000);
    auto small = candidate(tree_.file("home/small", 1), 10);
    int entries = 0;
    // The user presses Stop while the fifth entry of the tree goes.
    engine.setEntryRemovedHook([&] {
        if (++entries == 5) engine.cancel();
    });

    CleanupReport report = engine.run({small, big}, nullptr, nullptr);

    EXPECT_EQ(entries, 5);
    ASSERT_EQ(report.outcomes.size(), 2u);
    const CleanupOutcome& partly = report.outcomes[0];
    EXPECT_EQ(partly.candidateID, big.id);
    EXPECT_EQ(partly.status, Status::skipped);
    EXPECT_FALSE(partly.succeeded());
    EXPECT_GT(partly.removedBytes, 0);
    EXPECT_LT(partly.removedBytes, big.size);
    EXPECT_EQ(partly.message, "Stopped partway: " + ByteFormat::string(partly.removedBytes) +
                                  " of it was removed, the rest is still there");
    EXPECT_TRUE(exists(at("big/cache")));
    EXPECT_EQ(report.outcomes[1].message, kCancelled);
    EXPECT_TRUE(exists(at("small")));
    EXPECT_TRUE(report.stopped);
    // The freed figure is what went, not what the item was said to hold.
    EXPECT_EQ(report.freedBytes(), partly.removedBytes);

    // Run again without a stop: nothing is said to have been stopped.
    engine.setEntryRemovedHook(nullptr);
    const std::int64_t rest = duBytes(at("big")) + duBytes(at("small"));
    CleanupReport whole = engine.run({small, big}, nullptr, nullptr);
    EXPECT_FALSE(whole.stopped);
    EXPECT_EQ(whole.outcomes[0].status, Status::deleted);
    EXPECT_EQ(whole.outcomes[0].removedBytes, 0);
    EXPECT_EQ(whole.freedBytes(), rest);
}

TEST_F(CleanupEngineTest, StopEndsARunningCommandAtOnce) {
    // Without the stop the tool would run until its time limit and fail as timed out.
    tool("docker", "exec /bin/sleep 120");
    engine.setCommandTimeout(120);
    std::thread stopper([this] {
        while (!exists(toolLog())) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        engine.cancel();
    });
    CleanupOutcome outcome = runOne(command(ExternalTool::docker, {"builder", "prune", "--force"}));
    stopper.join();
    EXPECT_EQ(outcome.status, Status::skipped);
    EXPECT_EQ(outcome.message, "Stopped while the command ran; some of what it removes may already be gone");
}

TEST_F(CleanupEngineTest, CancelBeforeRunHasNoEffect) {
    auto item = candidate(tree_.file("home/x", 1), 1);
    engine.cancel();
    EXPECT_EQ(runOne(item).status, Status::deleted);
}

TEST_F(CleanupEngineTest, VanishedItemIsAlreadyGone) {
    CleanupOutcome outcome =
        runOne(candidate(at("project/node_modules"), 10, SafetyLevel::safe, "node.modules"));
    EXPECT_EQ(outcome.status, Status::skipped);
    EXPECT_EQ(outcome.message, "Already gone");
}

TEST_F(CleanupEngineTest, RefusalsOfTheCheckAreSkippedWithTheReason) {
    tree_.file("home/Documents/thesis.txt", 10);
    tree_.file("home/projects/app/.git/HEAD", 10);
    tree_.file("home/projects/app/main.c", 10);
    tree_.file("home/.ssh/id_ed25519", 10);
    auto before = fingerprint(tree_.root());

    EXPECT_EQ(runOne(candidate(at("Documents"), 10)).message, "This is a protected system or home folder");
    EXPECT_EQ(runOne(candidate(home(), 10)).message, "This is a protected system or home folder");
    EXPECT_EQ(runOne(candidate(at("projects/app"), 10)).message, "Looks like a source repository");
    EXPECT_EQ(runOne(candidate(at(".ssh/id_ed25519"), 10)).message,
              "Contains \u201C.ssh\u201D, which Korvane never removes");
    EXPECT_EQ(runOne(candidate(at("projects/app"), 10, SafetyLevel::safe, "node.modulez")).message,
              "Rule \u201Cnode.modulez\u201D is not registered for removal");
    EXPECT_EQ(runOne(candidate(tree_.path("outside"), 10)).status, Status::skipped);
    EXPECT_EQ(before, fingerprint(tree_.root()));
}

// The candidate became a symbolic link after the scan: to a folder outside
// home, to home itself, to a protected folder, to another folder of home.
TEST_F(CleanupEngineTest, ItemThatBecameALinkIsNeverFollowed) {
    tree_.file("outside/precious.txt", 10);
    tree_.file("home/Documents/thesis.txt", 10);
    tree_.file("home/other/cache.bin", 10);
    for (const std::string& target : {tree_.path("outside"), home(), at("Documents"), at("other")}) {
        for (Disposal disposal : {Disposal::delete_, Disposal::trash}) {
            std::filesystem::remove_all(at("app/node_modules"));
            tree_.symlink("home/app/node_modules", target);
            auto before = fingerprint(tree_.root());

            CleanupOutcome outcome =
                runOne(candidate(at("app/node_modules"), 10, SafetyLevel::safe, "node.modules"), disposal);

            EXPECT_EQ(outcome.status, Status::skipped) << target;
            EXPECT_EQ(before, fingerprint(tree_.root())) << target;
        }
    }
    EXPECT_EQ(runOne(candidate(at("app/node_modules"), 10, SafetyLevel::safe, "node.modules")).message,
              kBecameLink);
}

// A folder above the candidate is a link (it was swapped after the check):
// the removal reaches the parent without following it and refuses.
TEST_F(CleanupEngineTest, ParentThatIsALinkIsNotFollowed) {
    tree_.file("home/real/app/node_modules/pkg.js", 10);
    tree_.symlink("home/app", at("real/app"));
    auto before = fingerprint(tree_.root());
    for (Disposal disposal : {Disposal::delete_, Disposal::trash}) {
        CleanupOutcome outcome =
            runOne(candidate(at("app/node_modules"), 10, SafetyLevel::safe, "node.modules"), disposal);
        EXPECT_EQ(outcome.status, Status::skipped);
        EXPECT_EQ(outcome.message, kBecameLink);
        EXPECT_EQ(before, fingerprint(tree_.root()));
    }
}

TEST_F(CleanupEngineTest, DotComponentsAreStandardisedBeforeCheckAndRemoval) {
    tree_.file("home/app/node_modules/pkg.js", 10);
    tree_.file("home/app/src/main.js", 10);
    auto before = outsideOf(tree_.root(), at("app/node_modules"));

    EXPECT_EQ(runOne(candidate(at("app/node_modules/.."), 10, SafetyLevel::safe, "node.modules")).message,
              "Path does not match the shape \u201Cnode.modules\u201D is allowed to produce");
    EXPECT_TRUE(exists(at("app/src/main.js")));
    CleanupOutcome outcome =
        runOne(candidate(at("app/src/../node_modules/."), 10, SafetyLevel::safe, "node.modules"));
    EXPECT_EQ(outcome.status, Status::deleted);
    EXPECT_EQ(before, outsideOf(tree_.root(), at("app/node_modules")));
}

TEST_F(CleanupEngineTest, PathWithANulByteIsRefused) {
    tree_.file("home/app/node_modules/pkg.js", 10);
    auto before = fingerprint(tree_.root());
    for (Disposal disposal : {Disposal::delete_, Disposal::trash}) {
        std::string path = at("app") + std::string("\0/node_modules", 14);
        CleanupOutcome outcome =
            runOne(candidate(path, 10, SafetyLevel::safe, "general.userChoice"), disposal);
        EXPECT_EQ(outcome.status, Status::skipped);
        path = at("app/node_modules") + std::string("\0/../../..", 10);
        EXPECT_EQ(runOne(candidate(path, 10, SafetyLevel::safe, "node.modules"), disposal).status,
                  Status::skipped);
    }
    EXPECT_EQ(before, fingerprint(tree_.root()));
}

TEST_F(CleanupEngineTest, NewlinesAndInvalidUtf8InNames) {
    const std::string odd = "line\nbreak \xff\xfe";
    tree_.file("home/cache/" + odd + "/inner\n/x", 10);
    tree_.file("home/trash-me/" + odd, 10);
    auto before = outsideOf(home(), at("cache/" + odd));

    EXPECT_EQ(runOne(candidate(at("cache/" + odd), 10), Disposal::delete_).status, Status::deleted);
    EXPECT_EQ(before, outsideOf(home(), at("cache/" + odd)));
    CleanupOutcome trashed = runOne(candidate(at("trash-me/" + odd), 10), Disposal::trash);
    EXPECT_EQ(trashed.status, Status::trashed);
    ASSERT_TRUE(trashed.trashURL);
    EXPECT_TRUE(trash_->holds(*trashed.trashURL, at("trash-me/" + odd)));
}

TEST_F(CleanupEngineTest, LinkToDocumentsInsideNodeModulesLeavesDocuments) {
    tree_.file("home/Documents/thesis.txt", 100);
    tree_.file("home/app/node_modules/pkg/index.js", 10);
    tree_.symlink("home/app/node_modules/docs", at("Documents"));
    tree_.symlink("home/app/node_modules/pkg/thesis", at("Documents/thesis.txt"));
    auto before = outsideOf(tree_.root(), at("app/node_modules"));

    EXPECT_EQ(runOne(candidate(at("app/node_modules"), 10, SafetyLevel::safe, "node.modules")).status,
              Status::deleted);
    EXPECT_EQ(before, outsideOf(tree_.root(), at("app/node_modules")));
    EXPECT_EQ(readFile(at("Documents/thesis.txt")), std::string(100, 'x'));
}

TEST_F(CleanupEngineTest, HardLinkToAFileOutsideKeepsIt) {
    tree_.text("outside/keep.txt", "keep");
    tree_.hardlink("home/app/build/keep-link.txt", "outside/keep.txt");
    auto before = outsideOf(tree_.root(), at("app/build"));
    EXPECT_EQ(runOne(candidate(at("app/build"), 10, SafetyLevel::safe, "gradle.projectBuilds")).status,
              Status::deleted);
    EXPECT_EQ(before, outsideOf(tree_.root(), at("app/build")));
    EXPECT_EQ(readFile(tree_.path("outside/keep.txt")), "keep");
}

TEST_F(CleanupEngineTest, MountPointInsideTheTreeIsNotCrossed) {
    tree_.file("home/app/build/out.o", 10);
    const std::string mountPoint = tree_.folder("home/app/build/volume");
    auto mount = ScopedMount::tmpfs(mountPoint);
    if (!mount.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    tree_.text("home/app/build/volume/data", "stay");

    CleanupOutcome outcome =
        runOne(candidate(at("app/build"), 10, SafetyLevel::safe, "gradle.projectBuilds"));

    EXPECT_EQ(outcome.status, Status::failed);
    ASSERT_TRUE(outcome.message);
    EXPECT_NE(outcome.message->find(mountPoint), std::string::npos);
    EXPECT_EQ(readFile(mountPoint + "/data"), "stay");
}

// As containers bind /etc/hosts: no removal nor move takes it, and the Trash keeps no record.
TEST_F(CleanupEngineTest, AFileBoundInsideIsLeftAloneAndSaidMounted) {
    tree_.text("outside/hosts", "keep");
    const std::string bound = tree_.file("home/app/build/hosts");
    auto mount = ScopedMount::bind(tree_.path("outside/hosts"), bound);
    if (!mount.mounted()) GTEST_SKIP() << "cannot bind a file here";
    for (Disposal disposal : {Disposal::delete_, Disposal::trash})
        for (const auto& [item, said] : std::vector<std::pair<std::string, std::string>>{
                 {bound, "Another file or volume is mounted here; Korvane left it alone."},
                 {at("app/build"), SafeRemover::mountPointMessage(bound)}})
            EXPECT_EQ(runOne(candidate(item, 10), disposal).message, said) << item;
    EXPECT_EQ(readFile(bound), "keep");
    EXPECT_TRUE(std::filesystem::is_empty(trashRoot_ + "/info"));
}

TEST_F(CleanupEngineTest, ReadOnlyVolumeGivesTheReadOnlyMessage) {
    const std::string mountPoint = tree_.folder("home/volume");
    auto mount = ScopedMount::tmpfs(mountPoint);
    if (!mount.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    tree_.file("home/volume/cache/x", 10);
    mount.remountReadOnly();
    for (Disposal disposal : {Disposal::delete_, Disposal::trash}) {
        CleanupOutcome outcome = runOne(candidate(at("volume/cache"), 10), disposal);
        EXPECT_EQ(outcome.status, Status::failed);
        EXPECT_EQ(outcome.message, "This is on a read-only volume.");
    }
    EXPECT_TRUE(exists(at("volume/cache/x")));
}

TEST_F(CleanupEngineTest, PermissionFailureGivesThePermissionMessage) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to hand the home to another user";
    constexpr uid_t nobody = 65534;
    ASSERT_EQ(chmod(tree_.root().c_str(), 0755), 0);
    ASSERT_EQ(std::system(("chown -R 65534:65534 '" + home() + "'").c_str()), 0);
    tree_.file("home/locked/cache/x", 10);  // made by root: not the user's to remove
    auto before = fingerprint(at("locked"));

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(nobody) != 0 || setuid(nobody) != 0) _exit(100);
        int wrong = 0;
        for (Disposal disposal : {Disposal::delete_, Disposal::trash}) {
            CleanupOutcome outcome = engine.removePath(candidate(at("locked/cache"), 10), disposal);
            if (outcome.status != Status::failed || outcome.message != kPermission) ++wrong;
        }
        _exit(wrong);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 100) GTEST_SKIP() << "cannot drop privileges here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(before, fingerprint(at("locked")));
}

TEST_F(CleanupEngineTest, RemovalMessagesFollowTheMeaningOfTheError) {
    EXPECT_EQ(CleanupEngine::removalMessage(ENOENT), "Already gone");
    EXPECT_EQ(CleanupEngine::removalMessage(EACCES), kPermission);
    EXPECT_EQ(CleanupEngine::removalMessage(EPERM), kPermission);
    EXPECT_EQ(CleanupEngine::removalMessage(EROFS), "This is on a read-only volume.");
    EXPECT_EQ(CleanupEngine::removalMessage(ENOSPC), "No space left on device");
    EXPECT_EQ(CleanupEngine::removalMessage(EXDEV, "told"), "told");
    // The other platform's numbers mean nothing here.
    EXPECT_EQ(CleanupEngine::removalMessage(4), "Interrupted system call");
}

TEST_F(CleanupEngineTest, ExcludedPathsAreNeverRemoved) {
    tree_.file("home/work/app/node_modules/x.js", 10);
    tree_.file("home/work/lib/node_modules/y.js", 10);
    tree_.file("home/keep/cache/z", 10);
    engine.setExcludedPaths({at("work/app/../app"), at("keep/cache")});
    auto before = outsideOf(tree_.root(), at("work/lib/node_modules"));

    CleanupReport report =
        engine.run({candidate(at("work/app/node_modules"), 30, SafetyLevel::safe, "node.modules"),
                    candidate(at("keep"), 20), candidate(at("keep/cache"), 15),
                    candidate(at("work/lib/node_modules"), 10, SafetyLevel::safe, "node.modules")},
                   nullptr, nullptr);

    ASSERT_EQ(report.outcomes.size(), 4u);
    EXPECT_EQ(report.outcomes[0].status, Status::skipped);
    EXPECT_EQ(report.outcomes[0].message, "You marked this \u201CNever touch\u201D");
    EXPECT_EQ(report.outcomes[1].status, Status::skipped);
    EXPECT_EQ(report.outcomes[1].message, "Holds a location you marked \u201CNever touch\u201D");
    EXPECT_EQ(report.outcomes[2].status, Status::skipped);
    EXPECT_EQ(report.outcomes[3].status, Status::deleted);
    EXPECT_EQ(before, outsideOf(tree_.root(), at("work/lib/node_modules")));
}

TEST_F(CleanupEngineTest, OnlyAllowedCommandsRun) {
    tool("docker");
    tool("xcrun");
    tool("brew");
    CleanupReport report =
        engine.run({command(ExternalTool::docker, {"image", "prune", "--all", "--force"}, 60),
                    command(ExternalTool::docker, {"system", "prune", "--force"}, 50),
                    command(ExternalTool::docker, {"image", "prune", "--force", "--all"}, 40),
                    command(ExternalTool::docker, {"image", "prune", "--all", "--force", "extra"}, 35),
                    command(ExternalTool::brew, {"cleanup"}, 30),
                    command(ExternalTool::simctl, {"delete", "unavailable"}, 20),
                    command(ExternalTool::docker, {"volume", "prune", "--force"}, 10)},
                   nullptr, nullptr);

    ASSERT_EQ(report.outcomes.size(), 7u);
    EXPECT_EQ(report.outcomes[0].status, Status::pruned);
    EXPECT_EQ(report.outcomes[0].path, "\u2014");
    EXPECT_EQ(report.outcomes[1].status, Status::skipped);
    EXPECT_EQ(report.outcomes[1].message,
              "\u201Cdocker system prune --force\u201D is not an allowed cleanup command");
    EXPECT_EQ(report.outcomes[2].status, Status::skipped);
    EXPECT_EQ(report.outcomes[3].status, Status::skipped);
    EXPECT_EQ(report.outcomes[4].status, Status::skipped);
    EXPECT_EQ(report.outcomes[4].message, "\u201Cbrew cleanup\u201D is not an allowed cleanup command");
    EXPECT_EQ(report.outcomes[5].status, Status::pruned);
    EXPECT_EQ(report.outcomes[6].status, Status::pruned);
    EXPECT_EQ(loggedCommands(),
              "image prune --all --force\nsimctl delete unavailable\nvolume prune --force\n");
    EXPECT_EQ(report.freedBytes(), 90);
}

TEST_F(CleanupEngineTest, EveryAllowedCommandRuns) {
    tool("docker");
    tool("xcrun");
    std::vector<CleanupCandidate> items;
    for (const auto& entry : CleanupEngine::allowedCommands())
        items.push_back(command(entry.tool, entry.arguments));
    ASSERT_EQ(items.size(), 6u);
    CleanupReport report = engine.run(items, nullptr, nullptr);
    for (const auto& outcome : report.outcomes) EXPECT_EQ(outcome.status, Status::pruned);
    EXPECT_EQ(
        loggedCommands(),
        "builder prune --force\nimage prune --force\nimage prune --all --force\ncontainer prune --force\n"
        "volume prune --force\nsimctl delete unavailable\n");
}

// A prune that freed clearly less than it offered leaves the rest listed.
TEST_F(CleanupEngineTest, APruneCountsWhatDockerSaysItReclaimed) {
    const std::vector<std::string> images = {"image", "prune", "--force"}, builder = {"builder", "prune", "--force"};
    // The bytes counted are removed bytes where it fell short; unreadable, the scan's figure stands.
    const std::vector<std::tuple<std::vector<std::string>, std::string, std::int64_t, std::optional<std::string>>>
        cases = {{images, "Total reclaimed space: 0B", 0, "Docker reclaimed 0 B of the 800 MB it offered"},
                 {images, "Deleted Images:\nuntagged: a\n\nTotal reclaimed space: 250MB", 250'000'000,
                  "Docker reclaimed 250 MB of the 800 MB it offered"},
                 {builder, "ID\tRECLAIMABLE\nx1\ttrue\nTotal:\t1.234GB", 1'234'000'000, std::nullopt},
                 {images, "Total reclaimed space: 799.5MB", 799'500'000, std::nullopt},
                 {images, "Total reclaimed space: plenty", 800'000'000, std::nullopt}};
    for (const auto& [arguments, printed, counted, message] : cases) {
        SCOPED_TRACE(printed);
        tool("docker", "printf '" + printed + "\\n'");
        const CleanupOutcome outcome = runOne(command(ExternalTool::docker, arguments, 800'000'000));
        EXPECT_EQ(outcome.status, message ? Status::failed : Status::pruned);
        EXPECT_EQ(outcome.succeeded() ? outcome.expectedBytes : outcome.removedBytes, counted);
        EXPECT_EQ(outcome.message, message);
    }
}

TEST_F(CleanupEngineTest, FailingCommandReportsItsErrorOutput) {
    tool("docker", "printf 'volume is in use\\n' >&2; printf 'noise\\n'; exit 1");
    CleanupOutcome outcome = runOne(command(ExternalTool::docker, {"volume", "prune", "--force"}));
    EXPECT_EQ(outcome.status, Status::failed);
    EXPECT_EQ(outcome.message, "volume is in use");
}

TEST_F(CleanupEngineTest, MissingToolFails) {
    CleanupOutcome outcome = runOne(command(ExternalTool::docker, {"builder", "prune", "--force"}));
    EXPECT_EQ(outcome.status, Status::failed);
    EXPECT_EQ(outcome.message, "\u201Cdocker\u201D is not installed, or is not where Korvane expected it.");
}

}  // namespace
}  // namespace korvane
