#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/state/BackgroundWork.h"
#include "app/state/DiskChange.h"
#include "app/state/PublishedState.h"
#include "core/explorer/FileSearch.h"
#include "core/explorer/FileTreeScanner.h"

namespace korvane {

class DesktopActions;
class HistoryRecords;
class NavigationState;
class PreferencesState;

// General mode's folder scan: the tree and index it gives, the search over
// that index and the largest files in it.
class FolderScanState : public PublishedState {
    Q_OBJECT
public:
    using FolderScannerFactory = std::function<std::unique_ptr<FileTreeScanner>()>;
    using Result = std::optional<FileTreeScanner::Result>;

    static constexpr int searchLimit = 500;

    struct Parts {
        PreferencesState& preferences;
        NavigationState& navigation;
        const DesktopActions& desktop;
        HistoryRecords& history;
        BackgroundWork& work;
        FolderScannerFactory makeScanner;  // empty: the default options
    };

    // `root` is the folder shown before any scan (the home folder).
    FolderScanState(StateChanges& changes, Parts parts, std::string root, QObject* parent = nullptr);
    // Stops the running scan; its result is nobody's now.
    void cancelWork();

    const Result& generalResult() const { return *sharedGeneralResult_; }
    // The same result, shared with work that reads it off the UI thread (the
    // search): a newer scan replaces the state's copy without pulling it from
    // under a search still running over it.
    std::shared_ptr<const Result> sharedGeneralResult() const { return sharedGeneralResult_; }
    void setGeneralResult(Result result);
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

    // The last folder scan's tree; nullptr without one.
    const StorageNode* generalRoot() const { return generalResult() ? &generalResult()->root : nullptr; }
    // At most searchLimit entries of the scan's index.
    std::vector<FileTreeScanner::Entry> searchResults() const;
    std::vector<FileTreeScanner::Entry> largestFiles() const;

    void chooseFolderToScan();
    // One folder scan at a time: a call while one runs is ignored.
    void scanFolder(const std::string& folder);
    // The scan ends at once for the window; what it counted still arrives
    // unless a newer scan has started since.
    void stopFolderScan();
    // The home folder, on the explorer.
    void scanHomeFolder();

    // The scan follows what an action did on disk: what left leaves the
    // tree, the largest files and the search index at once, with the sizes
    // above it; what cannot follow exactly is scanned again, quietly, where
    // the user is (the mode, the page and the place in the tree stay).
    void followDiskChange(const DiskChange& change);
    // Scans the last scanned folder again and keeps the user's place; after
    // the running scan when one runs. Stopped, it changes nothing.
    void refreshFolderScan();
    // Reads what the tree's remainder `id` sums from the disk, in the
    // background, and shows it in the remainder's place; with `thenFocus`
    // the canvas then goes into it, if it is still the node in the
    // inspector. A remainder shown opened is read again after a rescan.
    void openSummed(const std::string& id, bool thenFocus);

private:
    void runScan(const std::string& folder, bool refresh);
    void finishFolderScan(FileTreeScanner::Result result, bool refresh, bool stopped);
    // Focused and selected folders the tree no longer holds give way to the
    // nearest folder above them that it holds.
    void keepPlace();
    void finishOpening(const std::string& id, std::optional<StorageNode> listing,
                       const std::shared_ptr<const Result>& readFrom, bool thenFocus);
    // Opens again the remainders shown opened before the tree was replaced.
    void reopenSummed();

    Parts parts_;
    // Never null; held by pointer so that readers on other threads can share it.
    std::shared_ptr<const Result> sharedGeneralResult_ = std::make_shared<const Result>();
    FileTreeScanner::Progress generalProgress_;
    bool isScanningFolder_ = false;
    std::string scanRoot_;
    FileSearch::Query searchQuery_;
    FileSearch::Sort searchSort_ = FileSearch::Sort::size;
    std::shared_ptr<FileTreeScanner> scanner_;
    RunCounter runs_;
    bool refreshWanted_ = false;
    std::set<std::string> opening_;  // remainders being read
    std::set<std::string> opened_;   // remainders shown opened in this folder's scans
    std::set<std::string> focusWanted_;  // of those being read, to go into once read
};

}  // namespace korvane
