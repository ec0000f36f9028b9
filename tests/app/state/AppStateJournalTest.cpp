#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "core/platform/Trash_linux.h"
#include "core/safety/HistoryStore.h"
#include "core/safety/PutBackJournal.h"
#include "core/safety/RunJournal.h"
#include "core/system/Paths.h"
#include "tests/app/state/FlowFixture.h"
#include "tests/support/SyscallHooks.h"

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
    ASSERT_TRUE(testing::waitUntil([&] { return state.navigation().route() == Route::finished; }));
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

// Closing the window or quitting waits for what runs on the Trash: it stops
// between two entries of a large folder and says so, and nothing goes on
// unseen afterwards.
TEST_F(AppStateJournalTest, AStoppedEmptyingEndsAtASafePointAndKeepsTheRestInTheTrash) {
    AppState& state = launch();
    const auto big = folderOf("big", 1'500);
    state.developer().setScan(ScanResult({}, 1, {CategoryResult(CleanupCategory::node, big.size, {big})}, {}, {}));
    state.developer().setSelection({big.id});
    state.preferences().setDisposalOverride(Disposal::trash);
    state.developer().startCleanup();
    ASSERT_TRUE(testing::waitUntil([&] { return state.navigation().route() == Route::finished; }));
    const std::string inTrash = *state.developer().lastReport()->outcomes[0].trashURL;

    state.developer().emptyOwnTrash();
    state.developer().stopTrashWorkAndWait();
    EXPECT_EQ(state.developer().trashWork(), TrashWork::none);
    ASSERT_TRUE(state.developer().restoreNotice());
    EXPECT_NE(state.developer().restoreNotice()->find("stopped; the rest of Korvane's items are still in the Trash."),
              std::string::npos);
    const std::int64_t left = testing::duBytes(inTrash);
    testing::FlowFixture::settle(0.3);
    EXPECT_EQ(testing::duBytes(inTrash), left);  // nothing goes on after the stop
    EXPECT_GT(left, 0);
    // Still Korvane's: it can be put back or emptied later.
    EXPECT_TRUE(state.developer().canRestore());
    ASSERT_TRUE(state.developer().reportFollowUp().ownInTrash);
    EXPECT_EQ(state.developer().reportFollowUp().ownInTrash->size(), 1u);
}

TEST_F(AppStateJournalTest, AStoppedPutBackIsRecordedWithoutTheScanThatWouldFollow) {
    AppState& state = launch();
    state.preferences().setMode(AppState::Mode::developer);
    const auto item = folderOf("build", 2);
    state.developer().setScan(ScanResult({}, 1, {CategoryResult(CleanupCategory::node, item.size, {item})}, {}, {}));
    state.developer().setSelection({item.id});
    state.preferences().setDisposalOverride(Disposal::trash);
    state.developer().startCleanup();
    ASSERT_TRUE(testing::waitUntil([&] { return state.navigation().route() == Route::finished; }));

    state.developer().restoreFromTrash();
    state.developer().stopTrashWorkAndWait();
    EXPECT_EQ(state.developer().trashWork(), TrashWork::none);
    EXPECT_FALSE(state.developer().isScanning());
    EXPECT_EQ(state.navigation().route(), Route::finished);
    ASSERT_TRUE(state.developer().restoreNotice());
    testing::FlowFixture::settle(0.2);
    EXPECT_FALSE(state.developer().isScanning());
}

// What a kill leaves behind at three moments, as the next start finds it:
// each makes the scan and History agree with the disk again.
TEST_F(AppStateJournalTest, TheNextStartMakesTheScanAndHistoryAgreeWithWhatAKillLeft) {
    const auto item = folderOf("build", 2);
    const auto kept = folderOf("other", 1);
    // Killed after the run was recorded, before the scan that follows it was saved.
    HistoryStore(history()).saveLastScan(ScanResult(
        {}, 1, {CategoryResult(CleanupCategory::node, item.size + kept.size, {item, kept})}, {}, {}));
    RunJournal ended(history());
    const auto date = std::chrono::system_clock::now();
    ASSERT_TRUE(ended.open(date, VolumeInfo(), {CleanupEngine::outcome(item, Status::skipped)}));
    ended.working(0, Disposal::trash);
    const std::string inTrash = FreedesktopTrash().moveToTrash(item.path).trashedPath;
    const auto trashed = CleanupEngine::outcome(item, Status::trashed, std::nullopt, inTrash);
    ended.finished(0, trashed);
    HistoryStore(history()).record(CleanupReport(date, 1, {trashed}, VolumeInfo(), VolumeInfo()));

    AppState& state = launch();
    ASSERT_TRUE(testing::waitUntil([&] { return state.navigation().route() == Route::explore; }));
    ASSERT_EQ(state.developer().scan()->allCandidates().size(), 1u);  // nothing offered that is in the Trash
    EXPECT_EQ(state.developer().scan()->allCandidates()[0].id, kept.id);

    // Killed while putting it back, after it was back in its place: what a
    // kill leaves on disk is the history folder as it was at that moment.
    state.developer().setLastReport(HistoryStore(history()).reports()[0]);
    // As a put back started after a relaunch notes it: with no candidate.
    const std::string unnoted = tree_.folder("unnoted");
    ASSERT_TRUE(PutBackJournal::open(unnoted, HistoryStore(history()).reports()[0]));
    const std::string atKill = tree_.folder("at-kill");
    testing::afterNextUnlink(Paths::lastComponent(inTrash) + ".trashinfo", [&] {
        std::filesystem::copy(history(), atKill, std::filesystem::copy_options::recursive);
    });
    state.developer().restoreFromTrash();
    ASSERT_TRUE(testing::waitUntil([&] { return state.developer().trashWork() == TrashWork::none; }));
    state_.reset();
    ASSERT_TRUE(std::filesystem::exists(item.path));
    // Beside that journal, the rest of the history folder as the kill left it.
    for (const auto& entry : std::filesystem::directory_iterator(atKill))
        if (!entry.path().filename().string().starts_with(PutBackJournal::namePrefix))
            std::filesystem::copy(entry, unnoted + "/" + entry.path().filename().string(),
                                  std::filesystem::copy_options::overwrite_existing);

    // Closed while the check runs, or let finish: the scan lists the item
    // again either way; without the candidate, it is taken again.
    enum class Start { closedAtOnce, checked, unnoted };
    for (const Start start : {Start::closedAtOnce, Start::checked, Start::unnoted}) {
        std::filesystem::remove_all(history());
        std::filesystem::copy(start == Start::unnoted ? unnoted : atKill, history());
        launch();
        const auto offered = [&] { return state_->developer().scan()->allCandidates().size(); };
        if (start == Start::checked) {
            ASSERT_TRUE(testing::waitUntil([&] { return !state_->developer().isCleaning(); }));
            EXPECT_EQ(offered(), 2u);
            EXPECT_EQ(state_->developer().scan()->categories[0].footprint, item.size + kept.size);
        }
        // No scanners here: the scan taken again finds nothing.
        EXPECT_TRUE(start != Start::unnoted || testing::waitUntil([&] { return offered() == 0; }));
        state_.reset();
        EXPECT_EQ(HistoryStore(history()).loadLastScan()->allCandidates().size(),
                  start == Start::unnoted ? 0u : 2u);
        ASSERT_EQ(HistoryStore(history()).reports().size(), 1u);
        EXPECT_TRUE(HistoryStore(history()).reports()[0].outcomes[0].putBack);
        EXPECT_EQ(HistoryStore(history()).totalFreed(), 0);
    }
}

// A journal that cannot be used is named once and set aside; the window
// shows at once that cut-off work is being checked, and is never held up.
TEST_F(AppStateJournalTest, CutOffWorkIsCheckedBehindAWindowThatSaysSoAndAnUnusableRecordIsNamedOnce) {
    tree_.text("history/run-copied.journal",
               "{\"date\":\"2026-01-01T00:00:00Z\",\"volumeBefore\":{},\"items\":[]}");

    AppState& state = launch();
    EXPECT_EQ(state.navigation().route(), Route::cleaning);
    EXPECT_EQ(state.developer().cleanupProgress().currentTitle, "Checking a cleanup that was cut off\u2026");
    ASSERT_TRUE(testing::waitUntil([&] { return state.navigation().route() != Route::cleaning; }));
    EXPECT_NE(state.developer().errorMessage().value_or("").find("\u201Crun-copied.journal.unreadable-"),
              std::string::npos);
    EXPECT_TRUE(HistoryStore(history()).reports().empty());

    AppState& again = launch();
    EXPECT_NE(again.navigation().route(), Route::cleaning);
    EXPECT_FALSE(again.developer().errorMessage());
}

}  // namespace
}  // namespace korvane
