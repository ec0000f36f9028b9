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

}  // namespace

ScanFollowsDisk::Outcome ScanFollowsDisk::apply(ScanResult& scan, const DiskChange& change,
                                                std::vector<CleanupCandidate>& dropped) {
    Outcome outcome;
    // Bytes that left each category, by its index in the scan.
    std::map<std::size_t, std::int64_t> fell;
    const auto leave = [&](const auto& isGone, std::int64_t placeBytes, const std::string* path) {
        for (std::size_t index = 0; index < scan.categories.size(); ++index) {
            CategoryResult& category = scan.categories[index];
            SizeSum gone;
            const std::size_t before = category.candidates.size();
            std::erase_if(category.candidates, [&](const CleanupCandidate& candidate) {
                if (!isGone(candidate)) return false;
                gone += candidate.size;
                outcome.dropped.insert(candidate.id);
                dropped.push_back(candidate);
                return true;
            });
            SizeSum shrunk;
            if (path)
                for (CleanupCandidate& candidate : category.candidates)
                    if (holds(candidate, *path)) {
                        const std::int64_t cut = std::clamp<std::int64_t>(
                            placeBytes, 0, std::max<std::int64_t>(candidate.size, 0));
                        candidate.size -= cut;
                        shrunk += cut;
                    }
            // A place that held a candidate and lay in another counts once.
            const std::int64_t bytes = std::max(gone.total(), shrunk.total());
            if (bytes > 0) fell[index] = SizeSum::add(fell[index], bytes);
            if (category.candidates.size() != before || shrunk.total() > 0) outcome.changed = true;
        }
    };
    for (const Place& place : change.left)
        leave([&place](const CleanupCandidate& candidate) { return names(place, candidate); }, place.bytes,
              &place.path);
    for (const UUID& id : change.removedByCommand)
        leave([&id](const CleanupCandidate& candidate) { return candidate.id == id; }, 0, nullptr);
    // What a stop left partway: the item stays on offer with what is still in it.
    for (const Place& place : change.shrank)
        for (std::size_t index = 0; index < scan.categories.size(); ++index) {
            // The item and one holding it in the same category lost the same bytes: counted once.
            std::int64_t cut = 0;
            for (CleanupCandidate& candidate : scan.categories[index].candidates) {
                const bool isIt = place.candidateID ? *place.candidateID == candidate.id
                                                    : candidate.removal.isPath() && candidate.path == place.path;
                if (!isIt && !holds(candidate, place.path)) continue;
                const std::int64_t bytes =
                    std::clamp<std::int64_t>(place.bytes, 0, std::max<std::int64_t>(candidate.size, 0));
                candidate.size -= bytes;
                cut = std::max(cut, bytes);
            }
            if (cut > 0) {
                fell[index] = SizeSum::add(fell[index], cut);
                outcome.changed = true;
            }
        }
    for (const auto& [index, bytes] : fell) {
        CategoryResult& category = scan.categories[index];
        category.footprint =
            std::max(std::max<std::int64_t>(category.footprint, 0) - bytes, offered(category));
    }

    if (change.volume && !(*change.volume == scan.volume)) {
        scan.volume = *change.volume;
        outcome.changed = true;
    }

    if (change.action != DiskChange::Action::putBack) return outcome;
    for (const Place& place : change.arrived) {
        if (place.inTrash) continue;
        for (auto candidate = dropped.begin(); candidate != dropped.end();) {
            if (!names(place, *candidate)) {
                ++candidate;
                continue;
            }
            // It came back with less than went when part of it left the Trash meanwhile.
            if (place.candidateID == candidate->id) candidate->size = std::min(candidate->size, place.bytes);
            CategoryResult& category = categoryFor(scan, candidate->category);
            category.footprint = SizeSum::add(std::max<std::int64_t>(category.footprint, 0), candidate->size);
            outcome.returned.insert(candidate->id);
            category.candidates.push_back(std::move(*candidate));
            candidate = dropped.erase(candidate);
            outcome.changed = true;
        }
        for (CategoryResult& category : scan.categories)
            for (CleanupCandidate& candidate : category.candidates)
                if (holds(candidate, place.path) && !outcome.returned.contains(candidate.id)) {
                    candidate.size = SizeSum::add(candidate.size, place.bytes);
                    category.footprint = SizeSum::add(category.footprint, place.bytes);
                    outcome.changed = true;
                }
    }
    return outcome;
}

}  // namespace korvane
