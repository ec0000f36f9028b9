#include "app/platform/Settings.h"
#include "app/state/AppState.h"
#include "app/state/PostScanAlert.h"

namespace korvane {

void AppState::startScan() {
    // Scanning while a cleanup removes things would offer what is about to go.
    if (route_ == Route::scanning || route_ == Route::cleaning) return;
    setMode(Mode::developer);
    defaults_.setValue(onboardingKey, "true");
    setScanProgress(ScanProgress::idle());
    setRoute(Route::scanning);

    std::shared_ptr<ScannerEngine> engine = makeScannerEngine_(settings_);
    scannerEngine_ = engine;
    const std::uint64_t run = ++scanRun_;
    scanRunCancelled_ = false;
    runInBackground([this, engine, run] {
        ScanResult result = engine->scan([this, run](const ScanProgress& progress) {
            QMetaObject::invokeMethod(
                this,
                [this, run, progress] {
                    if (run == scanRun_ && !scanRunCancelled_) setScanProgress(progress);
                },
                Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(
            this,
            [this, run, result = std::move(result)] {
                // A run that a newer scan replaced has nothing to say any more.
                if (run == scanRun_) applyScanResult(result, scanRunCancelled_);
            },
            Qt::QueuedConnection);
    });
}

void AppState::cancelDeveloperScan() {
    if (route_ != Route::scanning) return;
    if (scannerEngine_) scannerEngine_->cancel();
    scanRunCancelled_ = true;
    setRoute(scan_ ? Route::explore : Route::onboarding);
}

void AppState::applyScanResult(const ScanResult& result, bool cancelled) {
    // A cancelled run lands where the cancel left the window; once a cleanup
    // has started from the earlier result, the partial one is out of date.
    if (cancelled && route_ != Route::explore && route_ != Route::onboarding) return;
    setScan(result);
    rebuildDeveloperTree();
    resetSelectionToDefaults();
    setSelectedID("root");
    // A cancelled scan lacks whole categories: saved, it would replace the
    // last full scan and record a day's storage far too low.
    if (!cancelled) {
        writeHistory([result](HistoryStore& history) {
            history.saveLastScan(result);
            history.recordSnapshot(result);
        });
    }
    postScanAlerts(result);
    setRoute(Route::explore);
}

void AppState::postScanAlerts(const ScanResult& result) {
    if (const auto alert = PostScanAlert::decide(result.reclaimable(), result.volume.availableCapacity,
                                                 automation_.schedule()))
        automation_.notify(alert->title, alert->body);
}

}  // namespace korvane
