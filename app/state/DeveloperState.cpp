#include "app/state/DeveloperState.h"

#include "app/state/Automation.h"
#include "app/state/DesktopActions.h"
#include "app/state/HistoryRecords.h"
#include "app/state/NavigationState.h"
#include "app/state/PostScanAlert.h"
#include "app/state/PreferencesState.h"
#include "app/state/TreeNavigation.h"

namespace korvane {

namespace {

// The tree before any scan: the root alone.
StorageNode emptyDeveloperTree() { return StorageNode::developerTree(ScanResult(), true); }

}  // namespace

DeveloperState::DeveloperState(StateChanges& changes, Parts parts, QObject* parent)
    : PublishedState(changes, parent), parts_(std::move(parts)), tree_(emptyDeveloperTree()) {
    parts_.navigation.setDeveloperTree(&tree_);
}

void DeveloperState::cancelWork() {
    if (scannerEngine_) scannerEngine_->cancel();
    if (cleanupEngine_) cleanupEngine_->cancel();
}

void DeveloperState::setScan(std::optional<ScanResult> scan) {
    publish(scan_, std::move(scan));
    emit scanChanged();
}

void DeveloperState::setScanProgress(ScanProgress progress) {
    publish(scanProgress_, std::move(progress));
    emit scanProgressChanged();
}

void DeveloperState::setErrorMessage(std::optional<std::string> message) {
    publish(errorMessage_, std::move(message));
}

void DeveloperState::setShowsProtected(bool shows) {
    publish(showsProtected_, shows);
    rebuildDeveloperTree();
}

void DeveloperState::rebuildDeveloperTree() {
    tree_ = scan_ ? StorageNode::developerTree(*scan_, showsProtected_) : emptyDeveloperTree();
    parts_.navigation.setDeveloperTree(&tree_);
    emit scanChanged();
}

std::vector<const StorageNode*> DeveloperState::sidebarItems() const {
    return TreeNavigation::sidebarItems(tree_);
}

std::int64_t DeveloperState::reclaimableBytes() const { return scan_ ? scan_->reclaimable() : 0; }

void DeveloperState::startScan() {
    NavigationState& navigation = parts_.navigation;
    // Scanning while a cleanup removes things would offer what is about to go.
    if (navigation.route() == Route::scanning || navigation.route() == Route::cleaning) return;
    parts_.preferences.setMode(Mode::developer);
    parts_.preferences.markOnboarded();
    setScanProgress(ScanProgress::idle());
    navigation.setRoute(Route::scanning);

    std::shared_ptr<ScannerEngine> engine = parts_.makeScannerEngine(parts_.preferences.settings());
    scannerEngine_ = engine;
    const std::uint64_t run = scanRuns_.begin();
    scanRunCancelled_ = false;
    parts_.work.run([this, engine, run] {
        ScanResult result = engine->scan([this, run](const ScanProgress& progress) {
            scanRuns_.post(this, run, [this, progress] {
                if (!scanRunCancelled_) setScanProgress(progress);
            });
        });
        // A run that a newer scan replaced has nothing to say any more.
        scanRuns_.post(this, run,
                       [this, result = std::move(result)] { applyScanResult(result, scanRunCancelled_); });
    });
}

void DeveloperState::cancelDeveloperScan() {
    if (parts_.navigation.route() != Route::scanning) return;
    if (scannerEngine_) scannerEngine_->cancel();
    scanRunCancelled_ = true;
    parts_.navigation.setRoute(scan_ ? Route::explore : Route::onboarding);
}

void DeveloperState::applyScanResult(const ScanResult& result, bool cancelled) {
    // A cancelled run lands where the cancel left the window; once a cleanup
    // has started from the earlier result, the partial one is out of date.
    const Route route = parts_.navigation.route();
    if (cancelled && route != Route::explore && route != Route::onboarding) return;
    // A new scan measured the disk itself: what an earlier cleanup took out is no concern of it.
    droppedCandidates_.clear();
    savesScan_ = !cancelled;
    setScan(result);
    rebuildDeveloperTree();
    resetSelectionToDefaults();
    parts_.navigation.setSelectedID("root");
    // A cancelled scan lacks whole categories: saved, it would replace the
    // last full scan and record a day's storage far too low.
    if (!cancelled) {
        parts_.history.write([result](HistoryStore& history) {
            history.saveLastScan(result);
            // Nor does one with categories switched off: its total would read as a fall.
            if (result.switchedOff.empty()) history.recordSnapshot(result);
        });
    }
    postScanAlerts(result);
    parts_.navigation.setRoute(Route::explore);
}

void DeveloperState::postScanAlerts(const ScanResult& result) {
    if (const auto alert = PostScanAlert::decide(result.reclaimable(), result.volume.availableCapacity,
                                                 parts_.automation.schedule()))
        parts_.automation.notify(alert->title, alert->body);
}

void DeveloperState::chooseProjectRoots() {
    const auto folders =
        parts_.desktop.chooseFolders("Add", "Choose a folder Korvane should search for projects.", true);
    if (folders.empty()) return;
    std::optional<std::string> refusal;
    bool added = false;
    for (const auto& folder : folders) {
        auto refused = parts_.preferences.addProjectRoot(folder);
        added = added || !refused;
        if (refused && !refusal) refusal = std::move(refused);
    }
    if (refusal) setErrorMessage(refusal);
    if (added) startScan();
}

void DeveloperState::showRestoredScan(ScanResult scan, bool isLastScan) {
    // Placeholder or not, a path marked "Never touch" is never offered.
    dropExcludedCandidates(scan);
    droppedCandidates_.clear();
    savesScan_ = isLastScan;
    setScan(std::move(scan));
    rebuildDeveloperTree();
    resetSelectionToDefaults();
    parts_.navigation.setSelectedID("root");
}

void DeveloperState::dropExcludedCandidates(ScanResult& scan) const {
    const ScanSettings& settings = parts_.preferences.settings();
    if (settings.excludedPaths.empty()) return;
    for (auto& category : scan.categories)
        std::erase_if(category.candidates, [&settings](const CleanupCandidate& candidate) {
            return candidate.removal.isPath() && settings.overlapsExcluded(candidate.path);
        });
}

}  // namespace korvane
