#include "app/presenters/SpaceProjection.h"

#include "core/model/SizeSum.h"
#include "core/safety/CleanupEngine.h"
#include "core/text/ByteFormat.h"

namespace korvane {

RemovalWay removalWay(const CleanupCandidate& candidate, std::optional<Disposal> disposalOverride) {
    if (candidate.removal.isCommand()) return RemovalWay::byCommand;
    const Disposal disposal = disposalOverride.value_or(CleanupEngine::recommendedDisposal(candidate));
    return disposal == Disposal::trash ? RemovalWay::toTrash : RemovalWay::deleted;
}

SpaceProjection spaceProjection(const std::vector<CleanupCandidate>& candidates,
                                std::optional<Disposal> disposalOverride) {
    SizeSum now;
    SizeSum byCommand;
    SizeSum trash;
    for (const CleanupCandidate& candidate : candidates) {
        switch (removalWay(candidate, disposalOverride)) {
            case RemovalWay::toTrash:
                trash += candidate.size;
                break;
            case RemovalWay::byCommand:
                byCommand += candidate.size;
                now += candidate.size;
                break;
            case RemovalWay::deleted:
                now += candidate.size;
                break;
        }
    }
    return {now.total(), byCommand.total(), trash.total()};
}

std::string freeSpaceProjection(const VolumeInfo& volume, const SpaceProjection& projection) {
    SizeSum after;
    after += volume.availableCapacity;
    after += projection.freedNow;
    const auto [before, then] = ByteFormat::alike(volume.availableCapacity, after.total());
    return "Free " + before + " \u2192 " + then;
}

std::optional<std::string> spaceOnceEmptied(const SpaceProjection& projection) {
    if (projection.toTrash < 1) return std::nullopt;
    return "+" + ByteFormat::string(projection.toTrash) + " once the Trash is emptied";
}

}  // namespace korvane
