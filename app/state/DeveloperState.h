#pragma once

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QTimer>

#include "app/state/BackgroundWork.h"
#include "app/state/DiskChange.h"
#include "app/state/PublishedState.h"
#include "app/state/ReportFollowUp.h"
#include "app/state/UserChoice.h"
#include "app/state/ViewChoices.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/model/CleanupCandidate.h"
#include "core/model/CleanupProgress.h"
#include "core/model/CleanupReport.h"
#include "core/model/ScanProgress.h"
#include "core/model/ScanResult.h"
#include "core/model/StorageNode.h"
#include "core/model/UUID.h"
#include "core/safety/CleanupEngine.h"
#include "core/safety/InterruptedRun.h"
#include "core/safety/PutBackJournal.h"
#include "core/safety/RestoreEngine.h"
#include "core/safety/RunJournal.h"
#include "core/scanners/ScannerEngine.h"
#include "core/system/Flag.h"

namespace korvane {

class Automation;
class DesktopActions;
class HistoryRecords;
class NavigationState;
class PreferencesState;

// Developer mode: the scan of the development tools' leftovers, the tree drawn
// from it, the candidates chosen for removal (also those staged from general
// mode), and the cleanup, restore and report that follow.
class DeveloperState : public PublishedState {
    Q_OBJECT
public:
    using ScannerEngineFactory = std::function<std::unique_ptr<ScannerEngine>(const ScanSettings&)>;
    using CleanupEngineFactory = std::function<std::unique_ptr<CleanupEngine>()>;

    struct Parts {
        PreferencesState& preferences;
        NavigationState& navigation;
        HistoryRecords& history;
        Automation& automation;
        const DesktopActions& desktop;
        BackgroundWork& work;
        ScannerEngineFactory makeScannerEngine;
        CleanupEngineFactory makeCleanupEngine;
    };

    DeveloperState(StateChanges& changes, Parts parts, QObject* parent = nullptr);
    // Stops the running scan and cleanup; their results are nobody's now.
    void cancelWork();

    // The settings a cleanup reads: the "Never touch" paths and the disposal.
    const PreferencesState& preferences() const { return parts_.preferences; }

    // --- The scan and its tree (DeveloperState.cpp) ---
    const std::optional<ScanResult>& scan() const { return scan_; }
    bool hasScan() const { return scan_.has_value(); }
    void setScan(std::optional<ScanResult> scan);
    const ScanProgress& scanProgress() const { return scanProgress_; }
    void setScanProgress(ScanProgress progress);
    const std::optional<std::string>& errorMessage() const { return errorMessage_; }
    void setErrorMessage(std::optional<std::string> message);
    const StorageNode& tree() const { return tree_; }
    bool showsProtected() const { return showsProtected_; }
    // Also rebuilds the tree, even when the flag does not change.
    void setShowsProtected(bool shows);
    // `tree` from `scan`; focused and selected ids that no longer name a node are cleared.
    void rebuildDeveloperTree();
    // The tree's quick wins.
    std::vector<const StorageNode*> sidebarItems() const;
    std::int64_t reclaimableBytes() const;
    // The scan the user asked for in the window: developer mode shows its
    // progress and then its result. A scan already running behind the window
    // comes forward instead. While the review is open it runs behind it, as
    // the tray's does. Does nothing while a cleanup runs.
    void startScan();
    // The tray's and the schedule's scan: it runs behind whatever the user is
    // on and changes neither the mode nor the screen. Its result replaces the
    // scan on show at once where the user is on the explorer (or onboarding)
    // with no review open; else it waits until they are back there, so that a
    // review, a cleanup and a completion screen keep exactly what the user
    // chose. Does nothing while a scan or a cleanup runs.
    void startBackgroundScan();
    // A developer scan runs, on show or not.
    bool isScanning() const { return isScanning_; }
    // A finished scan waits for the user to be back on the explorer.
    bool holdsScan() const { return heldScan_.has_value(); }
    // Only while scanning: stops the engine and returns to the explorer (or
    // onboarding without an earlier scan). What the engine finished still
    // arrives and is shown, but it is neither saved nor recorded.
    void cancelDeveloperScan();
    // At most one notification, after an applied scan.
    void postScanAlerts(const ScanResult& result);
    // Asks for folders to search for projects, adds them and scans; a folder
    // that may not be searched is left out and the alert says why.
    void chooseProjectRoots();
    // A scan read back at start-up or shown as a placeholder, with the root
    // selected. Only the saved last scan is saved again as it follows the disk.
    void showRestoredScan(ScanResult scan, bool isLastScan = true);
    // The demonstration scan, shown as a restored one that is never saved and
    // keeps its own volume: it describes no disk of this computer.
    void showDemonstrationScan(ScanResult scan);
    // Candidates that lie at, below or around a path the user marked "Never touch".
    void dropExcludedCandidates(ScanResult& scan) const;
    // Other programs write and free space between scans: the home folder's
    // volume is measured again every few seconds (in the background), so
    // that the gauge, the footer's projection and the inspector read as df
    // does now, not as it did at the scan.
    void startFollowingVolume();
    // The scan's volume becomes `volume` where it reads differently; one that
    // could not be measured, or the demonstration's, changes nothing.
    void followVolume(const VolumeInfo& volume);

    // --- The chosen candidates (DeveloperSelection.cpp) ---
    const std::set<UUID>& selection() const { return selection_; }
    void setSelection(std::set<UUID> selection);
    // The candidates of the scan that start selected; empty without a scan.
    void resetSelectionToDefaults();
    const std::vector<CleanupCandidate>& stagedCandidates() const { return stagedCandidates_; }
    void setStagedCandidates(std::vector<CleanupCandidate> candidates);
    // The scan's candidates, then the staged ones.
    std::vector<CleanupCandidate> allCandidates() const;
    std::vector<CleanupCandidate> selectedCandidates() const;
    std::int64_t selectedBytes() const;
    std::vector<UUID> candidateIDs(const StorageNode& node) const;
    bool isSelected(const StorageNode& node) const;
    void toggleSelection(const StorageNode& node);
    // Toggles the candidates of the nodes themselves, all together.
    void toggleSelection(const std::vector<StorageNode>& nodes);
    void selectAllSafe();
    // Exactly the node's candidates become the selection, and the review opens.
    void reviewCandidates(const StorageNode& node);
    // What staging did: whether the review opened, and the line on what it
    // left out and why (also why nothing is left to review).
    struct Staging {
        bool staged = false;
        std::optional<std::string> leftOut;
    };
    // Replaces the staged candidates and the selection, and opens the review.
    // A chosen path that is no longer there is left out; with nothing left
    // nothing changes.
    Staging stageForReview(std::vector<CleanupCandidate> candidates);
    // The entries that are still there and that the safety check admits, staged for review.
    Staging stageUserChoice(const std::vector<FileTreeScanner::Entry>& entries);
    // The last staging's line about what it left out, for the review, while
    // some staged candidate is still chosen; without staged candidates, what
    // opening the review left out of the developer selection.
    std::optional<std::string> stagingNotice() const;

    // --- Cleanup, restore and the report (DeveloperCleanup.cpp) ---
    const CleanupProgress& cleanupProgress() const { return cleanupProgress_; }
    void setCleanupProgress(CleanupProgress progress);
    const std::optional<CleanupReport>& lastReport() const { return lastReport_; }
    void setLastReport(std::optional<CleanupReport> report);
    const std::optional<std::string>& restoreNotice() const { return restoreNotice_; }
    // A notice that says something was refused or failed, not done.
    bool restoreNoticeIsProblem() const { return restoreNoticeIsProblem_; }
    void setRestoreNotice(std::optional<std::string> notice, bool isProblem = false);
    // Some item of the last cleanup still lies in the Trash.
    bool canRestore() const;
    const ReportFollowUp& reportFollowUp() const { return followUp_; }
    // Looks on disk: the last report's items still in the Trash (the
    // demonstration's as its report writes them).
    std::vector<CleanupOutcome> lastReportInTrash() const;
    // Measures in the background what of Korvane's lies in the Trash.
    void measureOwnTrash();
    // The demonstration's report on the completion screen.
    void showDemonstratedReport(CleanupReport report);
    // Removes the selected candidates in the background with the disposal
    // chosen now; nothing without a selection or while a cleanup runs.
    void startCleanup();
    // Also while a cleanup that a crash cut off is checked at a start.
    bool isCleaning() const { return isCleaning_ || isRecovering_; }
    // Stops the running cleanup; with none running, the progress screen
    // returns to the explorer.
    void cancelCleanup();
    // Before the window closes or the program quits: stops the running
    // cleanup at its next safe point and waits for it, then records what it
    // did and saves the scan as it now is, as a run that ended by itself would.
    void stopCleanupAndWait();
    void finishCleanup(const CleanupReport& report);
    // Cleanups a crash cut off before they were recorded, recorded at this
    // start (oldest first), once the scan has followed what each did: the
    // newest shows on the completion screen with a notice that says so.
    void showInterruptedRuns(const std::vector<CleanupReport>& reports);
    // At a start, when work was cut off (RunJournal, PutBackJournal): the
    // cleaning screen says so at once while the journals are read on the
    // history's thread; then what each did reaches every part (the scan
    // restored before it too, and the saved one at once, also when the
    // window closes first), a cut-off cleanup shows as above, and records
    // that could not be used are named.
    void recoverCutOffWork();
    // Puts the last cleanup's trashed items back (in the background). In
    // developer mode a scan follows; in general mode the user stays where
    // they are, and every part that holds the items follows the change.
    void restoreFromTrash();
    // Removes for good what Korvane's recorded cleanups left in the Trash.
    // Neither this nor a put back starts while the other runs.
    void emptyOwnTrash();
    TrashWork trashWork() const;
    // Before the window closes or the program quits: stops a running put
    // back or emptying at its next safe point (between items, between two
    // entries of a large folder), waits for it and applies what it did.
    void stopTrashWorkAndWait();
    // Keeps the node's path out of this and every later scan and cleanup.
    void neverTouch(const StorageNode& node);
    std::string shareSummary() const;
    // What "Copy summary" copies: the report on show, else the scan's summary.
    std::string completionSummary() const;
    void copySummary();
    // Leaves the completion screen and forgets the staged candidates.
    void dismissReport();

signals:
    void scanChanged();  // scan or tree
    void scanProgressChanged();
    void selectionChanged();
    // A cleanup, a put back or an emptied Trash changed the disk. Emitted
    // inside the batch of the change, after this part followed it, so that
    // every part that holds the items follows it in the same step.
    void diskChanged(const DiskChange& change);

private:
    void runScan();
    void applyScanResult(const ScanResult& result, bool cancelled);
    // The user is on the explorer (or onboarding) with no review open.
    bool mayReplaceScan() const;
    // A finished scan becomes the one on show without moving the user.
    void showScanInPlace(ScanResult result, std::vector<CleanupCandidate> dropped);
    void applyHeldScan();
    // Where the scan on show comes from. Only a whole scan of this computer
    // is saved as the last scan as it follows the disk; a cancelled one is
    // not; the demonstration is neither saved nor given this computer's volume.
    enum class ScanSource { whole, partial, demonstration };
    // A scan read back or made up, with the root selected.
    void showStartingScan(ScanResult scan, ScanSource source);
    // This part follows the change first, then every other part hears of it.
    void publishDiskChange(const DiskChange& change);
    // The scan follows what an action did on disk: candidates that left go
    // (from the selection too) and each category's footprint falls by what
    // left it; what a put back returned comes back. Saved as the last scan.
    void followDiskChange(const DiskChange& change);
    // `reshaped` are picks that another kind of thing or another item
    // replaced; `changed` names those of them that are another item.
    Staging stage(std::vector<CleanupCandidate> candidates, std::vector<UserChoice::Refusal> refused,
                  const std::vector<FileTreeScanner::Entry>& reshaped = {},
                  const std::vector<std::string>& changed = {});
    // A review of staged items closed without a cleanup: they are nobody's
    // choice now, and the developer selection they stood in for comes back.
    void followSheet();
    // The staged items leave the selection; what was chosen in the developer
    // scan before them, or since, stays chosen as far as it is still there.
    void unstage();
    void setStagingNotice(std::optional<std::string> notice);
    // As the review of the developer selection opens: chosen candidates that
    // are gone, or that another item (or a link) replaced since the scan,
    // leave the selection and the scan, and the review's line says so.
    void leaveOutChangedPicks();
    void setReportFollowUp(ReportFollowUp followUp);
    // What a put back or an emptying did, as its worker hands it back.
    struct PutBack {
        CleanupReport report;
        RestoreEngine::Report restored;
        VolumeInfo volume;
        // Where the put back is written down until History marks what came back.
        std::optional<std::string> journal;
    };
    // What the journals of cut-off work said, read at a start.
    struct Recovery {
        InterruptedRun::Recovery runs;
        std::vector<PutBackJournal::Recovered> putBacks;

        // Hands `apply` what each did, in order, as an action's outcome. The
        // candidates noted for a put back join `dropped` first, unless
        // `dropped` holds them or `keepOut` says the scan may not take them
        // (again): the scan takes them back as after a put back that ended.
        void follow(std::vector<CleanupCandidate>& dropped,
                    const std::function<bool(const CleanupCandidate&)>& keepOut,
                    const std::function<void(const DiskChange&)>& apply) const;
        // Something is back that no candidate was noted for: whether the scan offered it is unknown.
        bool backUnnoted() const;
    };
    void finishRecovery(const Recovery& found);
    struct Emptying {
        RestoreEngine::Emptied emptied;
        std::vector<CleanupOutcome> left;  // Korvane's items still in the Trash after it
        VolumeInfo volume;
        bool stopped = false;
        // More lay in the Trash than "Empty" named: nothing was touched.
        bool changed = false;
    };
    // `rescan`: developer mode takes its scan again (not while the window closes).
    void finishPutBack(const PutBack& done, bool rescan);
    void finishEmptying(const Emptying& done, std::uint64_t card, bool demonstration,
                        const std::vector<CleanupReport>& shown);

    Parts parts_;
    std::optional<ScanResult> scan_;
    ScanProgress scanProgress_ = ScanProgress::idle();
    std::optional<std::string> errorMessage_;
    StorageNode tree_;
    bool showsProtected_ = true;
    std::set<UUID> selection_;
    std::vector<CleanupCandidate> stagedCandidates_;
    CleanupProgress cleanupProgress_;
    std::optional<CleanupReport> lastReport_;
    std::optional<std::string> restoreNotice_;
    bool restoreNoticeIsProblem_ = false;
    std::optional<std::string> stagingNotice_;
    // The developer selection from before general-mode items were staged.
    std::optional<std::set<UUID>> selectionBeforeStaging_;
    bool reviewOpen_ = false;
    ReportFollowUp followUp_;
    // Counts completion cards: what is learnt for one card never reaches the next.
    std::uint64_t card_ = 0;
    // What the last cleanup took out of the scan, so a put back can return it
    // exactly; forgotten when a new scan replaces this one.
    std::vector<CleanupCandidate> droppedCandidates_;
    ScanSource scanSource_ = ScanSource::whole;

    // Engines are shared with the worker running them, so replacing one never
    // pulls it from under a run that is still ending.
    std::shared_ptr<ScannerEngine> scannerEngine_;
    std::shared_ptr<CleanupEngine> cleanupEngine_;
    RunCounter scanRuns_;
    bool scanRunCancelled_ = false;
    bool isScanning_ = false;
    // The running scan shows on the scanning screen.
    bool scanShown_ = false;
    // A scan that finished while the user was deciding, following the disk
    // as the one on show does, with what that following took out of it.
    std::optional<ScanResult> heldScan_;
    std::vector<CleanupCandidate> heldDropped_;
    // What actions changed on disk while the running scan measured it: its
    // result may have seen the disk before them.
    std::vector<DiskChange> changesDuringScan_;
    RunCounter cleanupRuns_;
    bool isCleaning_ = false;
    // Cut-off work is being checked; the screen to go back to when none of it is shown.
    bool isRecovering_ = false;
    Route routeBeforeRecovery_ = Route::explore;
    // The running cleanup's report, for a close that cannot wait for the queued one.
    std::shared_future<CleanupReport> cleanupDone_;
    // Where the running cleanup is written down until its report is recorded.
    std::shared_ptr<RunJournal> cleanupJournal_;
    // Set by a stop; read by the run once its engine has started.
    std::shared_ptr<Flag> cleanupStop_;
    bool isRestoring_ = false;
    bool isEmptying_ = false;
    RunCounter trashRuns_;
    // Set by a stop; read by the running put back or emptying between its steps.
    std::shared_ptr<Flag> trashStop_;
    // Waits for the running put back or emptying and applies what it did.
    std::function<void()> finishTrashWork_;
    QTimer volumeTimer_;
    bool isMeasuringVolume_ = false;
};

}  // namespace korvane
