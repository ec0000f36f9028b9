#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/safety/CleanupEngine.h"
#include "core/safety/HistoryStore.h"
#include "core/safety/RestoreEngine.h"
#include "tests/platform/RemovalTestSupport.h"
#include "tests/safety/CleanupFixture.h"
#include "tests/support/ChildProcess.h"

namespace korvane {
namespace {

using Status = RestoreEngine::Outcome::Status;
using testing::duBytes;
using testing::exists;
using testing::fingerprint;
using testing::readFile;
using testing::ScopedMount;

const std::string kBackInPlace = "Already back in place";
const std::string kNotInTrash = "No longer in the Trash";
const std::string kNotOurs = "That is not where Korvane puts things";
const std::string kSomethingElse = "Something else is now where this was, so it stays in the Trash";

class RestoreEngineTest : public testing::CleanupFixture {
protected:
    CleanupEngine cleaner{trash_};
    RestoreEngine restorer{trash_};

    // Trashes the given candidates and returns the report.
    CleanupReport trashAll(const std::vector<CleanupCandidate>& items) {
        return cleaner.run(
            items, [](const CleanupCandidate&) { return Disposal::trash; }, nullptr);
    }

    // A trashed outcome naming an item of the home trash, as a report would hold it.
    CleanupOutcome recorded(const std::string& formerPath, const std::string& trashPath,
                            std::int64_t bytes = 10) {
        return CleanupOutcome(UUID::random(), CleanupCategory::node, "item", formerPath, bytes,
                              CleanupOutcome::Status::trashed, std::nullopt, trashPath);
    }
    // Puts an item into the home trash by hand, with a record naming `formerPath`.
    std::string plant(const std::string& name, const std::string& formerPath) {
        tree_.text("home/.local/share/Trash/files/" + name + "/data", "planted");
        tree_.text("home/.local/share/Trash/info/" + name + ".trashinfo",
                   "[Trash Info]\nPath=" + FreedesktopTrash::encodePath(formerPath) +
                       "\nDeletionDate=2024-05-01T12:00:00\n");
        return trashRoot_ + "/files/" + name;
    }
};

TEST_F(RestoreEngineTest, ReportWithoutTrashedItemsRestoresNothing) {
    tree_.file("home/x", 1);
    CleanupReport report = cleaner.run({candidate(at("x"), 1)}, nullptr, nullptr);  // deleted, not trashed
    RestoreEngine::Report result = restorer.restore(report);
    EXPECT_TRUE(result.outcomes.empty());
    EXPECT_EQ(result.restoredBytes(), 0);
    EXPECT_EQ(result.restoredCount(), 0);
    EXPECT_TRUE(result.problems().empty());
}

TEST_F(RestoreEngineTest, RecordedPathsThatAreNotAbsoluteAreNeverActedOn) {
    // The Trash really holds an item from ~/Developer/api; the report names it only as "~/...".
    const std::string trashed = plant("api", at("Developer/api"));
    CleanupReport report(std::chrono::system_clock::now(), 1,
                         {recorded("~/Developer/api", trashed), recorded("Developer/api", trashed)}, {}, {});
    RestoreEngine::Report result = restorer.restore(report);
    ASSERT_EQ(result.outcomes.size(), 2u);
    for (const auto& outcome : result.outcomes) {
        EXPECT_EQ(outcome.status, Status::blocked);
        ASSERT_TRUE(outcome.message);
        EXPECT_FALSE(outcome.message->empty());
    }
    EXPECT_EQ(result.outcomes[0].message, "Korvane did not record where this went");
    EXPECT_EQ(restorer.purgeFromTrash({report}), 0);
    EXPECT_FALSE(exists(at("Developer/api")));
    EXPECT_EQ(readFile(trashed + "/data"), "planted");
}

TEST_F(RestoreEngineTest, PutsItemsBackAndRefusesASecondTime) {
    tree_.file("home/app/build/out.o", 100);
    tree_.file("home/lib/build/lib.a", 100);
    auto before = fingerprint(at("app/build"));
    const std::int64_t went = duBytes(at("app/build")) + duBytes(at("lib/build"));
    CleanupReport report = trashAll({candidate(at("app/build"), 300, SafetyLevel::caution),
                                     candidate(at("lib/build"), 200, SafetyLevel::caution)});
    ASSERT_EQ(report.restorable().size(), 2u);

    RestoreEngine::Report first = restorer.restore(report);

    ASSERT_EQ(first.outcomes.size(), 2u);
    EXPECT_EQ(first.restoredCount(), 2);
    EXPECT_EQ(first.restoredBytes(), went);
    EXPECT_EQ(first.outcomes[0].status, Status::restored);
    EXPECT_EQ(first.outcomes[0].message, std::nullopt);
    EXPECT_EQ(first.outcomes[0].path, at("app/build"));
    EXPECT_EQ(first.outcomes[0].candidateID, report.outcomes[0].candidateID);
    EXPECT_EQ(before, fingerprint(at("app/build")));
    EXPECT_FALSE(exists(trashRoot_ + "/info/build.trashinfo"));

    RestoreEngine::Report second = restorer.restore(report);
    ASSERT_EQ(second.problems().size(), 2u);
    for (const auto& outcome : second.outcomes) {
        EXPECT_EQ(outcome.status, Status::blocked);
        EXPECT_EQ(outcome.message, kBackInPlace);
    }
}

TEST_F(RestoreEngineTest, ItemEmptiedByTheUserIsMissing) {
    tree_.file("home/cache/x", 10);
    CleanupReport report = trashAll({candidate(at("cache"), 10)});
    std::filesystem::remove_all(*report.outcomes[0].trashURL);
    RestoreEngine::Report result = restorer.restore(report);
    ASSERT_EQ(result.outcomes.size(), 1u);
    EXPECT_EQ(result.outcomes[0].status, Status::missing);
    EXPECT_EQ(result.outcomes[0].message, kNotInTrash);
}

TEST_F(RestoreEngineTest, OutcomeWithoutTrashLocation) {
    CleanupOutcome outcome = recorded(at("x"), "");
    outcome.trashURL.reset();
    RestoreEngine::Outcome result = restorer.restore(outcome);
    EXPECT_EQ(result.status, Status::missing);
    EXPECT_EQ(result.message, "Korvane did not record where this went");
}

TEST_F(RestoreEngineTest, ForeignItemWithTheSameNameIsNeverTouched) {
    tree_.file("home/app/build/out.o", 10);
    CleanupReport report = trashAll({candidate(at("app/build"), 10)});
    const std::string trashed = *report.outcomes[0].trashURL;
    // The user empties the Trash, then trashes another "build" that takes the same name.
    std::filesystem::remove_all(trashed);
    std::filesystem::remove(trashRoot_ + "/info/build.trashinfo");
    plant("build", at("other/build"));
    auto before = fingerprint(tree_.root());

    RestoreEngine::Outcome result = restorer.restore(report.outcomes[0]);
    std::int64_t purged = restorer.purgeFromTrash({report});

    EXPECT_EQ(result.status, Status::missing);
    EXPECT_EQ(result.message, kNotInTrash);
    EXPECT_EQ(purged, 0);
    EXPECT_EQ(before, fingerprint(tree_.root()));
}

TEST_F(RestoreEngineTest, LocationOutsideTheTrashIsNotOurs) {
    tree_.text("home/Documents/report.txt", "precious");
    tree_.text("home/Documents/files/report.txt", "precious too");
    auto before = fingerprint(tree_.root());
    CleanupReport report(std::chrono::system_clock::now(), 0,
                         {recorded(at("gone/report.txt"), at("Documents/report.txt")),
                          recorded(at("gone/files-report.txt"), at("Documents/files/report.txt"))},
                         {}, {});

    RestoreEngine::Report result = restorer.restore(report);
    std::int64_t purged = restorer.purgeFromTrash({report});

    ASSERT_EQ(result.outcomes.size(), 2u);
    for (const auto& outcome : result.outcomes) {
        EXPECT_EQ(outcome.status, Status::blocked);
        EXPECT_EQ(outcome.message, kNotOurs);
    }
    EXPECT_EQ(purged, 0);
    EXPECT_EQ(before, fingerprint(tree_.root()));
}

TEST_F(RestoreEngineTest, FormerPlaceThePolicyRefusesKeepsTheItemInTheTrash) {
    const std::string toSsh = plant("key", at(".ssh/key"));
    const std::string toEtc = plant("hosts", "/etc/korvane-test-hosts");
    auto before = fingerprint(tree_.root());

    RestoreEngine::Outcome ssh = restorer.restore(recorded(at(".ssh/key"), toSsh));
    RestoreEngine::Outcome etc = restorer.restore(recorded("/etc/korvane-test-hosts", toEtc));

    EXPECT_EQ(ssh.status, Status::blocked);
    EXPECT_EQ(ssh.message, "Contains \u201C.ssh\u201D, which Korvane never removes");
    EXPECT_EQ(etc.status, Status::blocked);
    EXPECT_EQ(etc.message, "Outside your home folder");
    EXPECT_EQ(before, fingerprint(tree_.root()));
    EXPECT_FALSE(exists("/etc/korvane-test-hosts"));
}

TEST_F(RestoreEngineTest, MissingParentFoldersAreMadeAgain) {
    tree_.file("home/projects/app/node_modules/pkg/index.js", 10);
    CleanupReport report = trashAll({candidate(at("projects/app/node_modules"), 10)});
    std::filesystem::remove_all(at("projects"));

    RestoreEngine::Report result = restorer.restore(report);

    EXPECT_EQ(result.restoredCount(), 1);
    EXPECT_TRUE(exists(at("projects/app/node_modules/pkg/index.js")));
}

TEST_F(RestoreEngineTest, AFileOrLinkWhereAFolderWasIsNamed) {
    for (const auto& [inTheWay, what] :
         {std::pair{"projects/x", "a file"}, {"projects", "a file"}, {"projects/x", "a link"}}) {
        std::filesystem::remove_all(at("projects"));
        tree_.file("home/projects/x/node_modules/a.js", 10);
        const CleanupOutcome trashed = trashAll({candidate(at("projects/x/node_modules"), 10)}).outcomes[0];
        std::filesystem::remove_all(at(inTheWay));
        const std::string place = std::string("home/") + inTheWay;
        what == std::string("a link") ? tree_.symlink(place, tree_.folder("home/elsewhere")) : tree_.text(place, "a");
        const RestoreEngine::Outcome result = restorer.restore(trashed);
        EXPECT_EQ(result.status, Status::blocked);
        EXPECT_EQ(result.message, "\u201C~/" + std::string(inTheWay) + "\u201D is now " + what +
                                      ", so \u201Cnode_modules\u201D cannot be put back there");
    }
}

TEST_F(RestoreEngineTest, SomethingNewAtTheFormerPlaceIsNeverOverwritten) {
    tree_.text("home/notes/cache.txt", "old");
    CleanupReport report = trashAll({candidate(at("notes/cache.txt"), 10)});
    tree_.text("home/notes/cache.txt", "new");

    RestoreEngine::Outcome result = restorer.restore(report.outcomes[0]);

    EXPECT_EQ(result.status, Status::blocked);
    EXPECT_EQ(result.message, kSomethingElse);  // not "back in place": the item is still in the Trash
    EXPECT_EQ(readFile(at("notes/cache.txt")), "new");
    EXPECT_EQ(readFile(*report.outcomes[0].trashURL), "old");
}

// The inner item went to the Trash before its parent: both come back whole,
// whatever order the report lists them in.
TEST_F(RestoreEngineTest, NestedItemsComeBackOuterFirst) {
    tree_.file("home/web/node_modules/.vite/deps.js", 10);
    tree_.file("home/web/node_modules/react/index.js", 10);
    CleanupReport report = trashAll({candidate(at("web/node_modules/.vite"), 50, SafetyLevel::caution,
                                               "node.viteCache"),
                                     candidate(at("web/node_modules"), 40, SafetyLevel::caution, "node.modules")});
    ASSERT_EQ(report.restorable().size(), 2u);
    ASSERT_EQ(report.outcomes[0].path, at("web/node_modules/.vite"));

    RestoreEngine::Report result = restorer.restore(report);

    ASSERT_EQ(result.outcomes.size(), 2u);
    EXPECT_EQ(result.outcomes[0].path, at("web/node_modules/.vite"));
    EXPECT_EQ(result.outcomes[1].path, at("web/node_modules"));
    EXPECT_EQ(result.restoredCount(), 2);
    EXPECT_TRUE(exists(at("web/node_modules/.vite/deps.js")));
    EXPECT_TRUE(exists(at("web/node_modules/react/index.js")));
    EXPECT_TRUE(std::filesystem::is_empty(trashRoot_ + "/files"));
    EXPECT_EQ(restorer.purgeFromTrash({report}), 0);
}

// After a relaunch the report comes from the history file: a name that is not
// UTF-8 must still name the item in the Trash.
TEST_F(RestoreEngineTest, NamesThatAreNotUtf8ComeBackAfterARelaunch) {
    const std::string name = "caf\xe9-\xff";
    tree_.file("home/cache/" + name + "/data", 10);
    tree_.file("home/other/" + name + "/data", 10);
    const std::int64_t other = duBytes(at("other/" + name));
    HistoryStore history(tree_.folder("history"));
    history.record(trashAll({candidate(at("cache/" + name), 10), candidate(at("other/" + name), 5)}));

    std::vector<CleanupReport> stored = HistoryStore(tree_.path("history")).reports();
    ASSERT_EQ(stored.size(), 1u);
    ASSERT_EQ(stored[0].restorable().size(), 2u);
    EXPECT_EQ(stored[0].outcomes[0].path, at("cache/" + name));

    RestoreEngine::Outcome back = restorer.restore(stored[0].outcomes[0]);
    EXPECT_EQ(back.status, Status::restored) << back.message.value_or("");
    EXPECT_TRUE(exists(at("cache/" + name + "/data")));
    EXPECT_EQ(restorer.purgeFromTrash(stored), other);
    EXPECT_TRUE(std::filesystem::is_empty(trashRoot_ + "/files"));
}

TEST_F(RestoreEngineTest, StoredPathsWithANulByteAreRefused) {
    tree_.file("home/cache/x", 10);
    CleanupReport report = trashAll({candidate(at("cache"), 10)});
    auto before = fingerprint(tree_.root());
    CleanupOutcome badFormer = report.outcomes[0];
    badFormer.path = at("cache") + std::string("\0/../../x", 9);
    CleanupOutcome badTrash = report.outcomes[0];
    badTrash.trashURL = *badTrash.trashURL + std::string("\0x", 2);

    EXPECT_EQ(restorer.restore(badFormer).status, Status::blocked);
    EXPECT_EQ(restorer.restore(badTrash).status, Status::blocked);
    EXPECT_EQ(restorer.restore(badTrash).message, kNotOurs);
    CleanupReport bad(report.date, 0, {badFormer, badTrash}, {}, {});
    EXPECT_EQ(restorer.purgeFromTrash({bad}), 0);
    EXPECT_EQ(before, fingerprint(tree_.root()));
}

TEST_F(RestoreEngineTest, PurgeRemovesOnlyKorvanesItemsAndCountsTheirBytes) {
    tree_.file("home/a/cache/x", 10);
    tree_.file("home/b/cache/y", 10);
    tree_.file("home/c/build/z", 10);
    const std::int64_t ours = duBytes(at("a/cache")) + duBytes(at("b/cache"));
    CleanupReport first = trashAll({candidate(at("a/cache"), 1000), candidate(at("b/cache"), 500)});
    CleanupReport second = trashAll({candidate(at("c/build"), 250)});
    // A foreign item named like one of ours, already in the Trash.
    const std::string foreign = plant("cache.3", at("d/cache"));
    auto foreignBefore = fingerprint(foreign);
    // The user put one item back by hand.
    ASSERT_TRUE(trash_->putBack(*second.outcomes[0].trashURL, at("c/build")).ok());

    EXPECT_EQ(restorer.purgeFromTrash({first, second}), ours);

    EXPECT_FALSE(exists(*first.outcomes[0].trashURL));
    EXPECT_FALSE(exists(*first.outcomes[1].trashURL));
    EXPECT_TRUE(exists(at("c/build/z")));
    EXPECT_EQ(foreignBefore, fingerprint(foreign));
    EXPECT_TRUE(exists(trashRoot_ + "/info/cache.3.trashinfo"));
    EXPECT_EQ(restorer.purgeFromTrash({first, second}), 0);
}

TEST_F(RestoreEngineTest, WhatIsInTheTrashIsExactlyWhatPurgeRemoves) {
    tree_.file("home/a/cache/x", 120'000);
    tree_.file("home/b/cache/y", 50'000);
    tree_.file("home/c/build/z", 10);
    CleanupReport first = trashAll({candidate(at("a/cache"), 1000), candidate(at("b/cache"), 500)});
    CleanupReport second = trashAll({candidate(at("c/build"), 250)});
    // "a/cache" is put back and trashed again: the newer report names the same Trash item.
    ASSERT_TRUE(trash_->putBack(*first.outcomes[0].trashURL, at("a/cache")).ok());
    CleanupReport third = trashAll({candidate(at("a/cache"), 1200)});
    ASSERT_EQ(third.outcomes[0].trashURL, first.outcomes[0].trashURL);
    // The user emptied one item by hand, and another of the same name is the user's own.
    std::filesystem::remove_all(*second.outcomes[0].trashURL);
    std::filesystem::remove(trashRoot_ + "/info/build.trashinfo");
    plant("build", at("elsewhere/build"));
    const std::vector<CleanupReport> reports{third, second, first};  // newest first, as history keeps them

    const std::vector<CleanupOutcome> held = restorer.inTrash(reports);
    std::vector<std::int64_t> sizes;
    for (const auto& outcome : held) sizes.push_back(outcome.expectedBytes);
    EXPECT_EQ(sizes, (std::vector<std::int64_t>{duBytes(*third.outcomes[0].trashURL),
                                                duBytes(*first.outcomes[1].trashURL)}));
    EXPECT_EQ(restorer.purge(reports), held);
    EXPECT_TRUE(exists(trashRoot_ + "/files/build"));
    EXPECT_TRUE(restorer.inTrash(reports).empty());
}

// Folders of root's in a trashed tree (as "sudo npm install" leaves them): only what went counts.
TEST_F(RestoreEngineTest, AnEmptyingThatCanRemoveOnlyPartOfAnItemSaysWhy) {
    tree_.file("home/app/node_modules/pkg/a.js", 40'000);
    tree_.file("home/app/node_modules/.root/b.js", 20'000);
    CleanupReport report = trashAll({candidate(at("app/node_modules"), 60'000)});
    const std::string trashed = *report.outcomes[0].trashURL;
    ASSERT_TRUE(testing::handToUnprivileged(tree_.root()));
    ASSERT_EQ(chmod(tree_.root().c_str(), 0755), 0);
    if (geteuid() == 0) {
        ASSERT_EQ(chown((trashed + "/.root").c_str(), 0, 0), 0);
    }
    const std::string went = std::to_string(duBytes(trashed + "/pkg"));
    auto seen = testing::runInChild({.unprivileged = true}, [&] {
        const RestoreEngine::Emptied emptied = restorer.purgeHeld(restorer.inTrash({report}));
        if (emptied.notEmptied.size() != 1) return std::to_string(emptied.freedBytes());
        const auto& kept = emptied.notEmptied.front();
        return std::to_string(emptied.freedBytes()) + " " + std::to_string(kept.removedBytes) + " " +
               std::to_string(kept.leftBytes) + " " + kept.reason;
    });
    if (!seen) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(*seen, went + " " + went + " " + std::to_string(duBytes(trashed)) +
                         " Korvane does not have permission to remove this. Check who owns it and the "
                         "permissions of its folder.");
}

TEST_F(RestoreEngineTest, AStopLeavesWhatItHadNotReachedInTheTrashWithItsRecord) {
    tree_.file("home/a/cache/x", 10);
    tree_.file("home/b/cache/y", 10);
    CleanupReport report = trashAll({candidate(at("a/cache"), 1000), candidate(at("b/cache"), 500)});
    Flag stop;
    stop.setValue(true);

    const RestoreEngine::Report restored = restorer.restore(report, &stop);
    ASSERT_EQ(restored.outcomes.size(), 2u);
    for (const auto& outcome : restored.outcomes) {
        EXPECT_EQ(outcome.status, Status::blocked);
        EXPECT_EQ(outcome.message, "Stopped before this was put back; it is still in the Trash");
    }
    EXPECT_TRUE(restorer.purge({report}, &stop).empty());
    EXPECT_EQ(restorer.inTrash({report}).size(), 2u);
    EXPECT_FALSE(exists(at("a/cache")));
}

TEST_F(RestoreEngineTest, ItemsOnAnotherVolumeComeBackFromThatVolumesTrash) {
    const std::string volume = tree_.folder("home/volume");
    auto mount = ScopedMount::tmpfs(volume);
    if (!mount.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    tree_.text("home/volume/app/build/out.o", "obj");
    tree_.text("home/volume/lib/build/lib.a", "lib");
    const std::int64_t lib = duBytes(at("volume/lib/build"));
    CleanupReport report =
        trashAll({candidate(at("volume/app/build"), 20), candidate(at("volume/lib/build"), 10)});
    ASSERT_EQ(report.restorable().size(), 2u);
    EXPECT_EQ(report.outcomes[0].trashURL->rfind(volume + "/.Trash-", 0), 0u);

    RestoreEngine::Outcome back = restorer.restore(report.outcomes[0]);
    EXPECT_EQ(back.status, Status::restored);
    EXPECT_EQ(readFile(at("volume/app/build/out.o")), "obj");
    EXPECT_EQ(restorer.purgeFromTrash({report}), lib);
    EXPECT_FALSE(exists(*report.outcomes[1].trashURL));
}

TEST_F(RestoreEngineTest, StatusTextForms) {
    EXPECT_EQ(rawValue(Status::restored), "restored");
    EXPECT_EQ(rawValue(Status::missing), "missing");
    EXPECT_EQ(rawValue(Status::blocked), "blocked");
    EXPECT_EQ(rawValue(Status::failed), "failed");
    EXPECT_EQ(restoreStatusFromRawValue("blocked"), Status::blocked);
    EXPECT_EQ(restoreStatusFromRawValue("Blocked"), std::nullopt);
}

}  // namespace
}  // namespace korvane
