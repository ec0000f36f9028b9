#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <map>

#include "core/safety/CleanupEngine.h"
#include "core/safety/HistoryStore.h"
#include "core/safety/InterruptedRun.h"
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

    // A folder of `files` files of 4 KB each, measured as a scan measures it.
    CleanupCandidate folderOf(const std::string& name, int files) {
        for (int file = 0; file < files; ++file) tree_.file("home/" + name + "/" + std::to_string(file), 4096);
        return candidate(at(name), testing::duBytes(at(name)));
    }

    HistoryStore history_;
};

TEST_F(RunJournalTest, TheRunIsWrittenDownBeforeItsFirstItemIsTouchedAndAsEachFinishes) {
    const auto small = candidate(tree_.file("home/small", 10), 10);
    const auto large = candidate(tree_.file("home/large", 10), 90);
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

}  // namespace
}  // namespace korvane
