#pragma once

#include <optional>
#include <set>
#include <vector>

#include "core/model/CleanupOutcome.h"
#include "core/model/UUID.h"
#include "core/model/VolumeInfo.h"

namespace korvane {

// What runs on Korvane's items in the Trash: one at a time, for an emptying
// that met a put back would delete what the put back just returned.
enum class TrashWork { none, puttingBack, emptying };

// What the completion screen knows beyond its report, as it learns it.
struct ReportFollowUp {
    // Korvane's items still in the Trash over every stored cleanup and the
    // one on show, each once: exactly what "Empty" removes. None until measured.
    std::optional<std::vector<CleanupOutcome>> ownInTrash;
    // Candidates of the report on show whose items were emptied from the Trash.
    std::set<UUID> emptied;
    // The home folder's volume measured after the report's run, once emptying
    // the Trash (or putting items back) changed it.
    std::optional<VolumeInfo> volumeNow;
    // The report is the demonstration's: it shows as written, not as the Trash
    // holds it, until "Put it back" or "Empty" answered for its made-up item.
    bool demonstration = false;

    friend bool operator==(const ReportFollowUp&, const ReportFollowUp&) = default;
};

}  // namespace korvane
