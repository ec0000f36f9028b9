#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/CleanupCandidate.h"
#include "core/model/VolumeInfo.h"

namespace korvane {

// How a cleanup would remove one candidate: a command removes its own
// items whatever the disposal; a path goes to the Trash or is deleted.
enum class RemovalWay { toTrash, deleted, byCommand };

// The override decides every path's way; without one each takes the
// disposal the cleanup would give it.
RemovalWay removalWay(const CleanupCandidate& candidate, std::optional<Disposal> disposalOverride);

// What removing candidates does to free space: deleted items and commands
// free it at once; what goes to the Trash frees it only once the Trash is
// emptied (and until then can be put back).
struct SpaceProjection {
    std::int64_t freedNow = 0;        // deleted, or removed by a command: cannot be put back
    std::int64_t freedByCommand = 0;  // the part of freedNow that commands remove
    std::int64_t toTrash = 0;

    friend bool operator==(const SpaceProjection&, const SpaceProjection&) = default;
};

SpaceProjection spaceProjection(const std::vector<CleanupCandidate>& candidates,
                                std::optional<Disposal> disposalOverride);

// "Free 78.40 GB → 78.51 GB": the free space now and once what frees space
// at once is gone, in one unit and precision.
std::string freeSpaceProjection(const VolumeInfo& volume, const SpaceProjection& projection);
// "+5.6 GB once the Trash is emptied", when something goes to the Trash.
std::optional<std::string> spaceOnceEmptied(const SpaceProjection& projection);

}  // namespace korvane
