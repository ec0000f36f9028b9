#include "app/platform/Desktop.h"
#include "app/state/AppState.h"
#include "app/state/CleanupTexts.h"
#include "app/state/TreeNavigation.h"
#include "core/platform/Trash_linux.h"
#include "core/safety/RestoreEngine.h"
#include "core/system/Paths.h"

namespace korvane {

bool AppState::canRestore() const { return lastReport_ && lastReport_->hasRestorableItemsInTrash(); }

void AppState::startCleanup() {
    if (isCleaning_) return;
    auto candidates = selectedCandidates();
    if (candidates.empty()) return;
    setCleanupProgress(CleanupProgress(0, static_cast<std::int64_t>(candidates.size()), "", 0));
    setRoute(Route::cleaning);

    std::shared_ptr<CleanupEngine> engine =
        makeCleanupEngine_ ? makeCleanupEngine_() : std::make_unique<CleanupEngine>();
    // A path marked "Never touch" after the scan must survive a cleanup started from it.
    engine->setExcludedPaths(settings_.excludedPaths);
    cleanupEngine_ = engine;
    isCleaning_ = true;
    const std::uint64_t run = ++cleanupRun_;
    // Read now: changing the choice while the run goes on must not affect it.
    CleanupEngine::DisposalRule disposal;
    if (const auto chosen = disposalOverride_)
        disposal = [chosen](const CleanupCandidate&) { return *chosen; };

    runInBackground(
        [this, engine, run, candidates = std::move(candidates), disposal = std::move(disposal)] {
            return engine->run(candidates, disposal, [this, run](const CleanupProgress& progress) {
                QMetaObject::invokeMethod(
                    this,
                    [this, run, progress] {
                        if (run == cleanupRun_) setCleanupProgress(progress);
                    },
                    Qt::QueuedConnection);
            });
        },
        [this, run](CleanupReport report) {
            if (run != cleanupRun_) return;
            isCleaning_ = false;
            finishCleanup(report);
        });
}

void AppState::cancelCleanup() {
    if (isCleaning_) {
        cleanupEngine_->cancel();
        return;
    }
    // Nothing is running (a demonstrated progress screen): "Stop" still leaves it.
    if (route_ == Route::cleaning) setRoute(Route::explore);
}

void AppState::finishCleanup(const CleanupReport& report) {
    setLastReport(report);
    writeHistory([report](HistoryStore& history) { history.record(report); });
    setRoute(Route::finished);
    dropRemovedCandidates(report);
}

void AppState::dropRemovedCandidates(const CleanupReport& report) {
    if (!scan_) return;
    std::set<UUID> removed;
    for (const auto& outcome : report.outcomes)
        if (outcome.succeeded()) removed.insert(outcome.candidateID);
    if (removed.empty()) return;

    ScanResult updated = *scan_;
    for (auto& category : updated.categories)
        std::erase_if(category.candidates,
                      [&](const CleanupCandidate& candidate) { return removed.contains(candidate.id); });
    setScan(updated);
    auto selection = selection_;
    for (const auto& id : removed) selection.erase(id);
    setSelection(std::move(selection));
    rebuildDeveloperTree();
    writeHistory([updated](HistoryStore& history) { history.saveLastScan(updated); });
}

void AppState::restoreFromTrash() {
    if (!lastReport_) return;
    // Moving a large folder back across a file system takes a while: off the window's thread.
    runInBackground([report = *lastReport_] { return RestoreEngine().restore(report); },
                    [this](RestoreEngine::Report restored) {
                        setRestoreNotice(CleanupTexts::putBackNotice(restored));
                        startScan();
                    });
}

void AppState::emptyOwnTrash() {
    // On the history's thread, so that the report of a cleanup that has just
    // ended is already written when the reports are read.
    writeHistory([this](HistoryStore& history) {
        const std::int64_t freed = RestoreEngine().purgeFromTrash(history.reports());
        QMetaObject::invokeMethod(
            this, [this, freed] { setRestoreNotice(CleanupTexts::emptiedNotice(freed)); },
            Qt::QueuedConnection);
    });
}

void AppState::neverTouch(const StorageNode& node) {
    if (!node.path) return;
    const auto path = Paths::standardise(*node.path);
    if (!path || path->empty()) return;
    // Read before the tree that holds `node` is rebuilt.
    const auto leaves = node.leaves();
    auto selection = selection_;
    for (const auto* leaf : leaves)
        if (leaf->candidateID) selection.erase(*leaf->candidateID);

    auto settings = settings_;
    settings.excludedPaths.insert(*path);
    setSettings(std::move(settings));
    saveSettings();
    setSelection(std::move(selection));
    if (scan_) {
        ScanResult updated = *scan_;
        dropExcludedCandidates(updated);
        setScan(std::move(updated));
        rebuildDeveloperTree();
    }
}

void AppState::removeExclusion(const std::string& path) {
    auto settings = settings_;
    settings.excludedPaths.erase(path);
    setSettings(std::move(settings));
    saveSettings();
}

void AppState::removeProjectRoot(const std::string& path) {
    auto settings = settings_;
    std::erase(settings.projectRoots, path);
    setSettings(std::move(settings));
    saveSettings();
}

std::string AppState::shareSummary() const { return CleanupTexts::shareSummary(scan_); }

void AppState::copySummary() {
    if (desktop_) desktop_->copyText(shareSummary());
    setRestoreNotice(CleanupTexts::summaryCopied);
}

void AppState::dismissReport() {
    setRoute(scan_ || generalResult() ? Route::explore : Route::onboarding);
    setLastReport(std::nullopt);
    setStagedCandidates({});
}

void AppState::open(const std::string& path) {
    if (desktop_) desktop_->open(path);
}

void AppState::reveal(const std::vector<std::string>& paths) {
    if (desktop_) desktop_->reveal(paths);
}

void AppState::openTrash() {
    if (desktop_) desktop_->openTrash();
}

}  // namespace korvane
