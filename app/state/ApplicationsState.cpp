#include "app/state/ApplicationsState.h"

#include <algorithm>

#include "app/state/DeveloperState.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

using App = AppUninstaller::InstalledApp;

void lower(std::int64_t& bytes, std::int64_t by) {
    bytes = std::max<std::int64_t>(bytes - std::max<std::int64_t>(by, 0), 0);
}

// The application without what left; false when the application itself left.
bool follow(App& app, const DiskChange::Place& place, std::vector<std::string>& departed) {
    if (Paths::isAtOrBelow(app.bundleURL, place.path)) {
        departed.push_back(app.bundleURL);
        return false;
    }
    if (Paths::isAtOrBelow(place.path, app.bundleURL)) lower(app.bundleBytes, place.bytes);
    std::erase_if(app.leftovers, [&](const AppUninstaller::Leftover& leftover) {
        if (Paths::isAtOrBelow(leftover.path, place.path)) {
            departed.push_back(leftover.path);
            return true;
        }
        return false;
    });
    for (auto& leftover : app.leftovers)
        if (Paths::isAtOrBelow(place.path, leftover.path)) lower(leftover.bytes, place.bytes);
    return true;
}

}  // namespace

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
    // A new choice replaces one that waits for its application to come back.
    departedChoice_.reset();
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
            this,
            [this, bare] {
                const StateChanges::Batch batch(changes());
                setApps(bare);
                // A chosen application that is back shows at once; one on
                // show keeps its leftovers until the complete list comes.
                if (!selectedApp_) followSelectedApp();
            },
            Qt::QueuedConnection);
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
                const StateChanges::Batch batch(changes());
                setApps(complete);
                followSelectedApp();
                setIsScanningApps(false);
                setAppScanProgress("");
                // Something changed on disk while this scan looked.
                if (std::exchange(rescanWanted_, false)) scanApps();
            },
            Qt::QueuedConnection);
    });
}

void ApplicationsState::followSelectedApp() {
    const std::optional<std::string> chosen =
        selectedApp_ ? std::optional(selectedApp_->id()) : departedChoice_;
    if (!chosen) return;
    // The detail pane shows the application as the list now has it (its
    // leftovers back after a put back), or nothing while it is gone; the
    // choice waits for it to come back.
    const auto found =
        std::find_if(apps_.begin(), apps_.end(), [&chosen](const App& app) { return app.id() == *chosen; });
    std::optional<App> followed;
    if (found != apps_.end()) followed = *found;
    departedChoice_ = followed ? std::nullopt : chosen;
    if (followed != selectedApp_) publish(selectedApp_, std::move(followed));
}

const PreferencesState& ApplicationsState::preferences() const { return cleanup_.preferences(); }

void ApplicationsState::uninstall(const AppUninstaller::InstalledApp& app, bool includeBundle) {
    cleanup_.stageForReview(AppUninstaller::candidates(app, includeBundle));
}

void ApplicationsState::followDiskChange(const DiskChange& change) {
    // Before the first look there is no list to follow.
    if (!uninstaller_) return;
    bool rescan = change.ranCommand();
    // Something came back where an application or a leftover was: only a new look finds it again.
    const auto returns = [this](const DiskChange::Place& place) {
        const auto near = [&place](const std::string& path) {
            return Paths::isAtOrBelow(path, place.path) || Paths::isAtOrBelow(place.path, path);
        };
        if (std::any_of(departed_.begin(), departed_.end(), near)) return true;
        return std::any_of(apps_.begin(), apps_.end(), [&near](const App& app) {
            return near(app.bundleURL) ||
                   std::any_of(app.leftovers.begin(), app.leftovers.end(),
                               [&near](const auto& leftover) { return near(leftover.path); });
        });
    };
    for (const auto& place : change.arrived)
        if (!place.inTrash && returns(place)) rescan = true;

    std::vector<App> apps = apps_;
    std::optional<App> selected = selectedApp_;
    for (const auto& place : change.left) {
        if (place.inTrash) continue;
        std::erase_if(apps, [&](App& app) { return !follow(app, place, departed_); });
        if (selected) {
            std::vector<std::string> ignored;
            if (!follow(*selected, place, ignored)) selected.reset();
        }
    }
    const StateChanges::Batch batch(changes());
    if (apps != apps_) setApps(std::move(apps));
    // An uninstalled choice is remembered: a put back brings it back on show.
    if (selectedApp_ && !selected) departedChoice_ = selectedApp_->id();
    if (selected != selectedApp_) publish(selectedApp_, std::move(selected));
    if (!rescan) return;
    if (isScanningApps_)
        rescanWanted_ = true;
    else
        scanApps();
}

}  // namespace korvane
