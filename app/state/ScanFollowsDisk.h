#pragma once

#include <set>
#include <vector>

#include "app/state/DiskChange.h"
#include "core/model/CleanupCandidate.h"
#include "core/model/ScanResult.h"
#include "core/model/UUID.h"

namespace korvane {

// How a developer scan follows a change on disk, so that its figures stay
// what the disk holds without scanning again.
struct ScanFollowsDisk {
    ScanFollowsDisk() = delete;

    struct Outcome {
        bool changed = false;
        std::set<UUID> dropped;   // candidates that left the scan
        std::set<UUID> returned;  // candidates a put back brought back
    };

    // What left: the candidates at or below a place that left (or named by
    // it, or removed by a command) leave the scan, a candidate holding such a
    // place shrinks by its size, a place that shrank (a removal stopped
    // partway) shrinks the candidate it is and any holding it, and each
    // category's footprint falls by what left it, never below what the
    // category still offers. What a put back
    // returned: candidates dropped earlier (kept in `dropped`) come back, and
    // one holding a returned place grows again. `dropped` gains what leaves
    // and loses what comes back. The free space becomes the change's, when it was measured.
    static Outcome apply(ScanResult& scan, const DiskChange& change, std::vector<CleanupCandidate>& dropped);
};

}  // namespace korvane
