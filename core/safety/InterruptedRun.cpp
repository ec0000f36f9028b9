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
std::string partway(std::int64_t removed) {
    return "Korvane was cut off partway through this: " + ByteFormat::string(removed) +
           " of it was removed, the rest is still there";
}
}  // namespace message

// The item that was under way, as the disk shows it now.
CleanupOutcome workingOutcome(CleanupOutcome item, const RunJournal::Record& record,
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
        if (auto where = trash.findMoved(item.path, record.date)) {
            item.status = Status::trashed;
            item.trashURL = std::move(where);
        } else {
            item.status = Status::skipped;
            item.message = message::goneFromBoth;
        }
        return item;
    }
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

// A stored report of the same run: its date and its items.
bool isRecorded(const CleanupReport& report, const std::vector<CleanupReport>& stored) {
    std::multiset<UUID> items;
    for (const CleanupOutcome& outcome : report.outcomes) items.insert(outcome.candidateID);
    return std::any_of(stored.begin(), stored.end(), [&](const CleanupReport& other) {
        if (wholeSeconds(other.date) != wholeSeconds(report.date)) return false;
        std::multiset<UUID> others;
        for (const CleanupOutcome& outcome : other.outcomes) others.insert(outcome.candidateID);
        return others == items;
    });
}

}  // namespace

CleanupReport InterruptedRun::report(const RunJournal::Record& record, const Measure& measure,
                                     const VolumeInfo& volumeAfter, const FreedesktopTrash& trash) {
    const Measure& sizeOf = measure ? measure : Measure(ItemSize::measure);
    std::vector<CleanupOutcome> outcomes;
    outcomes.reserve(record.planned.size());
    for (std::size_t index = 0; index < record.planned.size(); ++index) {
        if (const auto done = record.finished.find(index); done != record.finished.end()) {
            outcomes.push_back(done->second);
        } else if (record.working == index) {
            outcomes.push_back(workingOutcome(record.planned[index], record, sizeOf, trash));
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

std::vector<CleanupReport> InterruptedRun::recover(HistoryStore& history, const Measure& measure) {
    std::vector<CleanupReport> recorded;
    const FreedesktopTrash trash;
    for (const RunJournal::Record& record : RunJournal::readAll(history.directory())) {
        CleanupReport cutOff = report(record, measure, VolumeInfo::volumeOf(Paths::home()), trash);
        if (!isRecorded(cutOff, history.reports())) {
            history.record(cutOff);
            // Told all the same; the journal stays for the next launch to record.
            const bool kept = isRecorded(cutOff, history.reports());
            recorded.push_back(std::move(cutOff));
            if (!kept) continue;
        }
        RunJournal::discard(history.directory(), record.fileName);
    }
    return recorded;
}

}  // namespace korvane
