#include "core/model/CleanupReport.h"

#include <sys/stat.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "core/model/SizeSum.h"
#include "core/system/Paths.h"
#include "core/text/Json.h"

namespace korvane {

namespace {

using Status = CleanupOutcome::Status;

template <class Keep>
std::vector<CleanupOutcome> select(const std::vector<CleanupOutcome>& outcomes, Keep keep) {
    std::vector<CleanupOutcome> result;
    for (const auto& outcome : outcomes)
        if (keep(outcome)) result.push_back(outcome);
    return result;
}

bool isRestorable(const CleanupOutcome& outcome) {
    return outcome.status == Status::trashed && outcome.trashURL.has_value();
}

// Without following a final symbolic link.
bool isInTrash(const CleanupOutcome& outcome) {
    if (!isRestorable(outcome)) return false;
    const auto& path = *outcome.trashURL;
    if (path.empty() || !Paths::isValid(path)) return false;
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

std::int64_t CleanupReport::freedBytes() const {
    SizeSum sum;
    for (const auto& outcome : outcomes)
        sum += outcome.succeeded() ? outcome.expectedBytes : outcome.removedBytes;
    return sum.total();
}

std::int64_t CleanupReport::keptFreedBytes() const {
    SizeSum sum;
    for (const auto& outcome : outcomes) {
        const std::int64_t freed = outcome.succeeded() ? outcome.expectedBytes : outcome.removedBytes;
        // What did not come back of an item put back stayed removed.
        sum += std::max<std::int64_t>(freed, 0) - outcome.returnedBytes();
    }
    return sum.total();
}

bool CleanupReport::wasPutBack() const {
    return std::any_of(outcomes.begin(), outcomes.end(), [](const CleanupOutcome& o) { return o.putBack; });
}

void CleanupReport::markPutBack(const std::set<UUID>& candidateIDs, const std::map<UUID, std::int64_t>& cameBack) {
    for (CleanupOutcome& outcome : outcomes) {
        if (outcome.status != Status::trashed || !candidateIDs.contains(outcome.candidateID)) continue;
        outcome.putBack = true;
        if (const auto found = cameBack.find(outcome.candidateID); found != cameBack.end())
            outcome.putBackBytes = found->second;
    }
}

std::int64_t CleanupReport::trashedBytes() const {
    SizeSum sum;
    for (const auto& outcome : outcomes)
        if (outcome.status == Status::trashed) sum += outcome.expectedBytes;
    return sum.total();
}

std::vector<CleanupOutcome> CleanupReport::failures() const {
    return select(outcomes, [](const CleanupOutcome& o) { return o.status == Status::failed; });
}

std::vector<CleanupOutcome> CleanupReport::skippedOutcomes() const {
    return select(outcomes, [](const CleanupOutcome& o) { return o.status == Status::skipped; });
}

std::vector<CleanupOutcome> CleanupReport::restorable() const { return select(outcomes, isRestorable); }

bool CleanupReport::hasRestorableItemsInTrash() const {
    return std::any_of(outcomes.begin(), outcomes.end(), isInTrash);
}

std::vector<CleanupOutcome> CleanupReport::restorableInTrash() const { return select(outcomes, isInTrash); }

void to_json(nlohmann::json& j, const CleanupReport& value) {
    j = nlohmann::json::object();
    j["date"] = json::fromDate(value.date);
    j["duration"] = value.duration;
    j["outcomes"] = value.outcomes;
    j["volumeBefore"] = value.volumeBefore;
    j["volumeAfter"] = value.volumeAfter;
    if (value.stopped) j["stopped"] = true;
}

void from_json(const nlohmann::json& j, CleanupReport& value) {
    CleanupReport result;
    result.date = json::toDate(json::required(j, "date"));
    result.duration = json::toDouble(json::required(j, "duration"));
    for (const auto& item : json::requiredArray(j, "outcomes")) {
        CleanupOutcome outcome;
        from_json(item, outcome);
        result.outcomes.push_back(std::move(outcome));
    }
    from_json(json::required(j, "volumeBefore"), result.volumeBefore);
    from_json(json::required(j, "volumeAfter"), result.volumeAfter);
    if (auto stopped = json::optional(j, "stopped")) result.stopped = json::toBool(*stopped);
    value = std::move(result);
}

}  // namespace korvane
