#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/presenters/CompletionContent.h"
#include "core/safety/HistoryStore.h"
#include "core/text/IsoDate.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Mode = AppState::Mode;
using Route = AppState::Route;
using Sheet = AppState::Sheet;
using Status = CleanupOutcome::Status;

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::set<std::string> paths(const std::optional<ScanResult>& scan) {
    std::set<std::string> found;
    if (scan)
        for (const auto& candidate : scan->allCandidates()) found.insert(candidate.path);
    return found;
}

// A scan finds two items each time it runs (with new ids, as a real scan
// does): emulator images, to the Trash and not chosen in advance, and a build
// cache, safe and chosen in advance.
class AppStateConsentTest : public testing::FlowFixture {
protected:
    AppStateConsentTest() {
        images = tree_.file("home/Android/system-images/x86/image.img", 100);
        buildCache = tree_.file("home/.cache/go-build/00/entry", 100);
        // What a scan finds is what is there when it starts.
        scanners_ = [this] {
            ScannerEngine::Scanners scanners;
            scanners.push_back(std::make_unique<testing::FakeScanner>(
                CleanupCategory::android,
                found(CleanupCategory::android, "Android/system-images", SafetyLevel::caution, imagesClaim),
                gate));
            scanners.push_back(std::make_unique<testing::FakeScanner>(
                CleanupCategory::toolchains,
                found(CleanupCategory::toolchains, ".cache/go-build", SafetyLevel::safe, cacheClaim), gate));
            return scanners;
        };
    }

    std::vector<CleanupCandidate> found(CleanupCategory category, const std::string& relative,
                                        SafetyLevel safety, std::int64_t size) const {
        if (!exists(at(relative))) return {};
        return {item(category, relative, safety, size)};
    }

    // A rule the safety check admits anywhere in the home.
    CleanupCandidate item(CleanupCategory category, const std::string& relative, SafetyLevel safety,
                          std::int64_t size) const {
        return CleanupCandidate(UUID::random(), category, "general.userChoice", "Group", relative,
                                at(relative), size, safety, "reason", std::nullopt, std::nullopt, {},
                                RemovalKind::path());
    }

    // Launched, with a first scan on show in developer mode's explorer.
    AppState& scanned() {
        AppState& state = launch();
        state.developer().startScan();
        EXPECT_TRUE(testing::waitUntil(
            [&] { return state.developer().hasScan() && !state.developer().isScanning(); }));
        EXPECT_EQ(state.navigation().route(), Route::explore);
        return state;
    }
    const CleanupCandidate& find(const std::string& path) {
        for (const auto& category : state().developer().scan()->categories)
            for (const auto& candidate : category.candidates)
                if (candidate.path == path) return candidate;
        static const CleanupCandidate none;
        ADD_FAILURE() << "no candidate at " << path;
        return none;
    }
    // Only the emulator images chosen, and the review open on them.
    void reviewImagesOnly() {
        state().developer().setSelection({find(at("Android/system-images")).id});
        state().navigation().setSheet(Sheet::review);
    }
    std::vector<std::string> selectedPaths() {
        std::vector<std::string> found;
        for (const auto& candidate : state().developer().selectedCandidates())
            found.push_back(candidate.path);
        return found;
    }
    bool scanEnded() {
        return testing::waitUntil([this] { return !state().developer().isScanning(); });
    }
    bool finished() {
        return testing::waitUntil([this] { return state().navigation().route() == Route::finished; });
    }

    testing::FakeScanner::Gate gate = std::make_shared<std::atomic<bool>>(true);
    std::int64_t imagesClaim = 25'200'000;
    std::int64_t cacheClaim = 5'450'000'000;
    std::string images;
    std::string buildCache;
};

TEST_F(AppStateConsentTest, AScanBehindAnOpenReviewLeavesItsListAndCleanRemovesExactlyThat) {
    AppState& state = scanned();
    reviewImagesOnly();
    const std::vector<std::string> reviewed = selectedPaths();
    ASSERT_EQ(reviewed, std::vector<std::string>{at("Android/system-images")});

    // The schedule's scan (the tray's is the same), then the window's own (Ctrl+R with the review in front).
    state.onAutomationDue();
    ASSERT_TRUE(scanEnded());
    state.developer().startScan();
    ASSERT_TRUE(scanEnded());
    EXPECT_EQ(state.navigation().route(), Route::explore);
    EXPECT_EQ(state.navigation().sheet(), Sheet::review);
    EXPECT_TRUE(state.developer().holdsScan());
    testing::FlowFixture::settle(0.05);
    EXPECT_EQ(selectedPaths(), reviewed);

    // "Clean": the cleanup takes the list first, then the sheet closes.
    state.developer().startCleanup();
    state.navigation().setSheet(std::nullopt);
    ASSERT_TRUE(finished());
    EXPECT_FALSE(exists(images));
    EXPECT_TRUE(exists(buildCache));
    ASSERT_EQ(state.developer().lastReport()->outcomes.size(), 1u);
    EXPECT_EQ(state.developer().lastReport()->outcomes[0].path, at("Android/system-images"));
}

TEST_F(AppStateConsentTest,
       AScanThatMeasuredBeforeACleanupWaitsForTheExplorerAndFollowsWhatTheCleanupRemoved) {
    AppState& state = scanned();
    state.preferences().setMode(Mode::general);
    // The scan measures the images, then the cleanup removes them, then the scan ends.
    gate->store(false);
    state.developer().startBackgroundScan();
    reviewImagesOnly();
    state.developer().startCleanup();
    state.navigation().setSheet(std::nullopt);
    ASSERT_TRUE(finished());
    gate->store(true);
    ASSERT_TRUE(scanEnded());
    ASSERT_TRUE(state.developer().holdsScan());

    // The completion screen and its "Put it back" stay, and so does the mode.
    testing::FlowFixture::settle(0.05);
    EXPECT_EQ(state.navigation().route(), Route::finished);
    EXPECT_EQ(state.preferences().mode(), Mode::general);
    EXPECT_TRUE(state.developer().canRestore());
    state.developer().startBackgroundScan();  // another scan finishing now waits as well
    ASSERT_TRUE(scanEnded());
    EXPECT_EQ(state.navigation().route(), Route::finished);
    EXPECT_TRUE(state.developer().lastReport().has_value());

    // Back on the explorer the new scan shows, without what the cleanup took.
    state.developer().dismissReport();
    ASSERT_TRUE(testing::waitUntil([&] { return !state.developer().holdsScan(); }));
    EXPECT_EQ(state.preferences().mode(), Mode::general);
    EXPECT_EQ(paths(state.developer().scan()), std::set<std::string>{at(".cache/go-build")});
    state_.reset();
    const auto saved = HistoryStore(tree_.path("history")).loadLastScan();
    EXPECT_EQ(paths(saved), std::set<std::string>{at(".cache/go-build")});
}

TEST_F(AppStateConsentTest, AScanBehindTheExplorerShowsAtOnceWithoutMovingTheUser) {
    AppState& state = scanned();
    state.preferences().setMode(Mode::general);
    state.navigation().setFocusedID("/somewhere/in/the/folder/tree");
    const auto before = state.developer().scan()->allCandidates();
    state.onAutomationDue();
    EXPECT_EQ(state.navigation().route(), Route::explore);
    ASSERT_TRUE(scanEnded());
    EXPECT_FALSE(state.developer().holdsScan());
    EXPECT_NE(state.developer().scan()->allCandidates()[0].id, before[0].id);
    EXPECT_EQ(state.preferences().mode(), Mode::general);
    EXPECT_EQ(state.navigation().route(), Route::explore);
    EXPECT_EQ(state.navigation().focusedID(), "/somewhere/in/the/folder/tree");

    // The window's own scan comes forward when one runs behind it.
    gate->store(false);
    state.developer().startBackgroundScan();
    state.developer().startScan();
    EXPECT_EQ(state.navigation().route(), Route::scanning);
    EXPECT_EQ(state.preferences().mode(), Mode::developer);
    gate->store(true);
    ASSERT_TRUE(testing::waitUntil([&] { return state.navigation().route() == Route::explore; }));
}

// Developer mode's place survives a stay in general mode only as far as the
// developer tree still holds it: after a scan from the tray or the schedule
// (shown at once, or held behind the completion card and shown after), the
// inspector shows a node of the tree on show, never "Nothing selected" over it.
TEST_F(AppStateConsentTest, ABackgroundScanInGeneralModeLeavesDeveloperModeOnANodeOfItsTree) {
    for (const bool behindTheCard : {false, true}) {
        SCOPED_TRACE(behindTheCard ? "held behind the completion card" : "shown at once");
        AppState& state = scanned();
        const StorageNode* category = state.developer().tree().find("android");
        ASSERT_NE(category, nullptr);
        ASSERT_FALSE(category->children.empty());
        const StorageNode* item = category;
        while (!item->isLeaf()) item = &item->children.front();
        state.navigation().focusOn("android");
        state.navigation().select(*item);  // an item: the inspector's, not drilled into
        const std::string leaf = *state.navigation().selectedID();
        ASSERT_EQ(state.navigation().focusedID(), "android");
        state.preferences().setMode(Mode::general);
        state.navigation().setSelectedID(std::string("/a/folder"));
        if (behindTheCard) state.navigation().setRoute(Route::finished);

        state.onAutomationDue();
        ASSERT_TRUE(scanEnded());
        EXPECT_EQ(state.developer().holdsScan(), behindTheCard);
        if (behindTheCard) state.developer().dismissReport();
        ASSERT_TRUE(testing::waitUntil([&] { return !state.developer().holdsScan(); }));
        EXPECT_EQ(state.developer().tree().find(leaf), nullptr);  // a new scan, new items
        EXPECT_EQ(state.navigation().selectedID(), "/a/folder");

        state.preferences().setMode(Mode::developer);
        const StorageNode* shown = state.navigation().selectedNode();
        ASSERT_NE(shown, nullptr);
        EXPECT_NE(state.developer().tree().find(shown->id), nullptr);
        // The category drilled into is still there, and still drilled into.
        EXPECT_EQ(state.navigation().focusedID(), "android");
    }
}

TEST_F(AppStateConsentTest, APathThatVanishedAfterTheReviewOpenedIsLeftOutAtCleanWithALineSayingSo) {
    AppState& state = scanned();
    state.developer().setSelection({find(at("Android/system-images")).id, find(at(".cache/go-build")).id});
    state.navigation().setSheet(Sheet::review);
    std::filesystem::remove_all(at(".cache/go-build"));
    state.developer().startCleanup();
    ASSERT_TRUE(finished());
    const CompletionContent content = completionContent(state.developer().lastReport(), std::nullopt, {});
    ASSERT_TRUE(content.report && content.report->notRemoved);
    ASSERT_EQ(content.report->notRemoved->rows.size(), 1u);
    EXPECT_EQ(content.report->notRemoved->rows[0].message, "Already gone");
    EXPECT_FALSE(exists(images));
}

// A deletion of one large tree, held at its first entry until the engine is told to stop.
class AppStateStopTest : public AppStateConsentTest {
protected:
    AppStateStopTest() {
        imagesClaim = 9'000'000'000;
        for (int file = 0; file < 30; ++file)
            tree_.file("home/.cache/go-build/" + std::to_string(file), 8192);
        makeCleanupEngine_ = [this] {
            auto engine = std::make_unique<CleanupEngine>();
            CleanupEngine* running = engine.get();
            engine->setEntryRemovedHook([this, running] {
                if (entered.exchange(true)) return;
                while (!running->isCancelled()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            });
            return engine;
        };
    }
    // Both chosen: the images go whole to the Trash (the larger claim goes
    // first), then the build cache's deletion starts.
    AppState& cleaningBothUntilTheTreeStarts() {
        AppState& state = scanned();
        state.developer().setSelection(
            {find(at("Android/system-images")).id, find(at(".cache/go-build")).id});
        state.developer().startCleanup();
        EXPECT_TRUE(testing::waitUntil([this] { return entered.load(); }));
        return state;
    }

    std::atomic<bool> entered{false};
};

TEST_F(AppStateStopTest, StopInsideOneLargeRemovalEndsItAndTheResultSaysWhatWentAndWhatDidNot) {
    AppState& state = cleaningBothUntilTheTreeStarts();
    const std::int64_t measured = find(at(".cache/go-build")).size;
    state.developer().cancelCleanup();
    ASSERT_TRUE(finished());
    const CleanupReport& report = *state.developer().lastReport();
    EXPECT_TRUE(report.stopped);
    ASSERT_EQ(report.outcomes.size(), 2u);
    EXPECT_EQ(report.outcomes[0].status, Status::trashed);
    const CleanupOutcome& cache = report.outcomes[1];
    EXPECT_EQ(cache.path, at(".cache/go-build"));
    EXPECT_EQ(cache.status, Status::skipped);
    EXPECT_GT(cache.removedBytes, 0);
    EXPECT_TRUE(exists(at(".cache/go-build")));
    const CompletionContent content = completionContent(report, std::nullopt, {});
    ASSERT_TRUE(content.report);
    EXPECT_EQ(content.report->title, "Cleanup stopped");
    ASSERT_TRUE(content.report->notRemoved);
    EXPECT_EQ(content.report->notRemoved->rows[0].message->rfind("Stopped partway: ", 0), 0u);
    // The partly removed cache is still offered, with what is left in it; the images are not.
    EXPECT_EQ(paths(state.developer().scan()), std::set<std::string>{at(".cache/go-build")});
    EXPECT_EQ(find(at(".cache/go-build")).size, measured - cache.removedBytes);
}

TEST_F(AppStateStopTest, AStopPartwayThroughTheOnlyItemStillGivesTheFreeSpaceAfterIt) {
    AppState& state = scanned();
    ScanResult earlier = *state.developer().scan();
    earlier.volume = VolumeInfo(1'000'000, 10);
    state.developer().setScan(earlier);
    state.developer().setSelection({find(at(".cache/go-build")).id});
    state.developer().startCleanup();
    ASSERT_TRUE(testing::waitUntil([this] { return entered.load(); }));
    state.developer().cancelCleanup();
    ASSERT_TRUE(finished());
    const CleanupReport& report = *state.developer().lastReport();
    ASSERT_EQ(report.outcomes.size(), 1u);
    ASSERT_FALSE(report.outcomes[0].succeeded());
    ASSERT_GT(report.volumeAfter.totalCapacity, 0);
    // The gauge and the footer read the volume the completion screen's "After" shows.
    EXPECT_EQ(state.developer().scan()->volume, report.volumeAfter);
}

TEST_F(AppStateStopTest, AScanThatEndsWhileACleanupRunsWaitsAndFollowsWhatTheCleanupDid) {
    AppState& state = scanned();
    gate->store(false);
    state.developer().startBackgroundScan();
    state.developer().setSelection({find(at("Android/system-images")).id, find(at(".cache/go-build")).id});
    state.developer().startCleanup();
    ASSERT_TRUE(testing::waitUntil([this] { return entered.load(); }));
    gate->store(true);
    ASSERT_TRUE(scanEnded());
    EXPECT_EQ(state.navigation().route(), Route::cleaning);
    ASSERT_TRUE(state.developer().holdsScan());
    state.developer().cancelCleanup();
    ASSERT_TRUE(finished());
    state.developer().dismissReport();
    ASSERT_TRUE(testing::waitUntil([&] { return !state.developer().holdsScan(); }));
    // The images went to the Trash; the partly deleted cache is still offered.
    EXPECT_EQ(paths(state.developer().scan()), std::set<std::string>{at(".cache/go-build")});
}

TEST_F(AppStateStopTest, QuittingDuringACleanupStopsItRecordsItAndSavesTheScanAsItNowIs) {
    cleaningBothUntilTheTreeStarts();
    state_.reset();  // what quitting does once the window is gone
    HistoryStore history(tree_.path("history"));
    const std::vector<CleanupReport> reports = history.reports();
    ASSERT_EQ(reports.size(), 1u);
    const CleanupReport& report = reports[0];
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.outcomes[0].status, Status::trashed);
    EXPECT_EQ(report.outcomes[1].status, Status::skipped);
    EXPECT_GT(report.outcomes[1].removedBytes, 0);
    EXPECT_EQ(paths(history.loadLastScan()), std::set<std::string>{at(".cache/go-build")});

    // After a relaunch the removed images are not offered again.
    AppState& relaunched = launch();
    EXPECT_EQ(paths(relaunched.developer().scan()), std::set<std::string>{at(".cache/go-build")});
}

// The schedule comes due while a cleanup runs: it waits, unrecorded and
// starting nothing, and runs once the cleanup ends (here the next day),
// behind the completion card.
TEST_F(AppStateStopTest, AScheduledRunDueDuringACleanupWaitsForItsEndThenRuns) {
    clock_.setLocal(QDate(2024, 3, 4), QTime(9, 0));  // a Monday
    AppState& state = cleaningBothUntilTheTreeStarts();
    int scans = 0;
    const auto scanners = scanners_;
    scanners_ = [&scans, scanners] {
        ++scans;
        return scanners();
    };
    Automation::Schedule schedule;
    schedule.isEnabled = true;
    schedule.weekday = 2;
    state.automation().setSchedule(schedule);
    clock_.setLocal(QDate(2024, 3, 4), QTime(10, 30));
    state.automation().checkDue();
    EXPECT_TRUE(state.automation().isWaiting());
    EXPECT_FALSE(settings_.value("automation.lastRun"));
    EXPECT_FALSE(state.developer().isScanning());

    clock_.setLocal(QDate(2024, 3, 5), QTime(0, 10));
    state.developer().cancelCleanup();
    ASSERT_TRUE(finished());
    ASSERT_TRUE(testing::waitUntil([&] { return scans == 1; }));
    EXPECT_EQ(settings_.value("automation.lastRun"), IsoDate::format(clock_.moment));
    EXPECT_FALSE(state.automation().isWaiting());
    ASSERT_TRUE(scanEnded());
    EXPECT_EQ(state.navigation().route(), Route::finished);
    EXPECT_TRUE(state.developer().lastReport().has_value());
}

}  // namespace
}  // namespace korvane
