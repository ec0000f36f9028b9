#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/CleanupOutcome.h"
#include "core/model/CleanupReport.h"
#include "core/model/UUID.h"
#include "core/platform/Trash.h"
#include "core/system/Flag.h"

namespace korvane {

// Puts the trashed items of a cleanup back where they were, refusing anything
// that looks wrong, and empties from the Trash exactly the items Korvane put
// there: an item is touched only while its Trash record names the place it
// came from.
class RestoreEngine {
public:
    struct Outcome {
        enum class Status { restored, missing, blocked, failed };

        UUID candidateID;
        std::string title;
        std::string path;
        std::int64_t bytes = 0;
        Status status = Status::missing;
        std::optional<std::string> message;
        // What came back, when it measured clearly less than went: another
        // program took part of it out of the Trash meanwhile.
        std::optional<std::int64_t> cameBack;

        // What a restored item brought back.
        std::int64_t returnedBytes() const { return cameBack.value_or(bytes); }

        friend bool operator==(const Outcome&, const Outcome&) = default;
    };

    struct Report {
        std::vector<Outcome> outcomes;

        // What the restored items brought back.
        std::int64_t restoredBytes() const;
        std::int64_t restoredCount() const;
        std::vector<Outcome> problems() const;

        friend bool operator==(const Report&, const Report&) = default;
    };

    // An item that emptying could not remove whole: why, what of it went
    // and what is still in the Trash.
    struct NotEmptied {
        CleanupOutcome item;
        std::string reason;
        std::int64_t removedBytes = 0;
        std::int64_t leftBytes = 0;

        friend bool operator==(const NotEmptied&, const NotEmptied&) = default;
    };

    // What an emptying did.
    struct Emptied {
        std::vector<CleanupOutcome> purged;  // removed whole, in order
        std::vector<NotEmptied> notEmptied;  // refused, or removed in part
        std::int64_t partlyBytes = 0;        // what went of the items not removed whole, a stopped one's too

        // Only what went: the items removed whole and the parts of the others.
        std::int64_t freedBytes() const;
    };

    // Works on the user's own Trash.
    RestoreEngine();
    // Works on the given Trash (tests use one inside a temporary folder).
    explicit RestoreEngine(std::shared_ptr<Trash> trash);

    // One outcome for every restorable outcome of the report, in order. A
    // stop set meanwhile leaves the items not yet reached in the Trash.
    Report restore(const CleanupReport& report, const Flag* stop = nullptr) const;
    Outcome restore(const CleanupOutcome& outcome) const;

    // The restorable items of the reports that the Trash still holds under a
    // record naming their former place, each once (the first report naming it
    // wins): exactly what purge() would remove now, each with what it
    // measures now as its bytes.
    std::vector<CleanupOutcome> inTrash(const std::vector<CleanupReport>& reports) const;

    // Removes for good every restorable item of the reports that is still in
    // the Trash; returns the bytes of what it removed (see Emptied::freedBytes).
    std::int64_t purgeFromTrash(const std::vector<CleanupReport>& reports) const;
    // The same; returns the outcomes whose items it removed, in report order.
    // A stop set meanwhile ends it between items, or between two entries of
    // a large folder, which then stays in the Trash with what is left of it.
    std::vector<CleanupOutcome> purge(const std::vector<CleanupReport>& reports, const Flag* stop = nullptr) const;
    // The same for items inTrash() listed, so that what is removed is what
    // was measured and shown: nothing of the reports beyond them. Also says
    // which items could not be removed whole, and why.
    Emptied purgeHeld(const std::vector<CleanupOutcome>& held, const Flag* stop = nullptr) const;

private:
    std::shared_ptr<Trash> trash_;
};

std::string_view rawValue(RestoreEngine::Outcome::Status status);
std::optional<RestoreEngine::Outcome::Status> restoreStatusFromRawValue(std::string_view text);

}  // namespace korvane
