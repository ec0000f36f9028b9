#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/state/BackgroundWork.h"
#include "app/state/DiskChange.h"
#include "app/state/PublishedState.h"
#include "core/explorer/AppUninstaller.h"

namespace korvane {

class DeveloperState;
class PreferencesState;

// General mode's applications page: the installed applications with their
// leftovers, found in the background, and the one in the detail pane.
class ApplicationsState : public PublishedState {
    Q_OBJECT
public:
    using UninstallerFactory = std::function<std::unique_ptr<AppUninstaller>()>;

    // An empty factory means the usual application folders. Uninstalling
    // stages the candidates for review in `cleanup`.
    ApplicationsState(StateChanges& changes, BackgroundWork& work, DeveloperState& cleanup,
                      UninstallerFactory makeUninstaller, QObject* parent = nullptr);
    // Stops the running scan; its result is nobody's now.
    void cancelWork();

    const std::vector<AppUninstaller::InstalledApp>& apps() const { return apps_; }
    void setApps(std::vector<AppUninstaller::InstalledApp> apps);
    bool isScanningApps() const { return isScanningApps_; }
    void setIsScanningApps(bool scanning);
    const std::string& appScanProgress() const { return appScanProgress_; }
    void setAppScanProgress(std::string text);
    const std::optional<AppUninstaller::InstalledApp>& selectedApp() const { return selectedApp_; }
    void setSelectedApp(std::optional<AppUninstaller::InstalledApp> app);

    void scanApps();
    void uninstall(const AppUninstaller::InstalledApp& app, bool includeBundle);
    // Where the disposal the uninstall's review will use is kept.
    const PreferencesState& preferences() const;

    // The list follows what an action did on disk: an application whose
    // bundle left goes, a leftover that left goes, sizes that held what left
    // fall. What it cannot follow exactly (a removal by a command, something
    // put back) makes it look for the applications again, once it has looked.
    void followDiskChange(const DiskChange& change);

private:
    // The selected application as the list holds it; a chosen one that is
    // back in the list is selected again.
    void followSelectedApp();

    bool rescanWanted_ = false;
    // Places that left the list, so that their return is noticed.
    std::vector<std::string> departed_;

    BackgroundWork& work_;
    DeveloperState& cleanup_;
    UninstallerFactory makeUninstaller_;
    std::shared_ptr<AppUninstaller> uninstaller_;  // the last scan's; none before the first
    std::vector<AppUninstaller::InstalledApp> apps_;
    bool isScanningApps_ = false;
    std::string appScanProgress_;
    std::optional<AppUninstaller::InstalledApp> selectedApp_;
    // The application the user chose, while it is gone from the list.
    std::optional<std::string> departedChoice_;
};

}  // namespace korvane
