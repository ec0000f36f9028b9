#include "app/state/CleanupTexts.h"
#include "app/state/DesktopActions.h"
#include "app/state/DeveloperState.h"
#include "app/state/HistoryRecords.h"
#include "app/state/NavigationState.h"
#include "app/state/PreferencesState.h"
#include "core/safety/RestoreEngine.h"
#include "core/system/Paths.h"

namespace korvane {

void DeveloperState::setCleanupProgress(CleanupProgress progress) {
    publish(cleanupProgress_, std::move(progress));
}

void DeveloperState::setLastReport(std::optional<CleanupReport> report) {
    publish(lastReport_, std::move(report));
}

void DeveloperState::setRestoreNotice(std::optional<std::string> notice) {
    publish(restoreNotice_, std::move(notice));
}

bool DeveloperState::canRestore() const { return lastReport_ && lastReport_->hasRestorableItemsInTrash(); }

void DeveloperState::startCleanup() {
    if (isCleaning_) return;
    auto candidates = selectedCandidates();
    if (candidates.empty()) return;
    setCleanupProgress(CleanupProgress(0, static_cast<std::int64_t>(candidates.size()), "", 0));
    parts_.navigation.setRoute(Route::cleaning);

    std::shared_ptr<CleanupEngine> engine =
        parts_.makeCleanupEngine ? parts_.makeCleanupEngine() : std::make_unique<CleanupEngine>();
    // A path marked "Never touch" after the scan must survive a cleanup started from it.
    engine->setExcludedPaths(parts_.preferences.settings().excludedPaths);
    cleanupEngine_ = engine;
    isCleaning_ = true;
    const std::uint64_t run = cleanupRuns_.begin();
    // Read now: changing the choice while the run goes on must not affect it.
    CleanupEngine::DisposalRule disposal;
    if (const auto chosen = parts_.preferences.disposalOverride())
        disposal = [chosen](const CleanupCandidate&) { return *chosen; };

    parts_.work.run([this, engine, run, candidates = std::move(candidates), disposal = std::move(disposal)] {
        CleanupReport report =
            engine->run(candidates, disposal, [this, run](const CleanupProgress& progress) {
                cleanupRuns_.post(this, run, [this, progress] { setCleanupProgress(progress); });
            });
        cleanupRuns_.post(this, run, [this, report = std::move(report)] {
            isCleaning_ = false;
            finishCleanup(report);
        });
    });
}

void DeveloperState::cancelCleanup() {
    if (isCleaning_) {
        cleanupEngine_->cancel();
        return;
    }
    // Nothing is running (a demonstrated progress screen): "Stop" still leaves it.
    if (parts_.navigation.route() == Route::cleaning) parts_.navigation.setRoute(Route::explore);
}

void DeveloperState::finishCleanup(const CleanupReport& report) {
    setLastReport(report);
    parts_.history.write([report](HistoryStore& history) { history.record(report); });
    parts_.navigation.setRoute(Route::finished);
    dropRemovedCandidates(report);
}

void DeveloperState::dropRemovedCandidates(const CleanupReport& report) {
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
    parts_.history.write([updated](HistoryStore& history) { history.saveLastScan(updated); });
}

void DeveloperState::restoreFromTrash() {
    if (!lastReport_) return;
    // Moving a large folder back across a file system takes a while: off the window's thread.
    parts_.work.run(
        this, [report = *lastReport_] { return RestoreEngine().restore(report); },
        [this](RestoreEngine::Report restored) {
            setRestoreNotice(CleanupTexts::putBackNotice(restored));
            startScan();
        });
}

void DeveloperState::emptyOwnTrash() {
    // On the history's thread, so that the report of a cleanup that has just
    // ended is already written when the reports are read.
    parts_.history.write([this](HistoryStore& history) {
        const std::int64_t freed = RestoreEngine().purgeFromTrash(history.reports());
        QMetaObject::invokeMethod(
            this, [this, freed] { setRestoreNotice(CleanupTexts::emptiedNotice(freed)); },
            Qt::QueuedConnection);
    });
}

void DeveloperState::neverTouch(const StorageNode& node) {
    if (!node.path) return;
    const auto path = Paths::standardise(*node.path);
    if (!path || path->empty()) return;
    // Read before the tree that holds `node` is rebuilt.
    const auto leaves = node.leaves();
    auto selection = selection_;
    for (const auto* leaf : leaves)
        if (leaf->candidateID) selection.erase(*leaf->candidateID);

    parts_.preferences.addExclusion(*path);
    setSelection(std::move(selection));
    if (scan_) {
        ScanResult updated = *scan_;
        dropExcludedCandidates(updated);
        setScan(std::move(updated));
        rebuildDeveloperTree();
    }
}

std::string DeveloperState::shareSummary() const { return CleanupTexts::shareSummary(scan_); }

void DeveloperState::copySummary() {
    parts_.desktop.copyText(shareSummary());
    setRestoreNotice(CleanupTexts::summaryCopied);
}

void DeveloperState::dismissReport() {
    parts_.navigation.setRoute(scan_ || parts_.navigation.hasFolderTree() ? Route::explore
                                                                          : Route::onboarding);
    setLastReport(std::nullopt);
    setStagedCandidates({});
}

}  // namespace korvane
