#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/CleanupReport.h"
#include "core/model/UUID.h"
#include "core/model/VolumeInfo.h"
#include "core/safety/RestoreEngine.h"

namespace korvane {

// What one action did to the disk, published once to every part of the state
// that holds its items: the places that lost what they held and the places
// that hold something new, each with its size. A cleanup, a put back and an
// emptied Trash each make one; so does finding, as a review opens, that the
// disk changed under a chosen item since it was listed.
struct DiskChange {
    enum class Action { cleanup, putBack, emptyTrash, foundChanged };

    struct Place {
        std::string path;
        std::int64_t bytes = 0;
        // The cleanup candidate the item was, when it was one.
        std::optional<UUID> candidateID;
        // The item's place inside the Trash: its record there changed too.
        bool inTrash = false;

        friend bool operator==(const Place&, const Place&) = default;
    };

    Action action = Action::cleanup;
    // No longer there: removed, moved to the Trash, or taken out of it.
    std::vector<Place> left;
    // There now and not before: put back, or moved into the Trash.
    std::vector<Place> arrived;
    // Still there, with less in it: an item a stopped removal emptied in
    // part, or one a command freed less of than it offered (at the command
    // path), with the bytes that left it.
    std::vector<Place> shrank;
    // Candidates a command removed: what changed on disk, and where, is the tool's to know.
    std::vector<UUID> removedByCommand;
    // The home folder's volume as the action left it, when it was measured.
    std::optional<VolumeInfo> volume;

    bool isEmpty() const {
        return left.empty() && arrived.empty() && shrank.empty() && removedByCommand.empty();
    }
    // A command freed space: what changed on disk, and where, is the tool's to know.
    bool ranCommand() const;

    // The volume is the report's, measured after the run; each one's
    // `volume` is kept only when it was measured. An item the run left alone
    // because another item took its place counts as found changed.
    static DiskChange ofCleanup(const CleanupReport& report);
    // `report` is the cleanup whose items `restored` put back.
    static DiskChange ofPutBack(const RestoreEngine::Report& restored, const CleanupReport& report,
                                const VolumeInfo& volume);
    // The outcomes whose items were removed from the Trash for good.
    static DiskChange ofEmptying(const std::vector<CleanupOutcome>& purged, const VolumeInfo& volume);
    // Chosen items no longer there (they left) and places that hold another
    // kind of thing than was listed (what was listed left; something new,
    // of a size yet unknown, arrived there).
    static DiskChange ofFoundChanged(std::vector<Place> gone, const std::vector<Place>& reshaped);

    friend bool operator==(const DiskChange&, const DiskChange&) = default;
};

}  // namespace korvane
