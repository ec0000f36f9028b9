#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <regex>

#include "core/safety/CleanupEngine.h"
#include "core/safety/HistoryStore.h"
#include "core/safety/InterruptedRun.h"
#include "core/safety/PutBackJournal.h"
#include "core/safety/RestoreEngine.h"
#include "core/safety/RunJournal.h"
#include "core/system/FileContents.h"
#include "core/text/ByteFormat.h"
#include "tests/support/ChildProcess.h"
#include "tests/safety/CleanupFixture.h"

namespace korvane {
namespace {

using Status = CleanupOutcome::Status;
using testing::exists;

const std::string kNotReached = "Korvane was cut off before this item was reached";

class RunJournalTest : public testing::CleanupFixture {
protected:
    RunJournalTest() : history_(tree_.folder("history")) {}

    std::string history() const { return history_.directory(); }
    std::shared_ptr<RunJournal> journal() const { return std::make_shared<RunJournal>(history()); }
    std::vector<RunJournal::Record> left() const { return RunJournal::readAll(history()); }
    // A journal of a run over `items` as a crash leaves it: open, nothing under way.
    std::unique_ptr<RunJournal> opened(const std::vector<CleanupCandidate>& items) const {
        auto written = std::make_unique<RunJournal>(history());
        std::vector<CleanupOutcome> planned;
        for (const auto& item : items) planned.push_back(CleanupEngine::outcome(item, Status::skipped));
        EXPECT_TRUE(written->open(std::chrono::system_clock::now() - std::chrono::seconds(5),
                                  VolumeInfo(100, 50), planned));
        return written;
    }
    static long namesMatching(const std::string& folder, const std::string& pattern) {
        return std::ranges::count_if(testing::fingerprint(folder),
                                     [&](const auto& entry) { return std::regex_match(entry.first, std::regex(pattern)); });
    }

    // A folder of `files` files of 4 KB each, measured as a scan measures it.
    CleanupCandidate folderOf(const std::string& name, int files) {
        for (int file = 0; file < files; ++file) tree_.file("home/" + name + "/" + std::to_string(file), 4096);
        return candidate(at(name), testing::duBytes(at(name)));
    }

    HistoryStore history_;
};

TEST_F(RunJournalTest, TheRunIsWrittenDownBeforeItsFirstItemIsTouchedAndAsEachFinishes) {
    // Listed at what they measure: no figure of the journal goes beyond the plan's.
    tree_.file("home/small", 10);
    tree_.file("home/large", 10);
    const auto small = candidate(at("small"), testing::duBytes(at("small")));
    const auto large = candidate(at("large"), 2 * testing::duBytes(at("large")));
    CleanupEngine engine(trash_);
    engine.setJournal(journal());
    std::vector<RunJournal::Record> seenAtFirstEntry;
    engine.setEntryRemovedHook([&] {
        if (seenAtFirstEntry.empty()) seenAtFirstEntry = left();
    });

    const CleanupReport report = engine.run({small, large}, nullptr, nullptr);

    ASSERT_EQ(seenAtFirstEntry.size(), 1u);
    const RunJournal::Record& early = seenAtFirstEntry[0];
    EXPECT_EQ(std::chrono::floor<std::chrono::seconds>(early.date),
              std::chrono::floor<std::chrono::seconds>(report.date));
    ASSERT_EQ(early.planned.size(), 2u);  // in the run's order, largest first
    EXPECT_EQ(early.planned[0].candidateID, large.id);
    EXPECT_EQ(early.working, 0u);
    EXPECT_EQ(early.workingDisposal, Disposal::delete_);
    EXPECT_TRUE(early.finished.empty());

    const auto after = left();
    ASSERT_EQ(after.size(), 1u);  // until the report is recorded
    EXPECT_EQ(after[0].working, std::nullopt);
    ASSERT_EQ(after[0].finished.size(), 2u);
    EXPECT_EQ(after[0].finished.at(0), report.outcomes[0]);
    EXPECT_EQ(after[0].finished.at(1), report.outcomes[1]);
    RunJournal::discard(history(), after[0].fileName);
    EXPECT_TRUE(left().empty());
}

TEST_F(RunJournalTest, ARunKilledMidDeletionIsRecordedAsStoppedWithWhatItHadDone) {
    tree_.file("home/first/a", 10);
    const auto first = candidate(at("first"), 900'000'000);
    const auto big = folderOf("big", 400);
    const auto later = candidate(tree_.file("home/later", 10), 10);

    // A crash as a kill -9 makes it: nothing of the process runs after it.
    const auto child = testing::runInChild({}, [&] {
        CleanupEngine engine(trash_);
        engine.setJournal(journal());
        int entries = 0;
        engine.setEntryRemovedHook([&entries] {
            if (++entries == 150) ::raise(SIGKILL);
        });
        engine.run({later, big, first}, nullptr, nullptr);
        return std::string("not killed");
    });
    ASSERT_EQ(child, "child crashed");
    ASSERT_FALSE(exists(at("first")));
    ASSERT_TRUE(exists(at("big")));
    const std::int64_t leftOfBig = testing::duBytes(at("big"));
    ASSERT_LT(leftOfBig, big.size);

    const auto recorded = InterruptedRun::recover(history_);
    ASSERT_EQ(recorded.size(), 1u);
    const CleanupReport& report = recorded[0];
    EXPECT_TRUE(report.stopped);
    ASSERT_EQ(report.outcomes.size(), 3u);
    EXPECT_EQ(report.outcomes[0].status, Status::deleted);
    EXPECT_EQ(report.outcomes[1].status, Status::skipped);
    EXPECT_EQ(report.outcomes[1].removedBytes, big.size - leftOfBig);  // measured again
    EXPECT_EQ(report.outcomes[1].message,
              "Korvane was cut off partway through this: " + ByteFormat::string(big.size - leftOfBig) +
                  " of it was removed, the rest is still there");
    EXPECT_EQ(report.outcomes[2].message, kNotReached);
    EXPECT_TRUE(exists(at("later")));

    ASSERT_EQ(history_.reports().size(), 1u);
    EXPECT_EQ(history_.reports()[0].outcomes, report.outcomes);
    EXPECT_TRUE(left().empty());
    EXPECT_TRUE(InterruptedRun::recover(history_).empty());  // once
    EXPECT_EQ(history_.reports().size(), 1u);
}

TEST_F(RunJournalTest, ACrashAfterTheReportWasRecordedRecordsItOnce) {
    const auto item = candidate(tree_.file("home/item", 10), 10);
    CleanupEngine engine(trash_);
    engine.setJournal(journal());
    history_.record(engine.run({item}, nullptr, nullptr));

    EXPECT_TRUE(InterruptedRun::recover(history_).empty());
    EXPECT_EQ(history_.reports().size(), 1u);
    EXPECT_TRUE(left().empty());
}

TEST_F(RunJournalTest, AStepTheCrashCutShortIsLeftOut) {
    const auto a = candidate(at("a"), 20), b = candidate(at("b"), 10);
    RunJournal written(history());
    ASSERT_TRUE(written.open(std::chrono::system_clock::now(), VolumeInfo(100, 50),
                             {CleanupEngine::outcome(a, Status::skipped), CleanupEngine::outcome(b, Status::skipped)}));
    written.working(0, Disposal::trash);
    written.finished(0, CleanupEngine::outcome(a, Status::deleted));
    written.working(1, Disposal::delete_);
    const UniqueFd file(::open((history() + "/" + written.fileName()).c_str(), O_WRONLY | O_APPEND));
    ASSERT_TRUE(FileContents::writeAll(file.get(), "{\"finished\":1,\"outc"));

    const auto records = left();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].volumeBefore, VolumeInfo(100, 50));
    EXPECT_EQ(records[0].finished.size(), 1u);
    EXPECT_EQ(records[0].working, 1u);
    EXPECT_EQ(records[0].workingDisposal, Disposal::delete_);
}

TEST_F(RunJournalTest, TheItemUnderWayIsToldAsTheDiskShowsItNow) {
    struct Case {
        const char* name;
        bool command;
        bool stillThere;
        Disposal disposal;
        std::optional<std::int64_t> measuredNow;
        Status status;
        std::int64_t removed;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"gone, deleted", false, false, Disposal::delete_, std::nullopt, Status::deleted, 0, ""},
        {"gone to the Trash", false, true, Disposal::trash, std::nullopt, Status::trashed, 0, ""},
        {"gone from both", false, false, Disposal::trash, std::nullopt, Status::skipped, 0,
         "Korvane was cut off as this went to the Trash; it is neither here nor in the Trash now"},
        {"partly deleted", false, true, Disposal::delete_, 1'000'000, Status::skipped, 2'000'000,
         "Korvane was cut off partway through this: 2 MB of it was removed, the rest is still there"},
        {"grown meanwhile", false, true, Disposal::delete_, 4'000'000, Status::skipped, 0,
         "Korvane was cut off before any of this was removed"},
        {"a command", true, false, Disposal::delete_, std::nullopt, Status::skipped, 0,
         "Korvane was cut off while the command ran; some of what it removes may already be gone"},
    };
    for (const Case& test : cases) {
        const std::string path = at(std::string("item-") + std::to_string(&test - cases.data()));
        if (test.stillThere) tree_.file(path.substr(tree_.root().size() + 1), 10);
        const auto item = test.command ? command(ExternalTool::docker, {"image", "prune", "--force"}, 3'000'000)
                                       : candidate(path, 3'000'000);
        RunJournal::Record record;
        record.date = std::chrono::system_clock::now();
        record.planned = {CleanupEngine::outcome(item, Status::skipped)};
        record.working = 0;
        record.workingDisposal = test.disposal;
        // What stood at the path as it started to move (a made-up one where nothing was).
        struct stat there {};
        if (::lstat(path.c_str(), &there) != 0) there.st_dev = there.st_ino = 1;
        if (test.disposal == Disposal::trash) record.moved[0] = {there.st_dev, there.st_ino};
        // The move into the Trash happened, but the crash came before it was written down.
        std::optional<std::string> moved;
        if (test.status == Status::trashed) moved = trash_->moveToTrash(path).trashedPath;
        const CleanupReport report = InterruptedRun::report(
            record, [&](const std::string&) { return test.measuredNow; }, VolumeInfo(), *trash_);
        ASSERT_EQ(report.outcomes.size(), 1u) << test.name;
        EXPECT_EQ(report.outcomes[0].status, test.status) << test.name;
        EXPECT_EQ(report.outcomes[0].removedBytes, test.removed) << test.name;
        EXPECT_EQ(report.outcomes[0].message.value_or(""), test.message) << test.name;
        EXPECT_EQ(report.outcomes[0].trashURL, moved) << test.name;
    }
}

// Damaged, copied from another computer or left by another version: set aside, and read no more.
TEST_F(RunJournalTest, AJournalThatBreaksTheRulesIsSetAsideAndChangesNothing) {
    const auto noMeasure = [](const std::string&) { return std::optional<std::int64_t>(); };
    const auto victim = candidate(at("victim"), 5'000'000'000);
    // Each replaces `from` (the whole text where it is empty) by `to`.
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {victim.path, "/"}, {victim.path, "/etc"}, {victim.path, home() + "/../other"},
             {"\"version\":2", "\"version\":99"}, {"", "{\"date\":"}}) {
        const auto written = opened({victim});
        written->finished(0, CleanupEngine::outcome(victim, Status::deleted));
        const std::string file = history() + "/" + written->fileName();
        std::string text = from.empty() ? to : testing::readFile(file);
        for (std::size_t at; !from.empty() && (at = text.find(from)) != std::string::npos;)
            text.replace(at, from.size(), to);
        tree_.text(file.substr(tree_.root().size() + 1), text);
        EXPECT_TRUE(InterruptedRun::recover(history_, noMeasure).empty()) << to;
        EXPECT_TRUE(history_.reports().empty()) << to;
        EXPECT_FALSE(exists(file)) << to;
        EXPECT_EQ(namesMatching(history(), written->fileName() + "\\.unreadable-.*"), 1) << to;
    }
    // A size beyond any volume is held to the volume's.
    const auto claimed = candidate(at("claimed"), 9'000'000'000'000'000);  // 9,000 TB
    opened({claimed})->finished(0, CleanupEngine::outcome(claimed, Status::deleted));
    ASSERT_EQ(InterruptedRun::recover(history_, noMeasure).size(), 1u);
    EXPECT_LE(history_.totalFreed(), VolumeInfo::volumeOf(home()).totalCapacity);
    // So is a run that would free more than the volumes hold together.
    opened(std::vector(10, claimed));
    EXPECT_TRUE(InterruptedRun::recover(history_, noMeasure).empty());
    // Thousands of journals are not one start's work: a few each time.
    for (int copy = 0; copy < 20; ++copy)
        tree_.text("history/run-" + std::to_string(copy) + ".journal", "{\"date\":");
    InterruptedRun::recover(history_, noMeasure);
    EXPECT_EQ(namesMatching(history(), ".*\\.journal"), 20 - static_cast<long>(RunJournal::maxPerStart));
}

// What the user put into the Trash themselves is never Korvane's to offer, whatever a journal claims.
TEST_F(RunJournalTest, AnItemInTheTrashIsKorvanesOnlyWhenItIsWhatLeftThePath) {
    for (const bool finished : {false, true}) {
        const auto item = candidate(at("report.pdf"), 2'000'000);
        const auto written = opened({item});
        written->working(0, Disposal::trash);  // nothing at the path yet
        tree_.file("home/report.pdf", 2'000'000);
        const std::string usersOwn = trash_->moveToTrash(item.path).trashedPath;
        if (finished) written->finished(0, CleanupEngine::outcome(item, Status::trashed, std::nullopt, usersOwn));
        const auto recorded = InterruptedRun::recover(history_);
        ASSERT_EQ(recorded.size(), 1u);
        EXPECT_EQ(recorded[0].outcomes[0].trashURL, std::nullopt) << finished;
        EXPECT_TRUE(recorded[0].restorable().empty()) << finished;
        RestoreEngine(trash_).purge(history_.reports());
        EXPECT_TRUE(exists(usersOwn));
        std::filesystem::remove_all(trashRoot_);
    }
}

// A kill caught the item on its way to the Trash, whose record is dated in local time without a
// zone: a zone ahead at the next start does not hide it; a record for a move that never happened goes.
TEST_F(RunJournalTest, AnItemCaughtOnItsWayToTheTrashIsToldWhateverTheZoneIsNow) {
    std::optional<testing::ScopedEnv> zone;
    const auto inZone = [&zone](const char* name) {
        zone.emplace("TZ", std::string(name));
        ::tzset();
    };
    for (const auto& [zoneThen, zoneNow, moved] : {std::tuple{"UTC", "Asia/Tokyo", true},
                                                   {"Pacific/Honolulu", "Pacific/Kiritimati", true},
                                                   {"Europe/Berlin", "Asia/Tokyo", false}}) {
        const auto item = candidate(tree_.file("home/build/out", 10), 10);
        inZone(zoneThen);
        opened({item})->working(0, Disposal::trash);
        const std::string inTrash = trash_->moveToTrash(item.path).trashedPath;
        ASSERT_TRUE(moved || ::rename(inTrash.c_str(), item.path.c_str()) == 0);  // the record, not the move
        inZone(zoneNow);
        const auto recorded = InterruptedRun::recover(history_);
        ASSERT_EQ(recorded.size(), 1u);
        EXPECT_EQ(recorded[0].outcomes[0].status, moved ? Status::trashed : Status::skipped) << zoneNow;
        EXPECT_EQ(recorded[0].outcomes[0].trashURL, moved ? std::optional(inTrash) : std::nullopt) << zoneNow;
        EXPECT_EQ(exists(inTrash), moved) << zoneNow;
        EXPECT_EQ(namesMatching(trashRoot_ + "/info", ".+\\.trashinfo"), moved ? 1 : 0) << zoneNow;
        std::filesystem::remove_all(trashRoot_);
    }
    zone.reset();
    ::tzset();
}

// A kill between moving an item back and removing its record from the Trash:
// the next start marks it put back and leaves no record of it in the Trash.
TEST_F(RunJournalTest, APutBackKilledBeforeTheRecordWentLeavesNoRecordInTheTrash) {
    const auto item = folderOf("build", 2);
    const std::string inTrash = trash_->moveToTrash(item.path).trashedPath;
    history_.record(CleanupReport(std::chrono::system_clock::now(), 1,
                                  {CleanupEngine::outcome(item, Status::trashed, std::nullopt, inTrash)},
                                  VolumeInfo(), VolumeInfo()));
    ASSERT_TRUE(PutBackJournal::open(history(), history_.reports()[0]));
    ASSERT_EQ(::rename(inTrash.c_str(), item.path.c_str()), 0);  // the move back, not the record
    std::vector<std::string> setAside;
    ASSERT_EQ(PutBackJournal::recover(history_, setAside).size(), 1u);
    EXPECT_TRUE(history_.reports()[0].outcomes[0].putBack);
    EXPECT_EQ(namesMatching(trashRoot_ + "/info", ".*\\.trashinfo"), 0);
}

}  // namespace
}  // namespace korvane
