#include "app/state/DiskChange.h"

#include <algorithm>
#include <map>

#include "core/model/ItemIdentity.h"

namespace korvane {

namespace {

// A volume that could not be measured reads as no size: it tells nothing.
std::optional<VolumeInfo> measured(const VolumeInfo& volume) {
    if (volume.totalCapacity < 1) return std::nullopt;
    return volume;
}

}  // namespace

DiskChange DiskChange::ofCleanup(const CleanupReport& report) {
    DiskChange change;
    change.action = Action::cleanup;
    for (const CleanupOutcome& outcome : report.outcomes) {
        if (!outcome.succeeded()) {
            if (outcome.removedBytes > 0)
                change.shrank.push_back({outcome.path, outcome.removedBytes, outcome.candidateID, false});
            // Left alone because another item took its place: what was listed there is out of date.
            if (outcome.message == ItemIdentity::changedMessage()) {
                change.left.push_back({outcome.path, outcome.expectedBytes, std::nullopt, false});
                change.arrived.push_back({outcome.path, 0, std::nullopt, false});
            }
            continue;
        }
        if (outcome.status == CleanupOutcome::Status::pruned || outcome.path == CleanupOutcome::commandPath) {
            change.removedByCommand.push_back(outcome.candidateID);
            continue;
        }
        change.left.push_back({outcome.path, outcome.expectedBytes, outcome.candidateID, false});
        if (outcome.status == CleanupOutcome::Status::trashed && outcome.trashURL)
            change.arrived.push_back({*outcome.trashURL, outcome.expectedBytes, outcome.candidateID, true});
    }
    change.volume = measured(report.volumeAfter);
    return change;
}

bool DiskChange::ranCommand() const {
    return !removedByCommand.empty() || std::any_of(shrank.begin(), shrank.end(), [](const Place& place) {
               return place.path == CleanupOutcome::commandPath;
           });
}

DiskChange DiskChange::ofPutBack(const RestoreEngine::Report& restored, const CleanupReport& report,
                                 const VolumeInfo& volume) {
    std::map<UUID, const CleanupOutcome*> trashed;
    for (const CleanupOutcome& outcome : report.outcomes)
        if (outcome.trashURL) trashed.emplace(outcome.candidateID, &outcome);
    DiskChange change;
    change.action = Action::putBack;
    for (const RestoreEngine::Outcome& outcome : restored.outcomes) {
        if (outcome.status != RestoreEngine::Outcome::Status::restored) continue;
        if (const auto found = trashed.find(outcome.candidateID); found != trashed.end())
            change.left.push_back({*found->second->trashURL, outcome.returnedBytes(), outcome.candidateID, true});
        change.arrived.push_back({outcome.path, outcome.returnedBytes(), outcome.candidateID, false});
    }
    change.volume = measured(volume);
    return change;
}

DiskChange DiskChange::ofEmptying(const std::vector<CleanupOutcome>& purged, const VolumeInfo& volume) {
    DiskChange change;
    change.action = Action::emptyTrash;
    for (const CleanupOutcome& outcome : purged)
        if (outcome.trashURL)
            change.left.push_back({*outcome.trashURL, outcome.expectedBytes, outcome.candidateID, true});
    change.volume = measured(volume);
    return change;
}

DiskChange DiskChange::ofFoundChanged(std::vector<Place> gone, const std::vector<Place>& reshaped) {
    DiskChange change;
    change.action = Action::foundChanged;
    change.left = std::move(gone);
    for (const Place& place : reshaped) {
        change.left.push_back(place);
        change.arrived.push_back({place.path, 0, std::nullopt, false});
    }
    return change;
}

}  // namespace korvane
