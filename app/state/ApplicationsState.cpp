#include "app/state/ApplicationsState.h"

#include "app/state/DeveloperState.h"

namespace korvane {

ApplicationsState::ApplicationsState(StateChanges& changes, BackgroundWork& work, DeveloperState& cleanup,
                                     UninstallerFactory makeUninstaller, QObject* parent)
    : PublishedState(changes, parent),
      work_(work),
      cleanup_(cleanup),
      makeUninstaller_(std::move(makeUninstaller)) {
    if (!makeUninstaller_) makeUninstaller_ = [] { return std::make_unique<AppUninstaller>(); };
}

void ApplicationsState::cancelWork() {
    if (uninstaller_) uninstaller_->cancel();
}

void ApplicationsState::setApps(std::vector<AppUninstaller::InstalledApp> apps) {
    publish(apps_, std::move(apps));
}

void ApplicationsState::setIsScanningApps(bool scanning) { publish(isScanningApps_, scanning); }

void ApplicationsState::setAppScanProgress(std::string text) { publish(appScanProgress_, std::move(text)); }

void ApplicationsState::setSelectedApp(std::optional<AppUninstaller::InstalledApp> app) {
    publish(selectedApp_, std::move(app));
}

void ApplicationsState::scanApps() {
    if (isScanningApps_) return;
    setIsScanningApps(true);
    std::shared_ptr<AppUninstaller> uninstaller = makeUninstaller_();
    uninstaller_ = uninstaller;
    work_.run([this, uninstaller] {
        const auto bare = uninstaller->installedApps();
        // The list shows before the slower search for leftovers is done.
        QMetaObject::invokeMethod(
            this, [this, bare] { setApps(bare); }, Qt::QueuedConnection);
        auto complete =
            uninstaller->attachLeftovers(bare, [this](int position, int total, const std::string& name) {
                std::string text =
                    name + " \u2014 " + std::to_string(position + 1) + " of " + std::to_string(total);
                QMetaObject::invokeMethod(
                    this, [this, text = std::move(text)] { setAppScanProgress(text); }, Qt::QueuedConnection);
            });
        QMetaObject::invokeMethod(
            this,
            [this, complete = std::move(complete)] {
                setApps(complete);
                setIsScanningApps(false);
                setAppScanProgress("");
            },
            Qt::QueuedConnection);
    });
}

void ApplicationsState::uninstall(const AppUninstaller::InstalledApp& app, bool includeBundle) {
    cleanup_.stageForReview(AppUninstaller::candidates(app, includeBundle));
}

}  // namespace korvane
