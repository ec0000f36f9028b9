#pragma once

#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/state/Automation.h"
#include "app/state/LaunchArguments.h"
#include "app/theme/Palette.h"
#include "app/theme/ThemeID.h"
#include "core/explorer/AppUninstaller.h"
#include "core/explorer/FileSearch.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/explorer/SystemStats.h"
#include "core/explorer/SystemStatsReader.h"
#include "core/model/CleanupCandidate.h"
#include "core/model/CleanupProgress.h"
#include "core/model/CleanupReport.h"
#include "core/model/ScanProgress.h"
#include "core/model/ScanResult.h"
#include "core/model/ScanSettings.h"
#include "core/model/StorageNode.h"
#include "core/model/UUID.h"
#include "core/safety/CleanupEngine.h"
#include "core/safety/HistoryStore.h"
#include "core/scanners/ScannerEngine.h"

namespace korvane {

class Clock;
class Desktop;
class Notifier;
class Settings;

// Everything the window shows and every operation its controls start. One
// instance lives for the whole process; it is written only on the thread that
// created it (the UI thread). Background work comes back through queued calls
// and counts only while its run is still the current one.
//
// The operations are split by concern over several source files:
// AppState.cpp (fields, start-up, persisted settings, statistics, history),
// AppStateScan.cpp (the developer scan and its alerts),
// AppStateNavigation.cpp (tree navigation, selection, sidebar, project
// folders), AppStateCleanup.cpp (cleanup, restore, exclusions, the report's
// actions), AppStateGeneral.cpp (folder scan, search, large files,
// applications), AppStateLaunch.cpp (the launch arguments and demonstration
// data), AppStateTypes.cpp (the text tables of the nested types).
class AppState : public QObject {
    Q_OBJECT
public:
    // Which top-level screen the window shows.
    enum class Route { onboarding, scanning, explore, cleaning, finished };
    enum class Mode { general, developer };
    // Which sheet lies over the window.
    enum class Sheet { review, history, settings };
    // Which page general mode shows.
    enum class GeneralSection { explore, search, largeFiles, apps, stats };
    // Which storage canvas is shown.
    enum class CanvasMode {
        strata,
        ageMap,
        treemap,
        folders,
        bubbles,
        flame,
        mindMap,
        sunburst,
        bars,
        table
    };

    using ScannerEngineFactory = std::function<std::unique_ptr<ScannerEngine>(const ScanSettings&)>;

    // What the state works through; tests pass fakes and temporary folders.
    struct Services {
        Settings& defaults;
        Clock& clock;
        Notifier& notifier;
        std::string home;              // the user's home folder, standardised
        std::string historyDirectory;  // where the history files live
        std::unique_ptr<SystemStatsReader> statsReader;  // none: the live machine's
        // A new engine for each developer scan; empty means the nine default scanners.
        ScannerEngineFactory makeScannerEngine;
        // Launch arguments after the program name.
        std::vector<std::string> arguments;

        // Reveal, open, the clipboard and the folder pickers; without one
        // those requests do nothing.
        Desktop* desktop = nullptr;
        // A new engine for each cleanup; empty means one over the user's own Trash.
        std::function<std::unique_ptr<CleanupEngine>()> makeCleanupEngine = {};
        // A new uninstaller for each application scan; empty means the usual application folders.
        std::function<std::unique_ptr<AppUninstaller>()> makeUninstaller = {};
    };

    static constexpr const char* modeKey = "mode";
    static constexpr const char* themeKey = "theme";
    static constexpr const char* scanSettingsKey = "scan.settings";
    static constexpr const char* disposalKey = "cleanup.disposal";
    static constexpr const char* onboardingKey = "onboarding.completed";
    static constexpr int statsIntervalMilliseconds = 2000;

    // Start-up: initial values, stored settings, mode, theme, the last scan,
    // the launch arguments, the schedule's callback, the statistics timer.
    explicit AppState(Services services, QObject* parent = nullptr);
    // Stops the running scan and waits for background work and history writes.
    ~AppState() override;

    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // --- Published state ---
    Route route() const { return route_; }
    void setRoute(Route route);
    const std::optional<ScanResult>& scan() const { return scan_; }
    void setScan(std::optional<ScanResult> scan);
    const ScanProgress& scanProgress() const { return scanProgress_; }
    void setScanProgress(ScanProgress progress);
    const CleanupProgress& cleanupProgress() const { return cleanupProgress_; }
    void setCleanupProgress(CleanupProgress progress);
    const std::optional<CleanupReport>& lastReport() const { return lastReport_; }
    void setLastReport(std::optional<CleanupReport> report);
    const std::set<UUID>& selection() const { return selection_; }
    void setSelection(std::set<UUID> selection);
    const ScanSettings& settings() const { return settings_; }
    void setSettings(ScanSettings settings);
    const std::optional<Disposal>& disposalOverride() const { return disposalOverride_; }
    void setDisposalOverride(std::optional<Disposal> disposal);
    const std::optional<std::string>& errorMessage() const { return errorMessage_; }
    void setErrorMessage(std::optional<std::string> message);
    CanvasMode canvasMode() const { return canvasMode_; }
    void setCanvasMode(CanvasMode mode);
    std::int64_t sunburstDepth() const { return sunburstDepth_; }
    void setSunburstDepth(std::int64_t depth);
    bool showsProtected() const { return showsProtected_; }
    // Also rebuilds the developer tree, even when the flag does not change.
    void setShowsProtected(bool shows);
    const std::optional<Sheet>& sheet() const { return sheet_; }
    void setSheet(std::optional<Sheet> sheet);
    const std::optional<std::string>& focusedID() const { return focusedID_; }
    void setFocusedID(std::optional<std::string> id);
    const std::optional<std::string>& selectedID() const { return selectedID_; }
    void setSelectedID(std::optional<std::string> id);
    const std::string& searchText() const { return searchText_; }
    void setSearchText(std::string text);
    ThemeID themeID() const { return themeID_; }
    // The palette of the current theme; every view draws with it.
    const Palette& palette() const { return Palette::forTheme(themeID_); }
    // Also stores the theme under "theme", on every call.
    void setThemeID(ThemeID theme);
    const StorageNode& tree() const { return tree_; }
    Mode mode() const { return mode_; }
    // Also stores the mode under "mode", on every call.
    void setMode(Mode mode);
    GeneralSection generalSection() const { return generalSection_; }
    void setGeneralSection(GeneralSection section);
    const std::optional<FileTreeScanner::Result>& generalResult() const { return *sharedGeneralResult_; }
    // The same result, shared with work that reads it off the UI thread (the
    // search): a newer scan replaces the state's copy without pulling it from
    // under a search still running over it.
    std::shared_ptr<const std::optional<FileTreeScanner::Result>> sharedGeneralResult() const {
        return sharedGeneralResult_;
    }
    void setGeneralResult(std::optional<FileTreeScanner::Result> result);
    const FileTreeScanner::Progress& generalProgress() const { return generalProgress_; }
    void setGeneralProgress(FileTreeScanner::Progress progress);
    bool isScanningFolder() const { return isScanningFolder_; }
    void setIsScanningFolder(bool scanning);
    const std::string& scanRoot() const { return scanRoot_; }
    void setScanRoot(std::string folder);
    const FileSearch::Query& searchQuery() const { return searchQuery_; }
    void setSearchQuery(FileSearch::Query query);
    FileSearch::Sort searchSort() const { return searchSort_; }
    void setSearchSort(FileSearch::Sort sort);
    const std::vector<AppUninstaller::InstalledApp>& apps() const { return apps_; }
    void setApps(std::vector<AppUninstaller::InstalledApp> apps);
    bool isScanningApps() const { return isScanningApps_; }
    void setIsScanningApps(bool scanning);
    const std::string& appScanProgress() const { return appScanProgress_; }
    void setAppScanProgress(std::string text);
    const std::optional<AppUninstaller::InstalledApp>& selectedApp() const { return selectedApp_; }
    void setSelectedApp(std::optional<AppUninstaller::InstalledApp> app);
    const SystemStats& stats() const { return stats_; }
    const std::optional<std::string>& restoreNotice() const { return restoreNotice_; }
    void setRestoreNotice(std::optional<std::string> notice);
    const std::vector<CleanupCandidate>& stagedCandidates() const { return stagedCandidates_; }
    void setStagedCandidates(std::vector<CleanupCandidate> candidates);

    // --- Services the screens read ---
    Automation& automation() { return automation_; }
    const Automation& automation() const { return automation_; }
    const HistoryStore& history() const { return history_; }
    // The desktop adapter (reveal, clipboard, pickers); null when there is none.
    Desktop* desktop() const { return desktop_; }
    // The persisted choices, for what the window keeps of itself (its place on the screen).
    Settings& defaults() const { return defaults_; }
    // The desktop's file manager name, empty when it gives none (or there is no desktop).
    std::string fileManagerName() const;
    // The name of the volume that holds the home folder, the title over the
    // disk gauge; the home folder itself when the desktop cannot tell.
    std::string homeVolumeName() const;
    // "Now" for the ages the pages show.
    const Clock& clock() const { return clock_; }
    // Runs `read` with the history on the history's own thread, after every
    // write asked for before it, then `done` with its result on this thread,
    // unless `receiver` is gone by then: the window never waits for the disk.
    template <class Read, class Done>
    void readHistory(QObject* receiver, Read read, Done done) {
        historyWriter_.start([this, receiver = QPointer<QObject>(receiver), read = std::move(read),
                              done = std::move(done)]() mutable {
            QMetaObject::invokeMethod(
                this,
                [receiver = std::move(receiver), done = std::move(done),
                 result = read(std::as_const(history_))]() mutable {
                    if (receiver) done(std::move(result));
                },
                Qt::QueuedConnection);
        });
    }

    // --- Start-up and settings ---
    // "scan.settings" and "cleanup.disposal" into `settings` and `disposalOverride`;
    // a value that does not decode changes nothing.
    void loadSettings();
    // Writes both back; no disposal removes "cleanup.disposal".
    void saveSettings();
    // The candidates of the scan that start selected; empty without a scan.
    void resetSelectionToDefaults();
    // `tree` from `scan`; focused and selected ids that no longer name a node are cleared.
    void rebuildDeveloperTree();
    // The schedule's callback: a scan unless one (or a cleanup) runs.
    void onAutomationDue();
    // One reading now, then one every two seconds while a live figure is on screen.
    void startStatsTimer();
    // A live figure (a meter, the statistics page) that comes on screen or
    // leaves it; the timer runs only while at least one is on screen. A
    // figure that comes on screen gets a fresh reading at once.
    void setStatsWatched(const void* watcher, bool watched);
    bool statsTimerRuns() const { return statsTimer_.isActive(); }

    // --- The developer scan ---
    // Does nothing while a scan or a cleanup runs.
    void startScan();
    // Only while scanning: stops the engine and returns to the explorer (or
    // onboarding without an earlier scan). What the engine finished still
    // arrives and is shown, but it is neither saved nor recorded.
    void cancelDeveloperScan();
    // At most one notification, after an applied scan.
    void postScanAlerts(const ScanResult& result);

    // ===== Navigation, selection, cleanup, general-mode flows, launch options =====
    // AppStateNavigation.cpp, AppStateCleanup.cpp, AppStateGeneral.cpp and
    // AppStateLaunch.cpp. Nodes handed out by pointer belong to the state and
    // stay valid until it next changes.

    // --- Tree navigation and selection ---
    // The developer tree as the filter text leaves it (kept in step with both).
    const StorageNode& visibleTree() const { return visibleTree_; }
    bool searchHasNoMatches() const;
    std::size_t visibleItemCount() const;
    // The node the canvas is drilled into: in general mode in the folder
    // tree, in developer mode in the visible tree, else in the whole tree.
    const StorageNode* focusedNode() const;
    // The node the inspector shows, looked up in the whole tree of the mode.
    const StorageNode* selectedNode() const;
    // Root down to the focused node of the developer tree.
    std::vector<const StorageNode*> breadcrumb() const;
    // The tree the canvas of the mode drills into: the folder scan's in
    // general mode (nullptr without one), else the developer tree.
    const StorageNode* navigationTree() const;
    // Root down to the focused node in the tree of the mode; empty without a tree.
    std::vector<const StorageNode*> focusPath() const;
    bool canFocusUp() const;
    // One level out: the focused node's parent is on show and in the inspector.
    void focusUp();
    // A folder of the tree of the mode goes on show and in the inspector;
    // the root means no focus. Nothing when the id names no folder of it.
    void focusOn(std::string_view id);
    // The developer tree's quick wins.
    std::vector<const StorageNode*> sidebarItems() const;
    std::int64_t reclaimableBytes() const;
    bool hasScan() const { return scan_.has_value(); }
    // The scan's candidates, then the staged ones.
    std::vector<CleanupCandidate> allCandidates() const;
    std::vector<CleanupCandidate> selectedCandidates() const;
    std::int64_t selectedBytes() const;
    std::vector<UUID> candidateIDs(const StorageNode& node) const;
    bool isSelected(const StorageNode& node) const;
    // Shows the node in the inspector; a node with children is also drilled into.
    void select(const StorageNode& node);
    void select(std::string_view id);
    void toggleSelection(const StorageNode& node);
    // Toggles the candidates of the nodes themselves, all together.
    void toggleSelection(const std::vector<StorageNode>& nodes);
    void selectAllSafe();
    // Exactly the node's candidates become the selection, and the review opens.
    void reviewCandidates(const StorageNode& node);
    void revealInFileManager(const StorageNode& node);
    void copyPath(const StorageNode& node);
    void revealFocusedInFileManager();
    void copyFocusedPath();
    // Asks for folders to search for projects, adds them and scans.
    void chooseProjectRoots();
    // Adds the folder once; a folder already listed changes nothing.
    void addProjectRoot(const std::string& path);

    // --- Cleanup, restore and the Trash ---
    // Some item of the last cleanup still lies in the Trash.
    bool canRestore() const;
    // Removes the selected candidates in the background with the disposal
    // chosen now; nothing without a selection or while a cleanup runs.
    void startCleanup();
    // Stops the running cleanup; with none running, the progress screen
    // returns to the explorer.
    void cancelCleanup();
    void finishCleanup(const CleanupReport& report);
    // The candidates the report removed leave the scan and the selection.
    void dropRemovedCandidates(const CleanupReport& report);
    // Puts the last cleanup's trashed items back (in the background), then scans.
    void restoreFromTrash();
    // Removes for good what Korvane's recorded cleanups left in the Trash.
    void emptyOwnTrash();
    // Keeps the node's path out of this and every later scan and cleanup.
    void neverTouch(const StorageNode& node);
    void removeExclusion(const std::string& path);
    void removeProjectRoot(const std::string& path);
    std::string shareSummary() const;
    void copySummary();
    // Leaves the completion screen and forgets the staged candidates.
    void dismissReport();
    void open(const std::string& path);
    void reveal(const std::vector<std::string>& paths);
    void openTrash();

    // --- General mode ---
    // The last folder scan's tree; nullptr without one.
    const StorageNode* generalRoot() const;
    // At most searchLimit entries of the scan's index.
    std::vector<FileTreeScanner::Entry> searchResults() const;
    std::vector<FileTreeScanner::Entry> largestFiles() const;
    void chooseFolderToScan();
    // One folder scan at a time: a call while one runs is ignored.
    void scanFolder(const std::string& folder);
    // The scan ends at once for the window; what it counted still arrives
    // unless a newer scan has started since.
    void stopFolderScan();
    void scanApps();
    void uninstall(const AppUninstaller::InstalledApp& app, bool includeBundle);
    // The entries the safety check admits, staged for review.
    void stageUserChoice(const std::vector<FileTreeScanner::Entry>& entries);
    // Replaces the staged candidates and the selection, and opens the review.
    void stageForReview(std::vector<CleanupCandidate> candidates);

    // --- Launch options and demonstration data ---
    // The last scan, else the demonstration scan, with the root selected.
    void loadDemonstrationScan();
    ScanResult demonstrationScan() const;
    CleanupReport demonstrationReport() const;
    void scanHomeFolder();

    static constexpr int searchLimit = 500;

signals:
    // Any published field changed.
    void changed();
    void routeChanged();
    void scanChanged();  // scan or tree
    void scanProgressChanged();
    void selectionChanged();
    void settingsChanged();  // settings or disposal
    void themeChanged();
    void modeChanged();
    void statsChanged();

private:
    template <class Field, class Value>
    void publish(Field& field, Value&& value) {
        field = std::forward<Value>(value);
        if (batchDepth_ > 0) batchedChange_ = true;
        else emit changed();
    }

    // Fields published while one lives reach the screens as one change when
    // the outermost ends, so a step that sets several fields is redrawn once.
    class ChangeBatch {
    public:
        explicit ChangeBatch(AppState& state) : state_(state) { ++state_.batchDepth_; }
        ~ChangeBatch() {
            if (--state_.batchDepth_ == 0 && std::exchange(state_.batchedChange_, false)) emit state_.changed();
        }
        ChangeBatch(const ChangeBatch&) = delete;
        ChangeBatch& operator=(const ChangeBatch&) = delete;

    private:
        AppState& state_;
    };

    // Start-up step: the launch arguments over the restored state.
    void applyLaunchArguments();
    // Candidates of a restored scan that lie at, below or around a path the
    // user marked "Never touch".
    void dropExcludedCandidates(ScanResult& scan) const;
    void applyScanResult(const ScanResult& result, bool cancelled);
    // Runs on the history's own thread, in the order given.
    void writeHistory(std::function<void(HistoryStore&)> write);
    // Runs on a worker thread.
    void runInBackground(std::function<void()> work);

    // Runs `done` on this object's thread with what `work` produced there.
    template <class Work, class Done>
    void runInBackground(Work work, Done done) {
        runInBackground([this, work = std::move(work), done = std::move(done)]() mutable {
            QMetaObject::invokeMethod(
                this, [done = std::move(done), result = work()]() mutable { done(std::move(result)); },
                Qt::QueuedConnection);
        });
    }
    void finishFolderScan(std::uint64_t run, FileTreeScanner::Result result);
    void applyLaunchScreen(LaunchArguments::Screen screen);

    // Published fields, in the order the screens know them.
    Route route_ = Route::onboarding;
    std::optional<ScanResult> scan_;
    ScanProgress scanProgress_ = ScanProgress::idle();
    CleanupProgress cleanupProgress_;
    std::optional<CleanupReport> lastReport_;
    std::set<UUID> selection_;
    ScanSettings settings_ = ScanSettings::defaultSettings();
    std::optional<Disposal> disposalOverride_;
    std::optional<std::string> errorMessage_;
    CanvasMode canvasMode_ = CanvasMode::strata;
    std::int64_t sunburstDepth_ = 3;
    bool showsProtected_ = true;
    std::optional<Sheet> sheet_;
    std::optional<std::string> focusedID_;
    std::optional<std::string> selectedID_;
    std::string searchText_;
    ThemeID themeID_ = ThemeID::paper;
    StorageNode tree_;
    Mode mode_ = Mode::general;
    GeneralSection generalSection_ = GeneralSection::explore;
    // Never null; held by pointer so that readers on other threads can share it.
    std::shared_ptr<const std::optional<FileTreeScanner::Result>> sharedGeneralResult_ =
        std::make_shared<const std::optional<FileTreeScanner::Result>>();
    FileTreeScanner::Progress generalProgress_;
    bool isScanningFolder_ = false;
    std::string scanRoot_;
    FileSearch::Query searchQuery_;
    FileSearch::Sort searchSort_ = FileSearch::Sort::size;
    std::vector<AppUninstaller::InstalledApp> apps_;
    bool isScanningApps_ = false;
    std::string appScanProgress_;
    std::optional<AppUninstaller::InstalledApp> selectedApp_;
    SystemStats stats_;
    std::optional<std::string> restoreNotice_;
    std::vector<CleanupCandidate> stagedCandidates_;

    // Services and the engines of the current or last runs. Engines are shared
    // with the worker running them, so replacing one never pulls it from
    // under a run that is still ending.
    Settings& defaults_;
    Clock& clock_;
    ScannerEngineFactory makeScannerEngine_;
    std::vector<std::string> arguments_;
    std::shared_ptr<FileTreeScanner> folderScanner_;
    std::shared_ptr<AppUninstaller> uninstaller_;
    QTimer statsTimer_;
    std::set<const void*> statsWatchers_;
    std::unique_ptr<SystemStatsReader> statsReader_;
    HistoryStore history_;
    Automation automation_;
    std::shared_ptr<ScannerEngine> scannerEngine_;
    std::shared_ptr<CleanupEngine> cleanupEngine_;

    // Each developer scan gets the next number; a result or progress report
    // of any other number is stale.
    std::uint64_t scanRun_ = 0;
    bool scanRunCancelled_ = false;

    QThreadPool workers_;
    QThreadPool historyWriter_;  // one thread: writes land in order

    // Navigation, cleanup and general-mode state.
    StorageNode visibleTree_;
    std::string home_;
    Desktop* desktop_ = nullptr;
    std::function<std::unique_ptr<CleanupEngine>()> makeCleanupEngine_;
    std::function<std::unique_ptr<AppUninstaller>()> makeUninstaller_;
    // Each cleanup and folder scan gets the next number; reports of any other are stale.
    std::uint64_t cleanupRun_ = 0;
    bool isCleaning_ = false;
    int batchDepth_ = 0;
    bool batchedChange_ = false;
    std::uint64_t folderRun_ = 0;
};

// Text tables of the nested types.
const std::array<AppState::Mode, 2>& allModes();
std::string_view rawValue(AppState::Mode mode);
// Exactly "general" and "developer".
std::optional<AppState::Mode> modeFromRawValue(std::string_view text);

// "review", "history", "settings".
std::string_view rawValue(AppState::Sheet sheet);

const std::array<AppState::GeneralSection, 5>& allGeneralSections();
std::string_view rawValue(AppState::GeneralSection section);
std::optional<AppState::GeneralSection> generalSectionFromRawValue(std::string_view text);
std::string_view title(AppState::GeneralSection section);
std::string_view symbolName(AppState::GeneralSection section);

const std::array<AppState::CanvasMode, 10>& allCanvasModes();
std::string_view rawValue(AppState::CanvasMode mode);
std::optional<AppState::CanvasMode> canvasModeFromRawValue(std::string_view text);
std::string_view title(AppState::CanvasMode mode);
std::string_view symbolName(AppState::CanvasMode mode);
// The one-line description the canvas switcher shows.
std::string_view blurb(AppState::CanvasMode mode);

}  // namespace korvane
