#include "app/state/AppState.h"

#include <nlohmann/json.hpp>

#include "app/platform/Clock.h"
#include "app/platform/Settings.h"
#include "app/state/TreeNavigation.h"
#include "core/text/Json.h"

namespace korvane {

namespace {

// The tree before any scan: the root alone.
StorageNode emptyDeveloperTree() { return StorageNode::developerTree(ScanResult(), true); }

}  // namespace

AppState::AppState(Services services, QObject* parent)
    : QObject(parent),
      tree_(emptyDeveloperTree()),
      scanRoot_(services.home),
      defaults_(services.defaults),
      clock_(services.clock),
      makeScannerEngine_(std::move(services.makeScannerEngine)),
      arguments_(std::move(services.arguments)),
      statsReader_(std::move(services.statsReader)),
      history_(services.historyDirectory),
      automation_(services.defaults, services.clock, services.notifier),
      visibleTree_(tree_),
      home_(services.home),
      desktop_(services.desktop),
      makeCleanupEngine_(std::move(services.makeCleanupEngine)),
      makeUninstaller_(std::move(services.makeUninstaller)) {
    historyWriter_.setMaxThreadCount(1);
    statsTimer_.setInterval(statsIntervalMilliseconds);
    // Only the live figures follow a reading: the rest of the window stays still.
    connect(&statsTimer_, &QTimer::timeout, this, [this] {
        stats_ = statsReader_->read();
        emit statsChanged();
    });
    if (!makeScannerEngine_) {
        makeScannerEngine_ = [&clock = clock_](const ScanSettings& settings) {
            return std::make_unique<ScannerEngine>(settings, std::nullopt, [&clock] { return clock.now(); });
        };
    }
    if (!statsReader_) statsReader_ = std::make_unique<SystemStatsReader>();

    loadSettings();
    if (const auto stored = defaults_.value(modeKey))
        if (const auto mode = modeFromRawValue(*stored)) setMode(*mode);
    if (const auto stored = defaults_.value(themeKey))
        if (const auto theme = themeIDFromRawValue(*stored)) setThemeID(*theme);

    // Read before the window shows, so it opens where the user left it.
    if (auto restored = history_.loadLastScan()) {
        dropExcludedCandidates(*restored);
        setScan(std::move(restored));
        rebuildDeveloperTree();
        resetSelectionToDefaults();
        setSelectedID("root");
        setRoute(Route::explore);
    } else if (defaults_.value(onboardingKey) == "true") {
        setRoute(Route::explore);
    }

    applyLaunchArguments();
    automation_.setOnDue([this] { onAutomationDue(); });
    startStatsTimer();
}

AppState::~AppState() {
    // A scan of the home folder can take a while; nobody waits for its result now.
    if (scannerEngine_) scannerEngine_->cancel();
    if (cleanupEngine_) cleanupEngine_->cancel();
    if (folderScanner_) folderScanner_->cancel();
    if (uninstaller_) uninstaller_->cancel();
    workers_.waitForDone();
    historyWriter_.waitForDone();
}

void AppState::setRoute(Route route) {
    publish(route_, route);
    emit routeChanged();
}

void AppState::setScan(std::optional<ScanResult> scan) {
    publish(scan_, std::move(scan));
    emit scanChanged();
}

void AppState::setScanProgress(ScanProgress progress) {
    publish(scanProgress_, std::move(progress));
    emit scanProgressChanged();
}

void AppState::setCleanupProgress(CleanupProgress progress) {
    publish(cleanupProgress_, std::move(progress));
}

void AppState::setLastReport(std::optional<CleanupReport> report) { publish(lastReport_, std::move(report)); }

void AppState::setSelection(std::set<UUID> selection) {
    publish(selection_, std::move(selection));
    emit selectionChanged();
}

void AppState::setSettings(ScanSettings settings) {
    publish(settings_, std::move(settings));
    emit settingsChanged();
}

void AppState::setDisposalOverride(std::optional<Disposal> disposal) {
    publish(disposalOverride_, disposal);
    emit settingsChanged();
}

void AppState::setErrorMessage(std::optional<std::string> message) {
    publish(errorMessage_, std::move(message));
}

void AppState::setCanvasMode(CanvasMode mode) { publish(canvasMode_, mode); }

void AppState::setSunburstDepth(std::int64_t depth) { publish(sunburstDepth_, depth); }

void AppState::setShowsProtected(bool shows) {
    publish(showsProtected_, shows);
    rebuildDeveloperTree();
}

void AppState::setSheet(std::optional<Sheet> sheet) { publish(sheet_, sheet); }

void AppState::setFocusedID(std::optional<std::string> id) { publish(focusedID_, std::move(id)); }

void AppState::setSelectedID(std::optional<std::string> id) { publish(selectedID_, std::move(id)); }

void AppState::setSearchText(std::string text) {
    visibleTree_ = TreeNavigation::visibleTree(tree_, text);
    publish(searchText_, std::move(text));
}

void AppState::setThemeID(ThemeID theme) {
    publish(themeID_, theme);
    defaults_.setValue(themeKey, std::string(rawValue(theme)));
    emit themeChanged();
}

void AppState::setMode(Mode mode) {
    publish(mode_, mode);
    defaults_.setValue(modeKey, std::string(rawValue(mode)));
    emit modeChanged();
}

void AppState::setGeneralSection(GeneralSection section) { publish(generalSection_, section); }

void AppState::setGeneralResult(std::optional<FileTreeScanner::Result> result) {
    publish(sharedGeneralResult_, std::make_shared<const std::optional<FileTreeScanner::Result>>(std::move(result)));
}

void AppState::setGeneralProgress(FileTreeScanner::Progress progress) {
    publish(generalProgress_, std::move(progress));
}

void AppState::setIsScanningFolder(bool scanning) { publish(isScanningFolder_, scanning); }

void AppState::setScanRoot(std::string folder) { publish(scanRoot_, std::move(folder)); }

void AppState::setSearchQuery(FileSearch::Query query) { publish(searchQuery_, std::move(query)); }

void AppState::setSearchSort(FileSearch::Sort sort) { publish(searchSort_, sort); }

void AppState::setApps(std::vector<AppUninstaller::InstalledApp> apps) { publish(apps_, std::move(apps)); }

void AppState::setIsScanningApps(bool scanning) { publish(isScanningApps_, scanning); }

void AppState::setAppScanProgress(std::string text) { publish(appScanProgress_, std::move(text)); }

void AppState::setSelectedApp(std::optional<AppUninstaller::InstalledApp> app) {
    publish(selectedApp_, std::move(app));
}

void AppState::setRestoreNotice(std::optional<std::string> notice) {
    publish(restoreNotice_, std::move(notice));
}

void AppState::setStagedCandidates(std::vector<CleanupCandidate> candidates) {
    publish(stagedCandidates_, std::move(candidates));
}

void AppState::loadSettings() {
    if (const auto stored = defaults_.value(scanSettingsKey))
        if (auto decoded = decodeJsonText<ScanSettings>(*stored)) setSettings(std::move(*decoded));
    if (const auto stored = defaults_.value(disposalKey)) setDisposalOverride(disposalFromRawValue(*stored));
}

void AppState::saveSettings() {
    defaults_.setValue(scanSettingsKey, nlohmann::json(settings_).dump());
    if (disposalOverride_)
        defaults_.setValue(disposalKey, std::string(rawValue(*disposalOverride_)));
    else
        defaults_.remove(disposalKey);
}

void AppState::resetSelectionToDefaults() {
    std::set<UUID> chosen;
    if (scan_)
        for (const auto& candidate : scan_->allCandidates())
            if (candidate.isSelectedByDefault) chosen.insert(candidate.id);
    setSelection(std::move(chosen));
}

void AppState::rebuildDeveloperTree() {
    tree_ = scan_ ? StorageNode::developerTree(*scan_, showsProtected_) : emptyDeveloperTree();
    publish(visibleTree_, TreeNavigation::visibleTree(tree_, searchText_));
    emit scanChanged();
    if (focusedID_ && tree_.find(*focusedID_) == nullptr) setFocusedID(std::nullopt);
    if (selectedID_ && tree_.find(*selectedID_) == nullptr) setSelectedID(std::nullopt);
}

void AppState::onAutomationDue() { startScan(); }

void AppState::startStatsTimer() {
    stats_ = statsReader_->read();
    emit statsChanged();
    if (statsWatchers_.empty()) statsTimer_.stop();
    else statsTimer_.start();  // restarts a running timer
}

void AppState::setStatsWatched(const void* watcher, bool watched) {
    const bool before = !statsWatchers_.empty();
    if (watched) statsWatchers_.insert(watcher);
    else statsWatchers_.erase(watcher);
    const bool after = !statsWatchers_.empty();
    if (after && !before) startStatsTimer();
    else if (!after && before) statsTimer_.stop();
}

void AppState::dropExcludedCandidates(ScanResult& scan) const {
    if (settings_.excludedPaths.empty()) return;
    for (auto& category : scan.categories)
        std::erase_if(category.candidates, [this](const CleanupCandidate& candidate) {
            return candidate.removal.isPath() && settings_.overlapsExcluded(candidate.path);
        });
}

void AppState::writeHistory(std::function<void(HistoryStore&)> write) {
    historyWriter_.start([this, write = std::move(write)] { write(history_); });
}

void AppState::runInBackground(std::function<void()> work) { workers_.start(std::move(work)); }

}  // namespace korvane
