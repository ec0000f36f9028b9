#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "core/platform/Trash_linux.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Route = AppState::Route;
using Status = CleanupOutcome::Status;

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

class AppStateCleanupTest : public testing::FlowFixture {
protected:
    CleanupCandidate pathCandidate(const std::string& relative, SafetyLevel safety, std::int64_t size) {
        tree_.file("home/" + relative + "/data", 100);
        return CleanupCandidate(UUID::random(), CleanupCategory::node, "general.userChoice", "Group",
                                relative, at(relative), size, safety, "reason", std::nullopt, std::nullopt,
                                {}, RemovalKind::path());
    }

    // A scan of three items, all selected: a safe folder (deleted), a cautious
    // one (to the Trash) and a Docker command (no docker here: it fails).
    AppState& scanned() {
        AppState& state = launch();
        cache = pathCandidate("cache", SafetyLevel::safe, 3'000);
        build = pathCandidate("build", SafetyLevel::caution, 5'000);
        prune =
            CleanupCandidate(UUID::random(), CleanupCategory::docker, "docker.prune", "Docker", "prune",
                             "/dev/null", 7'000, SafetyLevel::safe, "reason", std::nullopt, std::nullopt, {},
                             RemovalKind::command(ExternalTool::docker, {"builder", "prune", "--force"}));
        state.setScan(ScanResult({}, 2,
                                 {CategoryResult(CleanupCategory::node, 9'000, {cache, build}),
                                  CategoryResult(CleanupCategory::docker, 8'000, {prune})},
                                 {}, {}));
        state.rebuildDeveloperTree();
        state.setSelection({cache.id, build.id, prune.id});
        return state;
    }

    bool finished() {
        return testing::waitUntil([this] { return state().route() == Route::finished; });
    }
    std::string trash(const std::string& name) const { return home_ + "/.local/share/Trash/files/" + name; }

    CleanupCandidate cache, build, prune;
};

TEST_F(AppStateCleanupTest, CleanupRecordsTheReportAndDropsWhatItRemoved) {
    AppState& state = scanned();
    std::vector<CleanupProgress> progress;
    QObject::connect(&state, &AppState::changed, &state, [&] {
        if (progress.empty() || !(progress.back() == state.cleanupProgress()))
            progress.push_back(state.cleanupProgress());
    });
    state.startCleanup();
    EXPECT_EQ(state.route(), Route::cleaning);
    EXPECT_EQ(state.cleanupProgress(), CleanupProgress(0, 3, "", 0));
    state.startCleanup();  // one cleanup at a time
    ASSERT_TRUE(finished());

    ASSERT_TRUE(state.lastReport());
    const auto& outcomes = state.lastReport()->outcomes;
    ASSERT_EQ(outcomes.size(), 3u);  // largest first
    EXPECT_EQ(outcomes[0].status, Status::failed);
    EXPECT_EQ(outcomes[1].status, Status::trashed);
    EXPECT_EQ(outcomes[2].status, Status::deleted);
    EXPECT_FALSE(exists(at("cache")));
    EXPECT_TRUE(exists(trash("build")));
    EXPECT_EQ(progress.back(), CleanupProgress(3, 3, "cache", 8'000));

    // Only the failed item is left, in the scan and in the selection.
    ASSERT_EQ(state.scan()->allCandidates().size(), 1u);
    EXPECT_EQ(state.scan()->allCandidates()[0].id, prune.id);
    EXPECT_EQ(state.scan()->categories[1].footprint, 9'000);
    EXPECT_EQ(state.selection(), std::set<UUID>{prune.id});
    EXPECT_EQ(state.tree().find(cache.id.text()), nullptr);
    EXPECT_TRUE(state.canRestore());

    const CleanupReport report = *state.lastReport();
    state_.reset();  // waits for the history writes
    HistoryStore history(tree_.path("history"));
    ASSERT_EQ(history.reports().size(), 1u);
    EXPECT_EQ(history.reports()[0].outcomes, report.outcomes);
    ASSERT_TRUE(history.loadLastScan());
    EXPECT_EQ(history.loadLastScan()->allCandidates().size(), 1u);
}

TEST_F(AppStateCleanupTest, AllFailedLeavesTheScanAndStillFinishes) {
    AppState& state = scanned();
    state.setSelection({prune.id});
    const ScanResult before = *state.scan();
    state.startCleanup();
    ASSERT_TRUE(finished());
    EXPECT_EQ(*state.scan(), before);
    EXPECT_EQ(state.selection(), std::set<UUID>{prune.id});
    state_.reset();
    HistoryStore history(tree_.path("history"));
    EXPECT_EQ(history.reports().size(), 1u);
    EXPECT_FALSE(history.loadLastScan());
}

TEST_F(AppStateCleanupTest, DisposalIsTheOneChosenAtTheStart) {
    AppState& state = scanned();
    state.setSelection({cache.id, build.id});
    state.setDisposalOverride(Disposal::trash);
    state.startCleanup();
    state.setDisposalOverride(Disposal::delete_);  // too late for this run
    ASSERT_TRUE(finished());
    for (const auto& outcome : state.lastReport()->outcomes) EXPECT_EQ(outcome.status, Status::trashed);
    EXPECT_TRUE(exists(trash("cache")));
}

TEST_F(AppStateCleanupTest, NothingSelectedStartsNothing) {
    AppState& state = scanned();
    state.setSelection({UUID::random()});
    state.startCleanup();
    EXPECT_EQ(state.route(), Route::onboarding);
    EXPECT_EQ(state.cleanupProgress(), CleanupProgress());
}

TEST_F(AppStateCleanupTest, StopWithoutARunningCleanupReturnsToTheExplorer) {
    AppState& state = launch({"--screen", "cleaning"});
    EXPECT_EQ(state.route(), Route::cleaning);
    EXPECT_EQ(state.cleanupProgress(), CleanupProgress(7, 26, "storefront/node_modules", 8'200'000'000));
    state.cancelCleanup();
    EXPECT_EQ(state.route(), Route::explore);
}

TEST_F(AppStateCleanupTest, PutBackSaysSingularThenReportsTheProblem) {
    AppState& state = scanned();
    state.setSelection({build.id});
    state.startCleanup();
    ASSERT_TRUE(finished());

    int scans = 0;
    QObject::connect(&state, &AppState::routeChanged, &state,
                     [&] { scans += state.route() == Route::scanning; });
    state.restoreFromTrash();
    ASSERT_TRUE(testing::waitUntil(
        [&] { return state.restoreNotice().has_value() && state.route() == Route::explore; }));
    EXPECT_EQ(state.restoreNotice(), "Put back 5 KB across 1 location.");
    EXPECT_TRUE(exists(at("build/data")));
    EXPECT_FALSE(exists(trash("build")));
    EXPECT_EQ(scans, 1);  // a fresh scan follows

    state.setRestoreNotice(std::nullopt);
    state.restoreFromTrash();
    ASSERT_TRUE(testing::waitUntil(
        [&] { return state.restoreNotice().has_value() && state.route() == Route::explore; }));
    EXPECT_EQ(state.restoreNotice(), "Already back in place");
    EXPECT_EQ(scans, 2);
}

TEST_F(AppStateCleanupTest, PutBackCountsSeveralLocations) {
    AppState& state = scanned();
    state.setSelection({cache.id, build.id});
    state.setDisposalOverride(Disposal::trash);
    state.startCleanup();
    ASSERT_TRUE(finished());
    state.restoreFromTrash();
    ASSERT_TRUE(testing::waitUntil([&] { return state.restoreNotice().has_value(); }));
    EXPECT_EQ(state.restoreNotice(), "Put back 8 KB across 2 locations.");
}

TEST_F(AppStateCleanupTest, EmptyingRemovesOnlyWhatKorvanePutInTheTrash) {
    AppState& state = scanned();
    state.emptyOwnTrash();
    ASSERT_TRUE(testing::waitUntil([&] { return state.restoreNotice().has_value(); }));
    EXPECT_EQ(state.restoreNotice(), "There was nothing of Korvane's left in the Trash.");

    FreedesktopTrash().moveToTrash(tree_.file("home/mine.txt", 10));  // the user's own
    state.setSelection({cache.id, build.id});
    state.setDisposalOverride(Disposal::trash);
    state.startCleanup();
    ASSERT_TRUE(finished());
    state.setRestoreNotice(std::nullopt);
    state.emptyOwnTrash();  // right after the report: it is written first
    ASSERT_TRUE(testing::waitUntil([&] { return state.restoreNotice().has_value(); }));
    EXPECT_EQ(state.restoreNotice(), "Emptied 8 KB from the Trash.");
    EXPECT_FALSE(exists(trash("cache")));
    EXPECT_FALSE(exists(trash("build")));
    EXPECT_TRUE(exists(trash("mine.txt")));
    EXPECT_FALSE(state.canRestore());
}

TEST_F(AppStateCleanupTest, DemonstratedPutBackNeverMovesARealFile) {
    tree_.file("home/.Trash/node_modules/real", 10);
    AppState& state = launch({"--screen", "finished"});
    EXPECT_EQ(state.route(), Route::finished);
    state.restoreFromTrash();
    ASSERT_TRUE(testing::waitUntil([&] { return state.restoreNotice().has_value(); }));
    EXPECT_EQ(state.restoreNotice(), "Korvane did not record where this went");
    EXPECT_TRUE(exists(at(".Trash/node_modules/real")));
    EXPECT_FALSE(exists(at("Developer/atlas-api")));
}

TEST_F(AppStateCleanupTest, NeverTouchKeepsAPathOutOfThisAndLaterCleanups) {
    AppState& state = scanned();
    state.neverTouch(*state.tree().find("node"));  // no path: nothing happens
    EXPECT_TRUE(state.settings().excludedPaths.empty());
    EXPECT_EQ(state.selection().size(), 3u);

    // Staged before the exclusion, removed after it: the cleanup still leaves it alone.
    CleanupCandidate staged = build;
    staged.id = UUID::random();
    staged.path = at("build/data");
    state.neverTouch(*state.tree().find(build.id.text()));
    EXPECT_EQ(state.settings().excludedPaths, std::set<std::string>{at("build")});
    EXPECT_EQ(nlohmann::json::parse(settings_.values.at("scan.settings"))["excludedPaths"][0], at("build"));
    EXPECT_EQ(state.selection(), (std::set<UUID>{cache.id, prune.id}));
    EXPECT_EQ(state.scan()->allCandidates().size(), 2u);
    EXPECT_EQ(state.tree().find(build.id.text()), nullptr);

    state.stageForReview({staged});
    state.startCleanup();
    ASSERT_TRUE(finished());
    ASSERT_EQ(state.lastReport()->outcomes.size(), 1u);
    EXPECT_EQ(state.lastReport()->outcomes[0].status, Status::skipped);
    EXPECT_TRUE(exists(at("build/data")));

    state.removeExclusion(at("build"));
    EXPECT_TRUE(state.settings().excludedPaths.empty());
    EXPECT_EQ(nlohmann::json::parse(settings_.values.at("scan.settings"))["excludedPaths"].size(), 0u);
}

TEST_F(AppStateCleanupTest, DemonstrationScanLeavesOutNeverTouchedPaths) {
    settings_.values["scan.settings"] =
        nlohmann::json(ScanSettings(0, 60, {}, {}, {at("Developer/storefront")})).dump();
    AppState& state = launch({"--screen", "explore"});
    ASSERT_TRUE(state.scan());
    EXPECT_EQ(state.scan()->allCandidates().size(), 4u);
    for (const auto& candidate : state.scan()->allCandidates()) EXPECT_NE(candidate.title, "storefront");
}

TEST_F(AppStateCleanupTest, SummaryIsCopiedAndReportDismissed) {
    AppState& state = launch({"--screen", "finished"});
    state.copySummary();
    ASSERT_EQ(desktop_.copied.size(), 1u);
    EXPECT_EQ(desktop_.copied[0], state.shareSummary());
    EXPECT_EQ(desktop_.copied[0].rfind("Korvane found 25.2 GB of reclaimable developer storage", 0), 0u);
    EXPECT_EQ(state.restoreNotice(), "Summary copied.");

    state.stageForReview({CleanupCandidate()});
    state.dismissReport();
    EXPECT_EQ(state.route(), Route::explore);
    EXPECT_FALSE(state.lastReport());
    EXPECT_TRUE(state.stagedCandidates().empty());

    state.setScan(std::nullopt);
    state.dismissReport();
    EXPECT_EQ(state.route(), Route::onboarding);
    state.setGeneralResult(FileTreeScanner::Result{});
    state.dismissReport();
    EXPECT_EQ(state.route(), Route::explore);

    state.open("/x");
    state.reveal({"/a", "/b"});
    state.openTrash();
    EXPECT_EQ(desktop_.opened, std::vector<std::string>{"/x"});
    EXPECT_EQ(desktop_.revealed.back(), (std::vector<std::string>{"/a", "/b"}));
    EXPECT_EQ(desktop_.trashOpened, 1);
}

}  // namespace
}  // namespace korvane
