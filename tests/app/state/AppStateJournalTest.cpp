#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "core/safety/HistoryStore.h"
#include "core/safety/RunJournal.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Route = AppState::Route;
using Status = CleanupOutcome::Status;

class AppStateJournalTest : public testing::FlowFixture {
protected:
    std::string history() { return tree_.folder("history"); }

    // A folder of `files` files of 4 KB, listed at the size a scan gives it.
    CleanupCandidate folderOf(const std::string& relative, int files, SafetyLevel safety = SafetyLevel::safe) {
        for (int file = 0; file < files; ++file)
            tree_.file("home/" + relative + "/" + std::to_string(file), 4096);
        return CleanupCandidate(UUID::random(), CleanupCategory::node, "general.userChoice", "Group", relative,
                                at(relative), testing::duBytes(at(relative)), safety, "reason", std::nullopt,
                                std::nullopt, {}, RemovalKind::path());
    }
};

TEST_F(AppStateJournalTest, ACleanupIsWrittenDownWhileItRunsAndTheJournalGoesOnceItIsRecorded) {
    std::atomic<std::size_t> journalsMidRun{0};
    makeCleanupEngine_ = [&] {
        auto engine = std::make_unique<CleanupEngine>();
        engine->setEntryRemovedHook([&] { journalsMidRun = RunJournal::readAll(history()).size(); });
        return engine;
    };
    AppState& state = launch();
    const auto item = folderOf("cache", 3);
    state.developer().setScan(ScanResult({}, 1, {CategoryResult(CleanupCategory::node, item.size, {item})}, {}, {}));
    state.developer().setSelection({item.id});
    state.developer().startCleanup();
    ASSERT_TRUE(testing::waitUntil([&] { return state.navigation().route() == Route::finished; }));
    state_.reset();  // waits for the history writes
    EXPECT_EQ(journalsMidRun.load(), 1u);
    EXPECT_TRUE(RunJournal::readAll(history()).empty());
    EXPECT_EQ(HistoryStore(history()).reports().size(), 1u);
}

// The case: killed a second into deleting a large node_modules, the
// relaunched window must not offer it at its old size, and says what happened.
TEST_F(AppStateJournalTest, ACleanupCutOffByACrashIsToldAtTheNextStartAndTheScanShowsWhatIsLeft) {
    const auto modules = folderOf("app/node_modules", 60);
    const auto other = folderOf("other", 2);
    const std::int64_t footprint = modules.size + other.size + 1'000;
    HistoryStore stored(history());
    stored.saveLastScan(ScanResult(std::chrono::system_clock::now(), 2,
                                   {CategoryResult(CleanupCategory::node, footprint, {modules, other})},
                                   VolumeInfo(1'000'000'000, 1'000), {}));
    // What the crashed run left: its journal, with the folder under way half gone.
    RunJournal crashed(history());
    ASSERT_TRUE(crashed.open(std::chrono::system_clock::now(), VolumeInfo(1'000'000'000, 1'000),
                             {CleanupEngine::outcome(modules, Status::skipped),
                              CleanupEngine::outcome(other, Status::skipped)}));
    crashed.working(0, Disposal::delete_);
    for (int file = 0; file < 30; ++file) ::unlink(at("app/node_modules/" + std::to_string(file)).c_str());
    const std::int64_t leftNow = testing::duBytes(at("app/node_modules"));

    AppState& state = launch();
    EXPECT_EQ(state.navigation().route(), Route::finished);
    ASSERT_TRUE(state.developer().lastReport());
    const CleanupReport& report = *state.developer().lastReport();
    EXPECT_TRUE(report.stopped);
    ASSERT_EQ(report.outcomes.size(), 2u);
    EXPECT_EQ(report.outcomes[0].removedBytes, modules.size - leftNow);
    EXPECT_EQ(report.outcomes[1].status, Status::skipped);
    EXPECT_EQ(state.developer().restoreNotice(),
              "Korvane ended before this cleanup was done. This is what it had done; History keeps it too.");
    EXPECT_TRUE(state.developer().restoreNoticeIsProblem());

    // The scan offers the folder at what is in it now, and its category fell by what went.
    const auto candidates = state.developer().scan()->allCandidates();
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0].size, leftNow);
    EXPECT_EQ(state.developer().scan()->categories[0].footprint, footprint - (modules.size - leftNow));

    state_.reset();
    HistoryStore after(history());
    ASSERT_EQ(after.reports().size(), 1u);
    EXPECT_TRUE(after.reports()[0].stopped);
    EXPECT_EQ(after.loadLastScan()->allCandidates()[0].size, leftNow);
    EXPECT_TRUE(RunJournal::readAll(history()).empty());

    // Told once: the next start is an ordinary one.
    AppState& again = launch();
    EXPECT_EQ(again.navigation().route(), Route::explore);
    EXPECT_EQ(again.developer().scan()->allCandidates()[0].size, leftNow);
}

}  // namespace
}  // namespace korvane
