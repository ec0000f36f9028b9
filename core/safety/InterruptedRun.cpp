#include "core/safety/InterruptedRun.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <set>

#include "core/safety/HistoryStore.h"
#include "core/system/ItemSize.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

using Clock = std::chrono::system_clock;
using Status = CleanupOutcome::Status;

namespace message {
constexpr const char* notReached = "Korvane was cut off before this item was reached";
constexpr const char* noneRemoved = "Korvane was cut off before any of this was removed";
constexpr const char* commandCutOff =
    "Korvane was cut off while the command ran; some of what it removes may already be gone";
constexpr const char* goneFromBoth =
    "Korvane was cut off as this went to the Trash; it is neither here nor in the Trash now";
constexpr const char* unproven =
    "This left for the Trash, but Korvane cannot tell which item there is this one, so it offers none";
std::string partway(std::int64_t removed) {
    return "Korvane was cut off partway through this: " + ByteFormat::string(removed) +
           " of it was removed, the rest is still there";
}
}  // namespace message

// Korvane's in the Trash only while that record names the item's path and
// what lies there is what left it: anything else may be the user's own.
// One no longer there went, and is never touched (its record is gone).
CleanupOutcome provenInTrash(CleanupOutcome item, const RunJournal::Record& record, std::size_t index,
                             const FreedesktopTrash& trash) {
    if (item.status != Status::trashed && !item.trashURL) return item;
    const auto moved = record.moved.find(index);
    struct stat there {};
    if (moved != record.moved.end() && item.trashURL && Paths::isValid(*item.trashURL)) {
        if (::lstat(item.trashURL->c_str(), &there) != 0) {
            if (errno == ENOENT) return item;
        } else if (static_cast<std::uint64_t>(there.st_dev) == moved->second.device &&
                   static_cast<std::uint64_t>(there.st_ino) == moved->second.inode &&
                   trash.holds(*item.trashURL, item.path)) {
            return item;
        }
    }
    item.status = Status::skipped;
    item.trashURL.reset();
    item.putBack = false;
    item.putBackBytes.reset();
    item.message = message::unproven;
    return item;
}

// The item that was under way, as the disk shows it now.
CleanupOutcome workingOutcome(CleanupOutcome item, const RunJournal::Record& record, std::size_t index,
                              const InterruptedRun::Measure& measure, const FreedesktopTrash& trash) {
    item.message.reset();
    if (item.path == CleanupOutcome::commandPath) {
        item.status = Status::skipped;
        item.message = message::commandCutOff;
        return item;
    }
    struct stat st {};
    const bool valid = Paths::isValid(item.path);
    if (valid && ::lstat(item.path.c_str(), &st) != 0 && errno == ENOENT) {
        // Gone: the removal got to its end, or the move into the Trash
        // happened and its record there says where the item is.
        item.status = Status::deleted;
        if (record.workingDisposal != Disposal::trash) return item;
        item.status = Status::skipped;
        const auto moved = record.moved.find(index);
        if (moved == record.moved.end()) {
            item.message = message::unproven;
        } else if (auto where =
                       trash.findMoved(item.path, record.date, moved->second.device, moved->second.inode)) {
            item.status = Status::trashed;
            item.trashURL = std::move(where);
        } else {
            item.message = message::goneFromBoth;
        }
        return item;
    }
    // Still there: a record written for its move has no item to stand for.
    if (valid && record.workingDisposal == Disposal::trash) trash.forgetUnmoved(item.path, record.date);
    // Still there: what it lost since it was listed is what went, as the
    // scan that listed it counts it; the journal's figure when it cannot be measured.
    std::int64_t removed = record.workingRemoved;
    if (const auto now = valid ? measure(item.path) : std::nullopt)
        removed = std::max<std::int64_t>(item.expectedBytes - *now, 0);
    item.status = Status::skipped;
    item.removedBytes = std::clamp<std::int64_t>(removed, 0, std::max<std::int64_t>(item.expectedBytes, 0));
    item.message = item.removedBytes > 0 ? message::partway(item.removedBytes) : message::noneRemoved;
    return item;
}

std::chrono::system_clock::time_point wholeSeconds(Clock::time_point date) {
    return std::chrono::floor<std::chrono::seconds>(date);
}

// The stored report of the same run: its date and its items.
std::optional<CleanupReport> recorded(const CleanupReport& report, const std::vector<CleanupReport>& stored) {
    std::multiset<UUID> items;
    for (const CleanupOutcome& outcome : report.outcomes) items.insert(outcome.candidateID);
    const auto found = std::find_if(stored.begin(), stored.end(), [&](const CleanupReport& other) {
        if (wholeSeconds(other.date) != wholeSeconds(report.date)) return false;
        std::multiset<UUID> others;
        for (const CleanupOutcome& outcome : other.outcomes) others.insert(outcome.candidateID);
        return others == items;
    });
    if (found == stored.end()) return std::nullopt;
    return *found;
}

}  // namespace

CleanupReport InterruptedRun::report(const RunJournal::Record& record, const Measure& measure,
                                     const VolumeInfo& volumeAfter, const FreedesktopTrash& trash) {
    const Measure& sizeOf = measure ? measure : Measure(ItemSize::measure);
    std::vector<CleanupOutcome> outcomes;
    outcomes.reserve(record.planned.size());
    for (std::size_t index = 0; index < record.planned.size(); ++index) {
        if (const auto done = record.finished.find(index); done != record.finished.end()) {
            outcomes.push_back(provenInTrash(done->second, record, index, trash));
        } else if (record.working == index) {
            outcomes.push_back(workingOutcome(record.planned[index], record, index, sizeOf, trash));
        } else {
            CleanupOutcome item = record.planned[index];
            item.status = Status::skipped;
            item.message = message::notReached;
            outcomes.push_back(std::move(item));
        }
    }
    const double duration =
        std::max(std::chrono::duration<double>(record.lastStep - record.date).count(), 0.0);
    CleanupReport result(record.date, duration, std::move(outcomes), record.volumeBefore, volumeAfter);
    result.stopped = true;
    return result;
}

InterruptedRun::Recovery InterruptedRun::recoverLeft(HistoryStore& history, const Measure& measure) {
    Recovery recovery;
    const FreedesktopTrash trash;
    RunJournal::Left left = RunJournal::readLeft(history.directory());
    recovery.setAside = std::move(left.setAside);
    for (const RunJournal::Record& record : left.records) {
        CleanupReport cutOff = report(record, measure, VolumeInfo::volumeOf(Paths::home()), trash);
        if (auto stored = recorded(cutOff, history.reports())) {
            // The end came after the report was recorded, perhaps before the
            // scan that follows it was saved.
            recovery.ended.push_back(std::move(*stored));
        } else {
            history.record(cutOff);
            // Told all the same; the journal stays for the next launch to record.
            const bool kept = recorded(cutOff, history.reports()).has_value();
            recovery.recorded.push_back(std::move(cutOff));
            if (!kept) continue;
        }
        RunJournal::discard(history.directory(), record.fileName);
    }
    return recovery;
}

std::vector<CleanupReport> InterruptedRun::recover(HistoryStore& history, const Measure& measure) {
    return recoverLeft(history, measure).recorded;
}

}  // namespace korvane
