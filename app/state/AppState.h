#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/state/ApplicationsState.h"
#include "app/state/Automation.h"
#include "app/state/BackgroundWork.h"
#include "app/state/DesktopActions.h"
#include "app/state/DeveloperState.h"
#include "app/state/FolderScanState.h"
#include "app/state/HistoryRecords.h"
#include "app/state/LaunchArguments.h"
#include "app/state/LiveStatsState.h"
#include "app/state/NavigationState.h"
#include "app/state/PreferencesState.h"
#include "app/state/StateChanges.h"
#include "app/state/ViewChoices.h"

namespace korvane {

class Clock;
class Desktop;
class Notifier;
class Settings;

// Owns the parts of the state the window shows, each with its own fields,
// operations and signals: the preferences, where the user is (navigation),
// developer mode's scan and cleanup, general mode's folder scan, applications
// and live statistics. One instance lives for the whole process; it is
// written only on the thread that created it (the UI thread). Background work
// comes back through queued calls and counts only while its run is the current one.
class AppState : public QObject {
    Q_OBJECT
public:
    // The spellings the screens and tests have always used.
    using Route = korvane::Route;
    using Mode = korvane::Mode;
    using Sheet = korvane::Sheet;
    using GeneralSection = korvane::GeneralSection;
    using CanvasMode = korvane::CanvasMode;
    using ScannerEngineFactory = DeveloperState::ScannerEngineFactory;

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
        DeveloperState::CleanupEngineFactory makeCleanupEngine = {};
        // A new uninstaller for each application scan; empty means the usual application folders.
        ApplicationsState::UninstallerFactory makeUninstaller = {};
        // A new scanner for each folder scan; empty means the default options.
        FolderScanState::FolderScannerFactory makeFolderScanner = {};
    };

    // Start-up: stored settings, mode, theme, the last scan, the launch
    // arguments, the schedule's callback, the statistics timer.
    explicit AppState(Services services, QObject* parent = nullptr);
    // Stops the running work and waits for it and for history writes.
    ~AppState() override;

    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    PreferencesState& preferences() { return preferences_; }
    const PreferencesState& preferences() const { return preferences_; }
    NavigationState& navigation() { return navigation_; }
    const NavigationState& navigation() const { return navigation_; }
    DeveloperState& developer() { return developer_; }
    const DeveloperState& developer() const { return developer_; }
    FolderScanState& folderScan() { return folderScan_; }
    const FolderScanState& folderScan() const { return folderScan_; }
    ApplicationsState& applications() { return applications_; }
    const ApplicationsState& applications() const { return applications_; }
    LiveStatsState& liveStats() { return liveStats_; }
    const LiveStatsState& liveStats() const { return liveStats_; }
    HistoryRecords& history() { return history_; }
    const HistoryRecords& history() const { return history_; }
    Automation& automation() { return automation_; }
    const Automation& automation() const { return automation_; }
    const DesktopActions& desktop() const { return desktop_; }
    // "Now" for the ages the pages show.
    const Clock& clock() const { return clock_; }

    // The schedule's callback: a scan unless one (or a cleanup) runs.
    void onAutomationDue();
    // A click on an alert: the developer scan it told of, unless the user is
    // in the middle of something.
    void showAnnouncedScan();
    // The last scan, else the demonstration scan, with the root selected.
    void loadDemonstrationScan();
    ScanResult demonstrationScan() const;
    CleanupReport demonstrationReport() const;

signals:
    // Some field of some part changed (once per batch of changes).
    void changed();

private:
    // Start-up steps.
    void restoreLastScan();
    void applyLaunchArguments(const std::vector<std::string>& arguments);
    void applyLaunchScreen(LaunchArguments::Screen screen);

    Clock& clock_;
    StateChanges changes_;
    BackgroundWork work_;
    HistoryRecords history_;
    Automation automation_;
    DesktopActions desktop_;
    PreferencesState preferences_;
    NavigationState navigation_;
    DeveloperState developer_;
    FolderScanState folderScan_;
    ApplicationsState applications_;
    LiveStatsState liveStats_;
};

}  // namespace korvane
