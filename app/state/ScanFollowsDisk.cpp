#include "app/state/ScanFollowsDisk.h"

#include <algorithm>
#include <map>

#include "core/model/SizeSum.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

using Place = DiskChange::Place;

std::int64_t offered(const CategoryResult& category) {
    SizeSum sum;
    for (const CleanupCandidate& candidate : category.candidates) sum += candidate.size;
    return sum.total();
}

bool names(const Place& place, const CleanupCandidate& candidate) {
    if (place.candidateID && *place.candidateID == candidate.id) return true;
    return candidate.removal.isPath() && Paths::isAtOrBelow(candidate.path, place.path);
}

// The candidate holds the place without being it.
bool holds(const CleanupCandidate& candidate, const std::string& path) {
    return candidate.removal.isPath() && candidate.path != path && Paths::isAtOrBelow(path, candidate.path);
}

CategoryResult& categoryFor(ScanResult& scan, CleanupCategory category) {
    for (CategoryResult& result : scan.categories)
        if (result.category == category) return result;
    return scan.categories.emplace_back(category, 0, std::vector<CleanupCandidate>{});
}

// What applying one change to one scan has done so far.
struct Following {
    ScanResult& scan;
    std::vector<CleanupCandidate>& dropped;
    ScanFollowsDisk::Outcome& outcome;
    // Bytes that left each category, by its index in the scan.
    std::map<std::size_t, std::int64_t> fell;
};

// The part of `bytes` the candidate can lose: none below 0, none beyond its size.
std::int64_t cutFrom(const CleanupCandidate& candidate, std::int64_t bytes) {
    return std::clamp<std::int64_t>(bytes, 0, std::max<std::int64_t>(candidate.size, 0));
}

template <typename IsGone>
SizeSum dropGone(CategoryResult& category, const IsGone& isGone, Following& following) {
    SizeSum gone;
    std::erase_if(category.candidates, [&](const CleanupCandidate& candidate) {
        if (!isGone(candidate)) return false;
        gone += candidate.size;
        following.outcome.dropped.insert(candidate.id);
        following.dropped.push_back(candidate);
        return true;
    });
    return gone;
}

SizeSum shrinkHolders(CategoryResult& category, const std::string& path, std::int64_t placeBytes) {
    SizeSum shrunk;
    for (CleanupCandidate& candidate : category.candidates)
        if (holds(candidate, path)) {
            const std::int64_t cut = cutFrom(candidate, placeBytes);
            candidate.size -= cut;
            shrunk += cut;
        }
    return shrunk;
}

// Candidates `isGone` names leave the scan; one holding `path` shrinks by its bytes.
template <typename IsGone>
void leave(Following& following, std::int64_t placeBytes, const std::string* path, const IsGone& isGone) {
    for (std::size_t index = 0; index < following.scan.categories.size(); ++index) {
        CategoryResult& category = following.scan.categories[index];
        const std::size_t before = category.candidates.size();
        const SizeSum gone = dropGone(category, isGone, following);
        SizeSum shrunk;
        if (path) shrunk = shrinkHolders(category, *path, placeBytes);
        // A place that held a candidate and lay in another counts once.
        const std::int64_t bytes = std::max(gone.total(), shrunk.total());
        if (bytes > 0) following.fell[index] = SizeSum::add(following.fell[index], bytes);
        if (category.candidates.size() != before || shrunk.total() > 0) following.outcome.changed = true;
    }
}

// What a stop left partway: the item stays on offer with what is still in it.
void shrinkPartway(Following& following, const Place& place) {
    for (std::size_t index = 0; index < following.scan.categories.size(); ++index) {
        // The item and one holding it in the same category lost the same bytes: counted once.
        std::int64_t cut = 0;
        for (CleanupCandidate& candidate : following.scan.categories[index].candidates) {
            const bool isIt = place.candidateID ? *place.candidateID == candidate.id
                                                : candidate.removal.isPath() && candidate.path == place.path;
            if (!isIt && !holds(candidate, place.path)) continue;
            const std::int64_t bytes = cutFrom(candidate, place.bytes);
            candidate.size -= bytes;
            cut = std::max(cut, bytes);
        }
        if (cut > 0) {
            following.fell[index] = SizeSum::add(following.fell[index], cut);
            following.outcome.changed = true;
        }
    }
}

// Each category's footprint falls by what left it, never below what it still offers.
void lowerFootprints(Following& following) {
    for (const auto& [index, bytes] : following.fell) {
        CategoryResult& category = following.scan.categories[index];
        category.footprint =
            std::max(std::max<std::int64_t>(category.footprint, 0) - bytes, offered(category));
    }
}

// A put back returns the candidates it names to their categories.
void returnDropped(Following& following, const Place& place) {
    std::vector<CleanupCandidate>& dropped = following.dropped;
    for (auto candidate = dropped.begin(); candidate != dropped.end();) {
        if (!names(place, *candidate)) {
            ++candidate;
            continue;
        }
        // It came back with less than went when part of it left the Trash meanwhile.
        if (place.candidateID == candidate->id) candidate->size = std::min(candidate->size, place.bytes);
        CategoryResult& category = categoryFor(following.scan, candidate->category);
        category.footprint = SizeSum::add(std::max<std::int64_t>(category.footprint, 0), candidate->size);
        following.outcome.returned.insert(candidate->id);
        category.candidates.push_back(std::move(*candidate));
        candidate = dropped.erase(candidate);
        following.outcome.changed = true;
    }
}

// A candidate holding a returned place grows by it again.
void growHolders(Following& following, const Place& place) {
    for (CategoryResult& category : following.scan.categories)
        for (CleanupCandidate& candidate : category.candidates)
            if (holds(candidate, place.path) && !following.outcome.returned.contains(candidate.id)) {
                candidate.size = SizeSum::add(candidate.size, place.bytes);
                category.footprint = SizeSum::add(category.footprint, place.bytes);
                following.outcome.changed = true;
            }
}

}  // namespace

ScanFollowsDisk::Outcome ScanFollowsDisk::apply(ScanResult& scan, const DiskChange& change,
                                                std::vector<CleanupCandidate>& dropped) {
    Outcome outcome;
    Following following{scan, dropped, outcome, {}};
    for (const Place& place : change.left)
        leave(following, place.bytes, &place.path,
              [&place](const CleanupCandidate& candidate) { return names(place, candidate); });
    for (const UUID& id : change.removedByCommand)
        leave(following, 0, nullptr, [&id](const CleanupCandidate& candidate) { return candidate.id == id; });
    for (const Place& place : change.shrank) shrinkPartway(following, place);
    lowerFootprints(following);

    if (change.volume && !(*change.volume == scan.volume)) {
        scan.volume = *change.volume;
        outcome.changed = true;
    }

    if (change.action != DiskChange::Action::putBack) return outcome;
    for (const Place& place : change.arrived) {
        if (place.inTrash) continue;
        returnDropped(following, place);
        growHolders(following, place);
    }
    return outcome;
}

}  // namespace korvane
