#include "app/state/AppState.h"

#include "app/platform/Clock.h"
#include "app/state/DemonstrationData.h"

namespace korvane {

namespace {

DeveloperState::ScannerEngineFactory defaultScannerEngines(DeveloperState::ScannerEngineFactory factory,
                                                           const Clock& clock) {
    if (factory) return factory;
    return [&clock](const ScanSettings& settings) {
        return std::make_unique<ScannerEngine>(settings, std::nullopt, [&clock] { return clock.now(); });
    };
}

}  // namespace

AppState::AppState(Services services, QObject* parent)
    : QObject(parent),
      clock_(services.clock),
      history_(services.historyDirectory),
      automation_(services.defaults, services.clock, services.notifier),
      desktop_(services.desktop, services.home),
      preferences_(changes_, services.defaults),
      navigation_(changes_, preferences_),
      developer_(changes_, {preferences_, navigation_, history_, automation_, desktop_, work_,
                            defaultScannerEngines(std::move(services.makeScannerEngine), clock_),
                            std::move(services.makeCleanupEngine)}),
      folderScan_(changes_,
                  {preferences_, navigation_, desktop_, history_, work_, std::move(services.makeFolderScanner)},
                  services.home),
      applications_(changes_, work_, developer_, std::move(services.makeUninstaller)),
      liveStats_(std::move(services.statsReader)) {
    connect(&changes_, &StateChanges::changed, this, &AppState::changed);
    // Opening a folder's remainder reads what it sums into the folder tree.
    navigation_.setSummedReader(
        [this](const std::string& id, bool thenFocus) { folderScan_.openSummed(id, thenFocus); });
    // A file manager that never answered is said so in the window's alert.
    desktop_.setOnUnanswered([this](const std::string& notice) { developer_.setErrorMessage(notice); });
    // An action's outcome reaches every part that holds its items, in the batch it comes in.
    connect(&developer_, &DeveloperState::diskChanged, &folderScan_, &FolderScanState::followDiskChange);
    connect(&navigation_, &NavigationState::mountPointOpened, &folderScan_, &FolderScanState::scanFolder);
    connect(&developer_, &DeveloperState::diskChanged, &applications_, &ApplicationsState::followDiskChange);
    // The scan restored first follows what work a crash cut off did, once
    // that is known: the window shows at once that it is being checked.
    restoreLastScan();
    developer_.recoverCutOffWork();
    applyLaunchArguments(services.arguments);
    // The schedule treats cleaning like scanning: a run due meanwhile waits
    // for the work to end, then runs.
    const auto workInProgress = [this] {
        return developer_.isScanning() || developer_.isCleaning() || navigation_.route() == Route::cleaning;
    };
    automation_.setWorkInProgress(workInProgress);
    connect(&changes_, &StateChanges::changed, this, [this, workInProgress] {
        // Later: the work's own batch ends first.
        if (automation_.isWaiting() && !workInProgress())
            QMetaObject::invokeMethod(&automation_, &Automation::checkDue, Qt::QueuedConnection);
    });
    automation_.setOnDue([this] { onAutomationDue(); });
    connect(&automation_, &Automation::alertOpened, this, &AppState::showAnnouncedScan);
    liveStats_.startStatsTimer();
}

AppState::~AppState() {
    // A cleanup is stopped at a safe point and recorded, never left half told.
    developer_.stopCleanupAndWait();
    developer_.stopTrashWorkAndWait();
    // A scan of the home folder can take a while; nobody waits for its result now.
    developer_.cancelWork();
    folderScan_.cancelWork();
    applications_.cancelWork();
    work_.waitForDone();
    history_.waitForDone();
}

void AppState::restoreLastScan() {
    // Read before the window shows, so it opens where the user left it.
    if (auto restored = history_.store().loadLastScan()) {
        developer_.showRestoredScan(std::move(*restored));
        navigation_.setRoute(Route::explore);
    } else if (preferences_.isOnboarded()) {
        navigation_.setRoute(Route::explore);
    }
}

void AppState::onAutomationDue() { developer_.startBackgroundScan(); }

void AppState::showAnnouncedScan() {
    // An alert tells of the last developer scan. A sheet, a scan, a cleanup
    // or its result the user is in stays as it is: the window only comes forward.
    if (navigation_.sheet() || !developer_.hasScan()) return;
    const Route route = navigation_.route();
    if (route != Route::explore && route != Route::onboarding) return;
    const StateChanges::Batch batch(changes_);
    preferences_.setMode(Mode::developer);
    navigation_.setRoute(Route::explore);
    navigation_.setFocusedID(Mode::developer, std::nullopt);
    navigation_.setSelectedID(Mode::developer, "root");
}

void AppState::loadDemonstrationScan() {
    if (!developer_.hasScan()) {
        if (auto last = history_.store().loadLastScan())
            developer_.showRestoredScan(std::move(*last));
        else
            developer_.showDemonstrationScan(demonstrationScan());
        return;
    }
    developer_.rebuildDeveloperTree();
    developer_.resetSelectionToDefaults();
    navigation_.setSelectedID(Mode::developer, "root");
}

ScanResult AppState::demonstrationScan() const { return DemonstrationData::scan(clock_.now()); }

CleanupReport AppState::demonstrationReport() const { return DemonstrationData::report(clock_.now()); }

}  // namespace korvane
