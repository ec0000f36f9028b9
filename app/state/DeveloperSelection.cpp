#include <algorithm>

#include "app/state/CleanupTexts.h"
#include "app/state/DeveloperState.h"
#include "app/state/NavigationState.h"
#include "app/state/PreferencesState.h"
#include "app/state/TreeNavigation.h"
#include "app/state/UserChoice.h"
#include "core/model/SizeSum.h"

namespace korvane {

namespace {

// Chosen candidates that are no longer what was listed, as they are sorted out.
struct NoLongerListed {
    std::vector<std::string> gone;
    std::vector<DiskChange::Place> gonePlaces;
    // Another item, or a link, stands at the path now.
    std::vector<std::string> changed;
    std::vector<DiskChange::Place> reshapedPlaces;

    // True when the candidate is gone or replaced; it is then noted.
    bool take(const CleanupCandidate& candidate) {
        const DiskChange::Place place{candidate.path, candidate.size, candidate.id, false};
        if (UserChoice::isGone(candidate)) {
            gone.push_back(candidate.title);
            gonePlaces.push_back(place);
            return true;
        }
        if (UserChoice::isReplaced(candidate)) {
            changed.push_back(candidate.title);
            reshapedPlaces.push_back(place);
            return true;
        }
        return false;
    }
};

}  // namespace

void DeveloperState::setSelection(std::set<UUID> selection) {
    publish(selection_, std::move(selection));
    emit selectionChanged();
}

void DeveloperState::resetSelectionToDefaults() {
    std::set<UUID> chosen;
    if (scan_)
        for (const auto& candidate : scan_->allCandidates())
            if (candidate.isSelectedByDefault) chosen.insert(candidate.id);
    setSelection(std::move(chosen));
}

void DeveloperState::setStagedCandidates(std::vector<CleanupCandidate> candidates) {
    publish(stagedCandidates_, std::move(candidates));
}

std::vector<CleanupCandidate> DeveloperState::allCandidates() const {
    return TreeNavigation::allCandidates(scan_, stagedCandidates_);
}

std::vector<CleanupCandidate> DeveloperState::selectedCandidates() const {
    return TreeNavigation::selectedCandidates(allCandidates(), selection_);
}

std::int64_t DeveloperState::selectedBytes() const {
    SizeSum total;
    for (const auto& candidate : selectedCandidates()) total += candidate.size;
    return total.total();
}

std::vector<UUID> DeveloperState::candidateIDs(const StorageNode& node) const {
    return TreeNavigation::candidateIDs(node);
}

bool DeveloperState::isSelected(const StorageNode& node) const {
    return TreeNavigation::isSelected(node, selection_);
}

void DeveloperState::toggleSelection(const StorageNode& node) {
    auto selection = selection_;
    if (TreeNavigation::toggle(selection, TreeNavigation::candidateIDs(node)))
        setSelection(std::move(selection));
}

void DeveloperState::toggleSelection(const std::vector<StorageNode>& nodes) {
    auto selection = selection_;
    if (TreeNavigation::toggle(selection, TreeNavigation::candidateIDs(nodes)))
        setSelection(std::move(selection));
}

void DeveloperState::selectAllSafe() {
    // What the canvas shows, not what the filter or the drill hides.
    const StorageNode* shown = parts_.navigation.developerCanvasNode();
    if (!shown) return;
    auto selection = selection_;
    for (const auto& id : TreeNavigation::safeCandidateIDs(*shown)) selection.insert(id);
    setSelection(std::move(selection));
}

void DeveloperState::reviewCandidates(const StorageNode& node) {
    const auto ids = TreeNavigation::candidateIDs(node);
    if (ids.empty()) return;
    setSelection(std::set<UUID>(ids.begin(), ids.end()));
    parts_.navigation.setSheet(Sheet::review);
}

DeveloperState::Staging DeveloperState::stageForReview(std::vector<CleanupCandidate> candidates) {
    return stage(std::move(candidates), {});
}

DeveloperState::Staging DeveloperState::stageUserChoice(const std::vector<FileTreeScanner::Entry>& entries) {
    UserChoice::Sorted sorted = UserChoice::sort(entries);
    return stage(std::move(sorted.admitted), std::move(sorted.refused), sorted.reshaped, sorted.changed);
}

DeveloperState::Staging DeveloperState::stage(std::vector<CleanupCandidate> candidates,
                                              std::vector<UserChoice::Refusal> refused,
                                              const std::vector<FileTreeScanner::Entry>& reshaped,
                                              const std::vector<std::string>& changed) {
    // What was chosen may have gone since the list was drawn: a cleanup, or
    // another program. The review offers only what is there.
    // Nor what the user marked "Never touch": the cleanup would only skip it.
    NoLongerListed left;
    left.changed = changed;
    for (const auto& entry : reshaped) left.reshapedPlaces.push_back({entry.path, entry.size, std::nullopt, false});
    std::vector<CleanupTexts::NeverTouched> neverTouched;
    const ScanSettings& settings = parts_.preferences.settings();
    std::erase_if(candidates, [&](const CleanupCandidate& candidate) {
        if (left.take(candidate)) return true;
        if (candidate.removal.isPath() && settings.overlapsExcluded(candidate.path)) {
            neverTouched.push_back({candidate.title, !settings.isExcluded(candidate.path)});
            return true;
        }
        return false;
    });
    // Every screen that still lists what went, or what stands there now in
    // another shape, follows the disk as it found it.
    publishDiskChange(DiskChange::ofFoundChanged(std::move(left.gonePlaces), left.reshapedPlaces));
    std::optional<std::string> notice =
        CleanupTexts::leftOutNotice(left.gone, neverTouched, refused, left.changed);
    if (candidates.empty()) return {false, notice ? notice : std::string(CleanupTexts::nothingChosen)};
    const StateChanges::Batch batch(changes());
    // The developer selection waits while staged items are chosen, and comes
    // back when the completion screen is left.
    if (!selectionBeforeStaging_) selectionBeforeStaging_ = selection_;
    std::set<UUID> ids;
    for (const auto& candidate : candidates) ids.insert(candidate.id);
    setStagingNotice(notice);
    setStagedCandidates(std::move(candidates));
    setSelection(std::move(ids));
    parts_.navigation.setSheet(Sheet::review);
    return {true, notice};
}

void DeveloperState::leaveOutChangedPicks() {
    // The demonstration's items name no real place.
    if (scanSource_ == ScanSource::demonstration) return;
    NoLongerListed left;
    for (const CleanupCandidate& candidate : selectedCandidates()) left.take(candidate);
    // The line first: the review redraws as they leave the selection.
    setStagingNotice(CleanupTexts::leftOutNotice(left.gone, {}, {}, left.changed));
    // They leave the scan and the selection with it.
    publishDiskChange(DiskChange::ofFoundChanged(std::move(left.gonePlaces), left.reshapedPlaces));
}

std::optional<std::string> DeveloperState::stagingNotice() const {
    // The developer selection's own check, made as the review opened.
    if (stagedCandidates_.empty()) return stagingNotice_;
    const bool chosen =
        std::any_of(stagedCandidates_.begin(), stagedCandidates_.end(),
                    [this](const CleanupCandidate& candidate) { return selection_.contains(candidate.id); });
    return chosen ? stagingNotice_ : std::nullopt;
}

void DeveloperState::setStagingNotice(std::optional<std::string> notice) {
    publish(stagingNotice_, std::move(notice));
}

}  // namespace korvane
