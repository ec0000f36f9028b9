#include "app/platform/Desktop.h"
#include "app/platform/Settings.h"
#include "app/state/AppState.h"
#include "app/state/UserChoice.h"

namespace korvane {

const StorageNode* AppState::generalRoot() const { return generalResult() ? &generalResult()->root : nullptr; }

std::vector<FileTreeScanner::Entry> AppState::searchResults() const {
    if (!generalResult()) return {};
    // The core's search: a pattern that does not compile, or one that would
    // take too long on a name, matches nothing rather than stalling the window.
    return FileSearch::run(searchQuery_, generalResult()->index, searchSort_, searchLimit);
}

std::vector<FileTreeScanner::Entry> AppState::largestFiles() const {
    return generalResult() ? generalResult()->largest : std::vector<FileTreeScanner::Entry>{};
}

void AppState::chooseFolderToScan() {
    if (!desktop_) return;
    const auto folders = desktop_->chooseFolders({home_, "Scan", "Choose a folder to scan.", false});
    if (!folders.empty()) scanFolder(folders.front());
}

void AppState::scanFolder(const std::string& folder) {
    if (isScanningFolder_) return;
    // The scan starts first: redrawing the window for it runs alongside. Its
    // progress and result come back queued, so after the fields below.
    auto scanner = std::make_shared<FileTreeScanner>(FileTreeScanner::Options{});
    folderScanner_ = scanner;
    const std::uint64_t run = ++folderRun_;
    runInBackground(
        [this, scanner, run, folder] {
            return scanner->scan(folder, [this, run](const FileTreeScanner::Progress& progress) {
                QMetaObject::invokeMethod(
                    this,
                    [this, run, progress] {
                        if (run == folderRun_) setGeneralProgress(progress);
                    },
                    Qt::QueuedConnection);
            });
        },
        [this, run](FileTreeScanner::Result result) { finishFolderScan(run, std::move(result)); });

    const ChangeBatch batch(*this);
    setMode(Mode::general);
    setScanRoot(folder);
    setIsScanningFolder(true);
    setGeneralProgress({});
    defaults_.setValue(onboardingKey, "true");
}

void AppState::finishFolderScan(std::uint64_t run, FileTreeScanner::Result result) {
    // A stopped scan still shows what it counted, unless a newer scan has begun.
    if (run != folderRun_) return;
    const std::string rootID = result.root.id;
    const ChangeBatch batch(*this);
    setGeneralResult(std::move(result));
    setIsScanningFolder(false);
    setSelectedID(rootID);
    setFocusedID(std::nullopt);
}

void AppState::stopFolderScan() {
    if (folderScanner_) folderScanner_->cancel();
    setIsScanningFolder(false);
}

void AppState::scanApps() {
    if (isScanningApps_) return;
    setIsScanningApps(true);
    std::shared_ptr<AppUninstaller> uninstaller =
        makeUninstaller_ ? makeUninstaller_() : std::make_unique<AppUninstaller>();
    uninstaller_ = uninstaller;
    runInBackground([this, uninstaller] {
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

void AppState::uninstall(const AppUninstaller::InstalledApp& app, bool includeBundle) {
    stageForReview(AppUninstaller::candidates(app, includeBundle));
}

void AppState::stageUserChoice(const std::vector<FileTreeScanner::Entry>& entries) {
    stageForReview(UserChoice::candidates(entries));
}

void AppState::stageForReview(std::vector<CleanupCandidate> candidates) {
    if (candidates.empty()) return;
    std::set<UUID> ids;
    for (const auto& candidate : candidates) ids.insert(candidate.id);
    setStagedCandidates(std::move(candidates));
    setSelection(std::move(ids));
    setSheet(Sheet::review);
}

}  // namespace korvane
