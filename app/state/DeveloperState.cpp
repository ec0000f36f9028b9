#include "app/state/DeveloperState.h"

#include "app/state/Automation.h"
#include "app/state/DesktopActions.h"
#include "app/state/HistoryRecords.h"
#include "app/state/NavigationState.h"
#include "app/state/PostScanAlert.h"
#include "app/state/PreferencesState.h"
#include "app/state/ScanFollowsDisk.h"
#include "app/state/TreeNavigation.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

// The tree before any scan: the root alone.
StorageNode emptyDeveloperTree() { return StorageNode::developerTree(ScanResult(), true); }

// The categories these runs removed something of, whole or in part.
void addCleanedCategories(std::set<CleanupCategory>& categories, const std::vector<CleanupReport>& reports) {
    for (const CleanupReport& report : reports)
        for (const CleanupOutcome& outcome : report.outcomes)
            if (outcome.succeeded() || outcome.removedBytes > 0) categories.insert(outcome.category);
}

}  // namespace

DeveloperState::DeveloperState(StateChanges& changes, Parts parts, QObject* parent)
    : PublishedState(changes, parent), parts_(std::move(parts)), tree_(emptyDeveloperTree()) {
    parts_.navigation.setDeveloperTree(&tree_);
    // Queued: the step that brings the user back (closing the review, leaving
    // the completion screen) ends first, and what it started counts.
    connect(&parts_.navigation, &NavigationState::routeChanged, this, &DeveloperState::applyHeldScan,
            Qt::QueuedConnection);
    connect(&parts_.navigation, &NavigationState::sheetChanged, this, &DeveloperState::applyHeldScan,
            Qt::QueuedConnection);
    connect(&parts_.navigation, &NavigationState::sheetChanged, this, &DeveloperState::followSheet);
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

void DeveloperState::startFollowingVolume() {
    volumeTimer_.setInterval(3000);
    connect(&volumeTimer_, &QTimer::timeout, this, [this] {
        // A cleanup measures the volume itself, before and after.
        if (!scan_ || scanSource_ == ScanSource::demonstration || isMeasuringVolume_ || isCleaning_) return;
        isMeasuringVolume_ = true;
        parts_.work.run(
            this, [] { return VolumeInfo::volumeOf(Paths::home()); },
            [this](VolumeInfo volume) {
                isMeasuringVolume_ = false;
                followVolume(volume);
            });
    });
    volumeTimer_.start();
}

void DeveloperState::followVolume(const VolumeInfo& volume) {
    if (!scan_ || scanSource_ == ScanSource::demonstration || volume.totalCapacity < 1) return;
    const VolumeInfo& shown = scan_->volume;
    // The figures are shown to the ten megabytes: a change below that moves nothing on screen.
    const auto reads = [](const VolumeInfo& v) {
        return std::tuple(ByteFormat::string(v.totalCapacity), ByteFormat::string(v.usedCapacity),
                          ByteFormat::string(v.availableCapacity));
    };
    if (reads(volume) == reads(shown)) return;
    publish(scan_->volume, volume);
}

std::vector<const StorageNode*> DeveloperState::sidebarItems() const {
    return TreeNavigation::sidebarItems(tree_);
}

std::int64_t DeveloperState::reclaimableBytes() const { return scan_ ? scan_->reclaimable() : 0; }

void DeveloperState::startScan() {
    NavigationState& navigation = parts_.navigation;
    // Scanning while a cleanup removes things would offer what is about to go.
    if (isCleaning_ || navigation.route() == Route::scanning || navigation.route() == Route::cleaning) return;
    if (navigation.sheet() == Sheet::review) {
        startBackgroundScan();
        return;
    }
    const StateChanges::Batch batch(changes());
    parts_.preferences.setMode(Mode::developer);
    parts_.preferences.markOnboarded();
    if (!isScanning_) {
        setScanProgress(ScanProgress::idle());
        runScan();
    }
    scanShown_ = true;
    navigation.setRoute(Route::scanning);
}

void DeveloperState::startBackgroundScan() {
    if (isScanning_ || isCleaning_ || parts_.navigation.route() == Route::cleaning) return;
    const StateChanges::Batch batch(changes());
    scanShown_ = false;
    setScanProgress(ScanProgress::idle());
    runScan();
}

void DeveloperState::runScan() {
    // This run's result is newer than any that waits.
    heldScan_.reset();
    heldDropped_.clear();
    changesDuringScan_.clear();
    publish(isScanning_, true);
    std::shared_ptr<ScannerEngine> engine = parts_.makeScannerEngine(parts_.preferences.settings());
    scannerEngine_ = engine;
    const std::uint64_t run = scanRuns_.begin();
    scanRunCancelled_ = false;
    // What a cleanup removed may have been a tool's last trace: its category is still scanned.
    std::set<CleanupCategory> cleaned;
    if (lastReport_ && !followUp_.demonstration) addCleanedCategories(cleaned, {*lastReport_});
    parts_.work.run([this, engine, run, cleaned, &history = parts_.history.store()]() mutable {
        addCleanedCategories(cleaned, history.reports());
        engine->setCleanedCategories(std::move(cleaned));
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
    // What the stopped run still sends is no obstacle to a new one.
    publish(isScanning_, false);
    scanShown_ = false;
    parts_.navigation.setRoute(scan_ ? Route::explore : Route::onboarding);
}

bool DeveloperState::mayReplaceScan() const {
    const Route route = parts_.navigation.route();
    return parts_.navigation.sheet() != Sheet::review &&
           (route == Route::explore || route == Route::onboarding);
}

void DeveloperState::applyScanResult(const ScanResult& measured, bool cancelled) {
    const StateChanges::Batch batch(changes());
    // A cleanup (or a put back) that ran beside the scan may have changed
    // what it had already measured: the result follows it as the scan on show did.
    ScanResult result = measured;
    std::vector<CleanupCandidate> dropped;
    for (const DiskChange& change : std::exchange(changesDuringScan_, {}))
        ScanFollowsDisk::apply(result, change, dropped);
    const Route route = parts_.navigation.route();
    if (cancelled) {
        // A cancelled run lands where the cancel left the window; once the
        // user reviews or cleans from the earlier result, the partial one is out of date.
        if (!mayReplaceScan()) return;
        droppedCandidates_.clear();
        scanSource_ = ScanSource::partial;
        setScan(result);
        rebuildDeveloperTree();
        resetSelectionToDefaults();
        parts_.navigation.setSelectedID(Mode::developer, "root");
        postScanAlerts(result);
        parts_.navigation.setRoute(Route::explore);
        return;
    }
    publish(isScanning_, false);
    const bool shown = scanShown_ && route == Route::scanning;
    scanShown_ = false;
    // A whole scan is saved and recorded as it arrives, also one that waits.
    parts_.history.write([result](HistoryStore& history) {
        history.saveLastScan(result);
        // Not one with categories switched off: its total would read as a fall.
        if (result.switchedOff.empty()) history.recordSnapshot(result);
    });
    postScanAlerts(result);
    // A scheduled run that waited for this scan has had its scan.
    parts_.automation.scanCompleted();
    if (shown) {
        // A new scan measured the disk itself: only what a cleanup beside it
        // took out can come back with a put back.
        droppedCandidates_ = std::move(dropped);
        scanSource_ = ScanSource::whole;
        setScan(result);
        rebuildDeveloperTree();
        resetSelectionToDefaults();
        parts_.navigation.setSelectedID(Mode::developer, "root");
        parts_.navigation.setRoute(Route::explore);
        return;
    }
    if (mayReplaceScan()) {
        showScanInPlace(std::move(result), std::move(dropped));
        return;
    }
    // The user decides on what the earlier scan offered: the new one waits.
    heldScan_ = std::move(result);
    heldDropped_ = std::move(dropped);
}

void DeveloperState::showScanInPlace(ScanResult result, std::vector<CleanupCandidate> dropped) {
    // A path marked "Never touch" while it waited is not offered.
    dropExcludedCandidates(result);
    droppedCandidates_ = std::move(dropped);
    scanSource_ = ScanSource::whole;
    setScan(std::move(result));
    rebuildDeveloperTree();
    resetSelectionToDefaults();
    // Developer mode's inspector keeps its node while the node is still
    // there, also while general mode is on show.
    NavigationState& navigation = parts_.navigation;
    if (!navigation.selectedID(Mode::developer)) navigation.setSelectedID(Mode::developer, "root");
}

void DeveloperState::applyHeldScan() {
    if (!heldScan_ || !mayReplaceScan()) return;
    const StateChanges::Batch batch(changes());
    ScanResult result = std::move(*heldScan_);
    heldScan_.reset();
    showScanInPlace(std::move(result), std::exchange(heldDropped_, {}));
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
    showStartingScan(std::move(scan), isLastScan ? ScanSource::whole : ScanSource::partial);
}

void DeveloperState::showDemonstrationScan(ScanResult scan) {
    showStartingScan(std::move(scan), ScanSource::demonstration);
}

void DeveloperState::showStartingScan(ScanResult scan, ScanSource source) {
    // Placeholder or not, a path marked "Never touch" is never offered.
    dropExcludedCandidates(scan);
    droppedCandidates_.clear();
    scanSource_ = source;
    setScan(std::move(scan));
    rebuildDeveloperTree();
    resetSelectionToDefaults();
    parts_.navigation.setSelectedID(Mode::developer, "root");
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
