#include "app/state/FolderScanState.h"

#include "app/state/DesktopActions.h"
#include "app/state/FolderFollowsDisk.h"
#include "app/state/HistoryRecords.h"
#include "app/state/NavigationState.h"
#include "app/state/PreferencesState.h"
#include "app/state/TreeNavigation.h"
#include "core/explorer/RemainderListing.h"
#include "core/system/Paths.h"

namespace korvane {

FolderScanState::FolderScanState(StateChanges& changes, Parts parts, std::string root, QObject* parent)
    : PublishedState(changes, parent), parts_(std::move(parts)), scanRoot_(std::move(root)) {
    if (!parts_.makeScanner)
        parts_.makeScanner = [] { return std::make_unique<FileTreeScanner>(FileTreeScanner::Options{}); };
}

void FolderScanState::cancelWork() {
    if (scanner_) scanner_->cancel();
}

void FolderScanState::setGeneralResult(Result result) {
    // Readers hear of the new result only once the navigation holds its tree.
    const StateChanges::Batch batch(changes());
    publish(sharedGeneralResult_, std::make_shared<const Result>(std::move(result)));
    parts_.navigation.setFolderTree(generalRoot());
}

void FolderScanState::setGeneralProgress(FileTreeScanner::Progress progress) {
    publish(generalProgress_, std::move(progress));
}

void FolderScanState::setIsScanningFolder(bool scanning) { publish(isScanningFolder_, scanning); }

void FolderScanState::setScanRoot(std::string folder) { publish(scanRoot_, std::move(folder)); }

void FolderScanState::setSearchQuery(FileSearch::Query query) { publish(searchQuery_, std::move(query)); }

void FolderScanState::setSearchSort(FileSearch::Sort sort) { publish(searchSort_, sort); }

std::vector<FileTreeScanner::Entry> FolderScanState::searchResults() const {
    if (!generalResult()) return {};
    // The core's search: a pattern that does not compile, or one that would
    // take too long on a name, matches nothing rather than stalling the window.
    return FileSearch::run(searchQuery_, generalResult()->index, searchSort_, searchLimit);
}

std::vector<FileTreeScanner::Entry> FolderScanState::largestFiles() const {
    return generalResult() ? generalResult()->largest : std::vector<FileTreeScanner::Entry>{};
}

void FolderScanState::chooseFolderToScan() {
    const auto folders = parts_.desktop.chooseFolders("Scan", "Choose a folder to scan.", false);
    if (!folders.empty()) scanFolder(folders.front());
}

void FolderScanState::scanFolder(const std::string& folder) {
    if (isScanningFolder_) return;
    const StateChanges::Batch batch(changes());
    // Settings are written before the walk begins: writing them leaves a lock
    // and a temporary copy beside the settings file for a moment, which a
    // scan of the home would count.
    parts_.preferences.setMode(Mode::general);
    parts_.preferences.markOnboarded();
    runScan(folder, false);
    setScanRoot(folder);
    setIsScanningFolder(true);
    setGeneralProgress({});
}

void FolderScanState::refreshFolderScan() {
    if (!generalResult()) return;
    if (isScanningFolder_) {
        refreshWanted_ = true;
        return;
    }
    const StorageNode& root = generalResult()->root;
    runScan(root.path.value_or(root.id), true);
    const StateChanges::Batch batch(changes());
    setIsScanningFolder(true);
    setGeneralProgress({});
}

void FolderScanState::runScan(const std::string& folder, bool refresh) {
    // The scan starts first: redrawing the window for it runs alongside. Its
    // progress and result come back queued, so after the fields set by the caller.
    std::shared_ptr<FileTreeScanner> scanner = parts_.makeScanner();
    scanner_ = scanner;
    const std::uint64_t run = runs_.begin();
    const auto walk = [this, scanner, run, folder, refresh] {
        parts_.work.run([this, scanner, run, folder, refresh] {
            FileTreeScanner::Result result =
                scanner->scan(folder, [this, run](const FileTreeScanner::Progress& progress) {
                    runs_.post(this, run, [this, progress] { setGeneralProgress(progress); });
                });
            const bool stopped = scanner->isCancelled();
            runs_.post(this, run, [this, result = std::move(result), refresh, stopped]() mutable {
                finishFolderScan(std::move(result), refresh, stopped);
            });
        });
    };
    if (!refresh) return walk();
    // The history lives in the home, and an action writes its record (and
    // drops its run's journal) after the batch that asked for this scan: a
    // walk before those writes land would count the journal and the record's
    // half-written copy.
    QMetaObject::invokeMethod(
        this,
        [this, run, walk] {
            parts_.history.read(
                this, [](const HistoryStore&) { return true; },
                [this, run, walk](bool) {
                    if (runs_.isCurrent(run) && isScanningFolder_) walk();
                });
        },
        Qt::QueuedConnection);
}

void FolderScanState::finishFolderScan(FileTreeScanner::Result result, bool refresh, bool stopped) {
    const StateChanges::Batch batch(changes());
    setIsScanningFolder(false);
    if (refresh) {
        // A refresh cut short would show less than the disk holds: the followed tree stays.
        if (!stopped) {
            setGeneralResult(std::move(result));
            keepPlace();
            reopenSummed();
        }
    } else {
        // A stopped scan still shows what it counted, unless a newer scan has begun.
        const std::string rootID = result.root.id;
        opened_.clear();
        setGeneralResult(std::move(result));
        parts_.navigation.setSelectedID(Mode::general, rootID);
        parts_.navigation.setFocusedID(Mode::general, std::nullopt);
    }
    if (std::exchange(refreshWanted_, false)) refreshFolderScan();
}

void FolderScanState::followDiskChange(const DiskChange& change) {
    if (!generalResult() || !FolderFollowsDisk::touches(*generalResult(), change)) return;
    // Readers on other threads share the current result: the change goes into a copy.
    FileTreeScanner::Result updated = *generalResult();
    const FolderFollowsDisk::Outcome outcome = FolderFollowsDisk::apply(updated, change);
    const StateChanges::Batch batch(changes());
    if (outcome.changed) {
        setGeneralResult(std::move(updated));
        keepPlace();
    }
    // A scan running now may have walked the place before the change: it is followed by another.
    if (!outcome.exact || isScanningFolder_) refreshFolderScan();
}

void FolderScanState::keepPlace() {
    const StorageNode* root = generalRoot();
    if (!root) return;
    NavigationState& navigation = parts_.navigation;
    const auto nearest = [root](const std::string& id, bool folderOnly) -> std::optional<std::string> {
        std::string path = id;
        while (Paths::isAtOrBelow(path, root->id) && path != root->id) {
            if (const StorageNode* node = root->find(path); node && (!folderOnly || !node->isLeaf()))
                return node->id;
            // A folder's remainder gives way to its folder.
            path = FileTreeScanner::isRemainderID(path) ? std::string(FileTreeScanner::remainderFolder(path))
                                                        : Paths::parent(path);
        }
        return std::nullopt;
    };
    if (const auto& selected = navigation.selectedID(Mode::general); selected && !root->find(*selected))
        navigation.setSelectedID(Mode::general, nearest(*selected, false).value_or(root->id));
    if (const auto& focused = navigation.focusedID(Mode::general); focused && !root->find(*focused))
        navigation.setFocusedID(Mode::general, nearest(*focused, true));
}

void FolderScanState::openSummed(const std::string& id, bool thenFocus) {
    const StorageNode* root = generalRoot();
    if (!root) return;
    const auto chain = root->pathTo(id);
    if (chain.empty() || !TreeNavigation::opensOnDemand(*chain.back())) return;
    if (thenFocus) focusWanted_.insert(id);
    if (!opening_.insert(id).second) return;
    const std::string folder(FileTreeScanner::remainderFolder(id));
    auto shown = RemainderListing::shownBeside(chain);
    FileTreeScanner::Options options = parts_.makeScanner()->options();
    parts_.work.run(
        this,
        [folder, shown = std::move(shown), id, options]() mutable {
            return RemainderListing::read(folder, std::move(shown), id, std::move(options));
        },
        [this, id, from = sharedGeneralResult_](std::optional<StorageNode> listing) {
            finishOpening(id, std::move(listing), from, focusWanted_.erase(id) > 0);
        });
}

void FolderScanState::finishOpening(const std::string& id, std::optional<StorageNode> listing,
                                    const std::shared_ptr<const Result>& readFrom, bool thenFocus) {
    opening_.erase(id);
    if (readFrom != sharedGeneralResult_) {
        // The tree changed while the folder was read: what the tree shows
        // beside the remainder may have changed with it.
        return openSummed(id, thenFocus);
    }
    if (!listing) {
        // The folder went, or may no longer be read: the scan looks again.
        return refreshFolderScan();
    }
    Result updated = *generalResult();
    if (!RemainderListing::graft(*updated, std::move(*listing))) return;
    const StateChanges::Batch batch(changes());
    opened_.insert(id);
    setGeneralResult(std::move(updated));
    keepPlace();
    NavigationState& navigation = parts_.navigation;
    if (thenFocus && navigation.selectedID(Mode::general) == id) navigation.focusOn(id);
    reopenSummed();
}

void FolderScanState::reopenSummed() {
    const StorageNode* root = generalRoot();
    if (!root) return;
    const auto& focused = parts_.navigation.focusedID(Mode::general);
    for (const std::string& id : opened_)
        if (const StorageNode* node = root->find(id); node && TreeNavigation::opensOnDemand(*node))
            openSummed(id, focused == id);
}

void FolderScanState::stopFolderScan() {
    if (scanner_) scanner_->cancel();
    setIsScanningFolder(false);
}

void FolderScanState::scanHomeFolder() {
    scanFolder(parts_.desktop.home());
    parts_.navigation.setGeneralSection(GeneralSection::explore);
    parts_.navigation.setRoute(Route::explore);
}

}  // namespace korvane
