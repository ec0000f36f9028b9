#include <algorithm>
#include <future>
#include <map>
#include <utility>

#include "app/state/CleanupTexts.h"
#include "app/state/DesktopActions.h"
#include "app/state/DeveloperState.h"
#include "app/state/HistoryRecords.h"
#include "app/state/NavigationState.h"
#include "app/state/PreferencesState.h"
#include "app/state/ScanFollowsDisk.h"
#include "core/safety/RestoreEngine.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

// A volume that could not be measured tells nothing.
std::optional<VolumeInfo> measured(const VolumeInfo& volume) {
    if (volume.totalCapacity < 1) return std::nullopt;
    return volume;
}

// The candidates `scan` offers now: one noted for a cut-off put back is not offered twice.
std::function<bool(const CleanupCandidate&)> offers(const ScanResult& scan) {
    std::set<UUID> offered;
    for (const CleanupCandidate& candidate : scan.allCandidates()) offered.insert(candidate.id);
    return [offered = std::move(offered)](const CleanupCandidate& candidate) {
        return offered.contains(candidate.id);
    };
}

// Every item the Trash holds of Korvane's now was named, at no more than it
// measured then: emptying removes nothing the user did not see on the button.
bool namesAllOf(const std::vector<CleanupOutcome>& named, const std::vector<CleanupOutcome>& held) {
    return std::all_of(held.begin(), held.end(), [&named](const CleanupOutcome& item) {
        return std::any_of(named.begin(), named.end(), [&item](const CleanupOutcome& shown) {
            return shown.candidateID == item.candidateID && shown.trashURL == item.trashURL &&
                   item.expectedBytes <= shown.expectedBytes;
        });
    });
}

}  // namespace

void DeveloperState::setCleanupProgress(CleanupProgress progress) {
    publish(cleanupProgress_, std::move(progress));
}

void DeveloperState::setLastReport(std::optional<CleanupReport> report) {
    publish(lastReport_, std::move(report));
}

void DeveloperState::setRestoreNotice(std::optional<std::string> notice, bool isProblem) {
    const StateChanges::Batch batch(changes());
    publish(restoreNoticeIsProblem_, notice && isProblem);
    publish(restoreNotice_, std::move(notice));
}

bool DeveloperState::canRestore() const { return !lastReportInTrash().empty(); }

void DeveloperState::setReportFollowUp(ReportFollowUp followUp) { publish(followUp_, std::move(followUp)); }

std::vector<CleanupOutcome> DeveloperState::lastReportInTrash() const {
    if (!lastReport_) return {};
    if (!followUp_.ownInTrash) return lastReport_->restorableInTrash();
    // Once measured, only what Korvane's records there still name: an item
    // another program emptied or replaced under the same name is not this run's.
    std::vector<CleanupOutcome> held;
    for (const CleanupOutcome& ours : lastReport_->restorable())
        for (const CleanupOutcome& item : *followUp_.ownInTrash)
            if (item.candidateID == ours.candidateID && item.trashURL == ours.trashURL) {
                held.push_back(item);
                break;
            }
    return held;
}

void DeveloperState::measureOwnTrash() {
    if (!lastReport_ || followUp_.demonstration) return;
    // After every history write asked for before, so a report just recorded is read.
    parts_.history.read(
        this,
        [shown = *lastReport_](const HistoryStore& history) {
            // Also when writing the history failed: the report on show is Korvane's too.
            std::vector<CleanupReport> reports{shown};
            const std::vector<CleanupReport> stored = history.reports();
            reports.insert(reports.end(), stored.begin(), stored.end());
            return RestoreEngine().inTrash(reports);
        },
        [this, card = card_](std::vector<CleanupOutcome> held) {
            if (card != card_) return;
            ReportFollowUp followUp = followUp_;
            followUp.ownInTrash = std::move(held);
            setReportFollowUp(std::move(followUp));
        });
}

void DeveloperState::showDemonstratedReport(CleanupReport report) {
    const StateChanges::Batch batch(changes());
    ++card_;
    ReportFollowUp followUp;
    followUp.ownInTrash = report.restorable();
    followUp.demonstration = true;
    setLastReport(std::move(report));
    setReportFollowUp(std::move(followUp));
}

void DeveloperState::startCleanup() {
    if (isCleaning()) return;
    auto candidates = selectedCandidates();
    if (candidates.empty()) return;
    const StateChanges::Batch batch(changes());
    setCleanupProgress(CleanupProgress(0, static_cast<std::int64_t>(candidates.size()), "", 0));
    // This run's completion screen starts without the last run's notices.
    setRestoreNotice(std::nullopt);
    setStagingNotice(std::nullopt);
    droppedCandidates_.clear();
    parts_.navigation.setRoute(Route::cleaning);

    std::shared_ptr<CleanupEngine> engine =
        parts_.makeCleanupEngine ? parts_.makeCleanupEngine() : std::make_unique<CleanupEngine>();
    // A path marked "Never touch" after the scan must survive a cleanup started from it.
    engine->setExcludedPaths(parts_.preferences.settings().excludedPaths);
    cleanupJournal_ = std::make_shared<RunJournal>(parts_.history.store().directory());
    engine->setJournal(cleanupJournal_);
    cleanupEngine_ = engine;
    isCleaning_ = true;
    const std::uint64_t run = cleanupRuns_.begin();
    // Read now: changing the choice while the run goes on must not affect it.
    CleanupEngine::DisposalRule disposal;
    if (const auto chosen = parts_.preferences.disposalOverride())
        disposal = [chosen](const CleanupCandidate&) { return *chosen; };

    auto done = std::make_shared<std::promise<CleanupReport>>();
    cleanupDone_ = done->get_future().share();
    auto stop = std::make_shared<Flag>();
    cleanupStop_ = stop;
    parts_.work.run([this, engine, run, done, stop, candidates = std::move(candidates),
                     disposal = std::move(disposal)] {
        CleanupReport report =
            engine->run(candidates, disposal, [this, run, engine, stop](const CleanupProgress& progress) {
                // The engine starts afresh when it starts: a stop asked for
                // while this run waited for a thread counts before its first item.
                if (stop->value()) engine->cancel();
                cleanupRuns_.post(this, run, [this, progress] { setCleanupProgress(progress); });
            });
        done->set_value(report);
        cleanupRuns_.post(this, run, [this, report = std::move(report)] {
            isCleaning_ = false;
            finishCleanup(report);
        });
    });
}

void DeveloperState::stopCleanupAndWait() {
    if (!isCleaning_) return;
    cleanupStop_->setValue(true);
    cleanupEngine_->cancel();
    // Within an entry's removal, or a command's stop: the engine checks between the two.
    const CleanupReport report = cleanupDone_.get();
    // The queued result is nobody's now: this one is recorded in its place.
    cleanupRuns_.begin();
    isCleaning_ = false;
    finishCleanup(report);
}

void DeveloperState::cancelCleanup() {
    // Checking cut-off work goes on behind the screen the user was on; what
    // it finds shows when it ends.
    if (isRecovering_) {
        parts_.navigation.setRoute(routeBeforeRecovery_);
        return;
    }
    if (isCleaning_) {
        cleanupStop_->setValue(true);
        cleanupEngine_->cancel();
        return;
    }
    // Nothing is running (a demonstrated progress screen): "Stop" still leaves it.
    if (parts_.navigation.route() == Route::cleaning) parts_.navigation.setRoute(Route::explore);
}

void DeveloperState::finishCleanup(const CleanupReport& report) {
    const StateChanges::Batch batch(changes());
    ++card_;
    setLastReport(report);
    setReportFollowUp({});
    parts_.history.write([report](HistoryStore& history) { history.record(report); });
    measureOwnTrash();
    parts_.navigation.setRoute(Route::finished);
    publishDiskChange(DiskChange::ofCleanup(report));
    // A stop partway through an item frees space without removing it: the
    // free space shown afterwards is the one the report measured.
    followVolume(report.volumeAfter);
    // After the report and the scan that follows it are written: a crash
    // before this leaves the journal, and the next start records the run.
    if (const auto journal = std::exchange(cleanupJournal_, nullptr); journal && !journal->fileName().empty())
        parts_.history.write([name = journal->fileName()](HistoryStore& history) {
            RunJournal::discard(history.directory(), name);
        });
}

void DeveloperState::showInterruptedRuns(const std::vector<CleanupReport>& reports) {
    if (reports.empty()) return;
    const StateChanges::Batch batch(changes());
    ++card_;
    setLastReport(reports.back());
    setReportFollowUp({});
    measureOwnTrash();
    setRestoreNotice(CleanupTexts::cutOffNotice, true);
    parts_.navigation.setRoute(Route::finished);
    followVolume(reports.back().volumeAfter);
}

void DeveloperState::recoverCutOffWork() {
    const std::string directory = parts_.history.store().directory();
    const std::size_t left =
        RunJournal::countLeft(directory) + RunJournal::countLeft(directory, PutBackJournal::namePrefix);
    if (left == 0) return;
    const StateChanges::Batch batch(changes());
    isRecovering_ = true;
    routeBeforeRecovery_ = parts_.navigation.route();
    setCleanupProgress(CleanupProgress(0, static_cast<std::int64_t>(left), CleanupTexts::checkingCutOff, 0));
    parts_.navigation.setRoute(Route::cleaning);
    // Measuring what a cut-off removal left takes as long as the folder is large.
    parts_.history.write([this](HistoryStore& history) {
        Recovery found{InterruptedRun::recoverLeft(history), {}};
        found.putBacks = PutBackJournal::recover(history, found.runs.setAside);
        // The saved scan follows it here, where History was written: a window
        // closed before the result arrives leaves them agreeing.
        if (auto saved = history.loadLastScan()) {
            std::vector<CleanupCandidate> dropped;
            bool changed = false;
            found.follow(dropped, offers(*saved), [&](const DiskChange& change) {
                changed = ScanFollowsDisk::apply(*saved, change, dropped).changed || changed;
            });
            if (changed) history.saveLastScan(*saved);
        }
        QMetaObject::invokeMethod(
            this, [this, found = std::move(found)] { finishRecovery(found); }, Qt::QueuedConnection);
    });
}

void DeveloperState::finishRecovery(const Recovery& found) {
    const StateChanges::Batch batch(changes());
    isRecovering_ = false;
    setCleanupProgress(CleanupProgress());
    // What ended before the scan that follows it was saved reaches every part now.
    const auto offered = offers(scan_.value_or(ScanResult()));
    const ScanSettings& settings = parts_.preferences.settings();
    // What is marked "Never touch" now is not offered again.
    const auto keepOut = [&](const CleanupCandidate& candidate) {
        return offered(candidate) ||
               (candidate.removal.isPath() && settings.overlapsExcluded(candidate.path));
    };
    found.follow(droppedCandidates_, keepOut,
                 [this](const DiskChange& change) { publishDiskChange(change); });
    if (!found.runs.setAside.empty())
        setErrorMessage(
            CleanupTexts::setAsideNotice(found.runs.setAside, parts_.history.store().directory()));
    if (!found.runs.recorded.empty())
        showInterruptedRuns(found.runs.recorded);
    else if (parts_.navigation.route() == Route::cleaning)
        parts_.navigation.setRoute(routeBeforeRecovery_);
    // What the scan cannot take back exactly, a new scan finds, as after a put back that ended.
    if (!found.backUnnoted() || !scan_) return;
    if (parts_.preferences.mode() == Mode::developer && parts_.navigation.route() == Route::explore)
        startScan();
    else
        startBackgroundScan();
}

void DeveloperState::Recovery::follow(std::vector<CleanupCandidate>& dropped,
                                      const std::function<bool(const CleanupCandidate&)>& keepOut,
                                      const std::function<void(const DiskChange&)>& apply) const {
    for (const CleanupReport& report : runs.ended) apply(DiskChange::ofCleanup(report));
    for (const PutBackJournal::Recovered& putBack : putBacks) {
        for (const CleanupCandidate& candidate : putBack.dropped) {
            const auto same = [&candidate](const CleanupCandidate& held) { return held.id == candidate.id; };
            if (!keepOut(candidate) && std::none_of(dropped.begin(), dropped.end(), same))
                dropped.push_back(candidate);
        }
        apply(DiskChange::ofPutBack(putBack.restored, putBack.report, VolumeInfo()));
    }
    for (const CleanupReport& report : runs.recorded) apply(DiskChange::ofCleanup(report));
}

bool DeveloperState::Recovery::backUnnoted() const {
    for (const PutBackJournal::Recovered& putBack : putBacks)
        for (const RestoreEngine::Outcome& back : putBack.restored.outcomes) {
            const auto isIt = [&back](const CleanupCandidate& noted) { return noted.id == back.candidateID; };
            if (std::none_of(putBack.dropped.begin(), putBack.dropped.end(), isIt)) return true;
        }
    return false;
}

void DeveloperState::publishDiskChange(const DiskChange& change) {
    if (change.isEmpty()) return;
    const StateChanges::Batch batch(changes());
    followDiskChange(change);
    emit diskChanged(change);
}

void DeveloperState::followDiskChange(const DiskChange& change) {
    if (isScanning_) changesDuringScan_.push_back(change);
    // Staged candidates are chosen too: what left is chosen no more.
    std::set<UUID> gone(change.removedByCommand.begin(), change.removedByCommand.end());
    for (const auto& place : change.left)
        if (place.candidateID) gone.insert(*place.candidateID);
    std::optional<ScanResult> updated = scan_;
    ScanFollowsDisk::Outcome followed;
    // The demonstration keeps its own volume.
    DiskChange shownChange = change;
    if (scanSource_ == ScanSource::demonstration) shownChange.volume.reset();
    if (updated) followed = ScanFollowsDisk::apply(*updated, shownChange, droppedCandidates_);
    gone.insert(followed.dropped.begin(), followed.dropped.end());
    // A newer scan that waits is the last scan: it follows the disk too, and is the one saved.
    const bool heldChanged = heldScan_ && ScanFollowsDisk::apply(*heldScan_, change, heldDropped_).changed;
    if (heldChanged)
        parts_.history.write([saved = *heldScan_](HistoryStore& history) { history.saveLastScan(saved); });

    auto selection = selection_;
    for (const auto& id : gone) selection.erase(id);
    if (selection != selection_) setSelection(std::move(selection));
    if (!followed.changed) return;
    setScan(updated);
    rebuildDeveloperTree();
    // A cancelled scan or the demonstration never becomes the last scan.
    if (scanSource_ == ScanSource::whole && !heldScan_)
        parts_.history.write(
            [saved = std::move(*updated)](HistoryStore& history) { history.saveLastScan(saved); });
}

TrashWork DeveloperState::trashWork() const {
    if (isRestoring_) return TrashWork::puttingBack;
    if (isEmptying_) return TrashWork::emptying;
    return TrashWork::none;
}

void DeveloperState::restoreFromTrash() {
    if (!lastReport_ || trashWork() != TrashWork::none) return;
    publish(isRestoring_, true);
    const auto stop = std::make_shared<Flag>();
    trashStop_ = stop;
    const std::uint64_t run = trashRuns_.begin();
    auto done = std::make_shared<std::promise<PutBack>>();
    const std::shared_future<PutBack> result = done->get_future().share();
    // A stop before the window closes finishes it in place, without the scan that would follow.
    finishTrashWork_ = [this, result] { finishPutBack(result.get(), false); };
    // Moving a large folder back across a file system takes a while: off the window's thread.
    // What the scans took out for the items, so that one cut off returns them too.
    std::vector<CleanupCandidate> dropped = droppedCandidates_;
    dropped.insert(dropped.end(), heldDropped_.begin(), heldDropped_.end());
    parts_.work.run([this, report = *lastReport_, stop, done, result, run, dropped = std::move(dropped),
                     directory = parts_.history.store().directory()] {
        // Written down first: a put back cut off is still marked in History
        // and offered again at the next start.
        auto journal = PutBackJournal::open(directory, report, dropped);
        RestoreEngine::Report restored = RestoreEngine().restore(report, stop.get());
        done->set_value(
            {report, std::move(restored), VolumeInfo::volumeOf(Paths::home()), std::move(journal)});
        trashRuns_.post(this, run, [this, result] {
            finishTrashWork_ = {};
            finishPutBack(result.get(), true);
        });
    });
}

void DeveloperState::finishPutBack(const PutBack& done, bool rescan) {
    const auto& [report, restored, volume, journal] = done;
    const StateChanges::Batch batch(changes());
    publish(isRestoring_, false);
    std::set<UUID> back;
    std::map<UUID, std::int64_t> cameBack;  // less than went
    for (const auto& outcome : restored.outcomes) {
        if (outcome.status != RestoreEngine::Outcome::Status::restored) continue;
        back.insert(outcome.candidateID);
        if (outcome.cameBack) cameBack.emplace(outcome.candidateID, *outcome.cameBack);
    }
    // Nothing put back, something left in the Trash, or something that came
    // back with less than went is no success: the notice says so in its look too.
    const bool shortOfAll = restored.restoredCount() == 0 || !cameBack.empty() ||
                            !CleanupTexts::notPutBack(restored, report).empty();
    setRestoreNotice(CleanupTexts::putBackNotice(restored, report), shortOfAll);
    if (lastReport_ && lastReport_->date == report.date) {
        ReportFollowUp followUp = followUp_;
        const auto now = measured(volume);
        if (now && !followUp.demonstration) followUp.volumeNow = now;
        // What came back left the Trash; the measuring below sees the rest.
        // The demonstration's made-up item is never measured: once answered
        // for, it is offered no more.
        if (followUp.demonstration)
            followUp.ownInTrash.emplace();
        else if (followUp.ownInTrash)
            std::erase_if(*followUp.ownInTrash, [&back](const CleanupOutcome& item) {
                return back.contains(item.candidateID);
            });
        setReportFollowUp(std::move(followUp));
    }
    if (!back.empty()) {
        // The history counts only what stayed removed.
        parts_.history.write([back, cameBack](HistoryStore& history) { history.markPutBack(back, cameBack); });
        if (lastReport_ && lastReport_->date == report.date) {
            CleanupReport marked = *lastReport_;
            marked.markPutBack(back, cameBack);
            setLastReport(std::move(marked));
        }
        publishDiskChange(DiskChange::ofPutBack(restored, report, volume));
    }
    if (journal)
        parts_.history.write(
            [name = *journal](HistoryStore& history) { PutBackJournal::discard(history.directory(), name); });
    measureOwnTrash();
    // Developer mode shows the developer scan: it is taken again. In general
    // mode the user stays where they are. A put back that fell short keeps
    // the card, whose notice says what stayed in the Trash; the scan then
    // waits for the user to leave it.
    if (!rescan || parts_.preferences.mode() != Mode::developer) return;
    if (shortOfAll)
        startBackgroundScan();
    else
        startScan();
}

void DeveloperState::emptyOwnTrash() {
    if (trashWork() != TrashWork::none) return;
    publish(isEmptying_, true);
    const auto stop = std::make_shared<Flag>();
    trashStop_ = stop;
    const std::uint64_t run = trashRuns_.begin();
    auto done = std::make_shared<std::promise<Emptying>>();
    const std::shared_future<Emptying> result = done->get_future().share();
    // The report on show first, also when writing the history failed. The
    // demonstration empties only its own made-up items: nothing real is
    // touched for a label that names something else.
    const bool demonstration = followUp_.demonstration;
    std::vector<CleanupReport> shown;
    if (lastReport_) shown.push_back(*lastReport_);
    // What the button names is what the user agreed to remove.
    const auto named = demonstration ? std::nullopt : followUp_.ownInTrash;
    const auto finish = [this, result, card = card_, demonstration, shown] {
        finishTrashWork_ = {};
        finishEmptying(result.get(), card, demonstration, shown);
    };
    finishTrashWork_ = finish;
    // On the history's thread, so that the report of a cleanup that has just
    // ended is already written when the reports are read.
    parts_.history.write([this, demonstration, shown, named, stop, done, finish, run](HistoryStore& history) {
        std::vector<CleanupReport> reports = shown;
        if (!demonstration) {
            const std::vector<CleanupReport> stored = history.reports();
            reports.insert(reports.end(), stored.begin(), stored.end());
        }
        const RestoreEngine engine;
        std::vector<CleanupOutcome> held = engine.inTrash(reports);
        if (named && !namesAllOf(*named, held)) {
            done->set_value({{}, std::move(held), VolumeInfo::volumeOf(Paths::home()), false, true});
        } else {
            RestoreEngine::Emptied emptied = engine.purgeHeld(held, stop.get());
            done->set_value({std::move(emptied), engine.inTrash(reports), VolumeInfo::volumeOf(Paths::home()),
                             stop->value()});
        }
        trashRuns_.post(this, run, finish);
    });
}

void DeveloperState::finishEmptying(const Emptying& done, std::uint64_t card, bool demonstration,
                                    const std::vector<CleanupReport>& shown) {
    const std::vector<CleanupOutcome>& purged = done.emptied.purged;
    const StateChanges::Batch batch(changes());
    publish(isEmptying_, false);
    if (done.changed)
        setRestoreNotice(CleanupTexts::trashChangedNotice, true);
    else
        setRestoreNotice(
            CleanupTexts::emptiedNotice(done.emptied.freedBytes(), done.stopped, done.emptied.notEmptied),
            !done.emptied.notEmptied.empty());
    // The demonstration's card follows the answer too, but keeps its own volume.
    if (card == card_ && !shown.empty()) {
        ReportFollowUp followUp = followUp_;
        followUp.ownInTrash = done.left;
        for (const auto& outcome : purged)
            for (const auto& ours : shown.front().outcomes)
                if (ours.candidateID == outcome.candidateID && ours.trashURL == outcome.trashURL)
                    followUp.emptied.insert(outcome.candidateID);
        if (const auto now = measured(done.volume); now && !demonstration) followUp.volumeNow = now;
        setReportFollowUp(std::move(followUp));
    }
    publishDiskChange(DiskChange::ofEmptying(purged, done.volume));
}

void DeveloperState::stopTrashWorkAndWait() {
    if (trashWork() == TrashWork::none || !finishTrashWork_) return;
    trashStop_->setValue(true);
    // The queued result is nobody's now: this one is applied in its place.
    trashRuns_.begin();
    std::exchange(finishTrashWork_, {})();
}

void DeveloperState::neverTouch(const StorageNode& node) {
    if (!node.path) return;
    const auto path = Paths::standardise(*node.path);
    if (!path || path->empty()) return;
    // Read before the tree that holds `node` is rebuilt.
    const std::string name = node.name;
    const bool folder = node.kind != StorageNode::Kind::item;
    const auto leaves = node.leaves();
    auto selection = selection_;
    for (const auto* leaf : leaves)
        if (leaf->candidateID) selection.erase(*leaf->candidateID);

    parts_.preferences.addExclusion(*path);
    setSelection(std::move(selection));
    // The folder scan keeps what is marked, so nothing there would show that
    // the press did anything: it is said.
    if (parts_.preferences.mode() == Mode::general) setErrorMessage(CleanupTexts::markedNeverTouchNotice(name, folder));
    if (scan_) {
        ScanResult updated = *scan_;
        dropExcludedCandidates(updated);
        setScan(std::move(updated));
        rebuildDeveloperTree();
    }
}

std::string DeveloperState::shareSummary() const { return CleanupTexts::shareSummary(scan_); }

std::string DeveloperState::completionSummary() const {
    return lastReport_ ? CleanupTexts::reportSummary(*lastReport_) : shareSummary();
}

void DeveloperState::copySummary() {
    parts_.desktop.copyText(completionSummary());
    setRestoreNotice(CleanupTexts::summaryCopied);
}

void DeveloperState::dismissReport() {
    const StateChanges::Batch batch(changes());
    // Someone who has chosen a way to clean goes back to the explorer, as a
    // launch would take them, even when nothing has been scanned this time
    // (an uninstall from the applications page needs no scan).
    parts_.navigation.setRoute(scan_ || parts_.navigation.hasFolderTree() || parts_.preferences.isOnboarded()
                                   ? Route::explore
                                   : Route::onboarding);
    ++card_;
    setLastReport(std::nullopt);
    setReportFollowUp({});
    unstage();
    setRestoreNotice(std::nullopt);
}

void DeveloperState::unstage() {
    const StateChanges::Batch batch(changes());
    if (!stagedCandidates_.empty() || selectionBeforeStaging_) {
        std::set<UUID> chosen = selection_;
        if (selectionBeforeStaging_) chosen.insert(selectionBeforeStaging_->begin(), selectionBeforeStaging_->end());
        std::set<UUID> restored;
        if (scan_)
            for (const auto& candidate : scan_->allCandidates())
                if (chosen.contains(candidate.id)) restored.insert(candidate.id);
        selectionBeforeStaging_.reset();
        setSelection(std::move(restored));
    }
    setStagedCandidates({});
    setStagingNotice(std::nullopt);
}

void DeveloperState::followSheet() {
    const bool reviewing = parts_.navigation.sheet() == Sheet::review;
    const bool wasOpen = std::exchange(reviewOpen_, reviewing);
    // Staged picks were checked as they were staged.
    if (reviewing && !wasOpen && stagedCandidates_.empty()) leaveOutChangedPicks();
    if (!wasOpen || reviewing) return;
    // A cleanup took what the review listed; the completion screen forgets it when left.
    const Route route = parts_.navigation.route();
    if (isCleaning_ || route == Route::cleaning || route == Route::finished) return;
    if (stagedCandidates_.empty() && !selectionBeforeStaging_) {
        // The line of what opening it left out is this review's only.
        setStagingNotice(std::nullopt);
        return;
    }
    unstage();
}

}  // namespace korvane
