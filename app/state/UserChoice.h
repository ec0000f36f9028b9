#pragma once

#include <string>
#include <vector>

#include "core/explorer/FileTreeScanner.h"
#include "core/model/CleanupCandidate.h"

namespace korvane {

// Files and folders the user picked in general mode, as cleanup candidates.
struct UserChoice {
    UserChoice() = delete;

    static constexpr const char* ruleID = "general.userChoice";
    // How a picked entry comes back: true only of a move to the Trash.
    static constexpr const char* restoreHint = "Recoverable from the Trash until you empty it";
    // Why a picked file counts as freeing nothing: it has another hard link.
    static constexpr const char* otherNamesReason =
        "It has another name on this disk, so removing this one frees no space until every name is gone.";

    // A picked entry the safety check refuses, and why.
    struct Refusal {
        std::string name;
        std::string reason;
        // Refused because it lies outside the home folder, the one place picked files may go from.
        bool outsideHome = false;

        friend bool operator==(const Refusal&, const Refusal&) = default;
    };

    // The picked entries sorted by what the safety check says of them.
    struct Sorted {
        std::vector<CleanupCandidate> admitted;  // in the order given
        std::vector<Refusal> refused;
        // The picked entries refused because another kind of thing, or
        // another item, stands at their path now: what was listed there is
        // out of date.
        std::vector<FileTreeScanner::Entry> reshaped;
        // The names of those that are no longer the item the scan saw (a
        // file replaced or written to, a link in its place).
        std::vector<std::string> changed;
    };

    // A candidate for each picked entry the safety check admits (always
    // reviewed, never chosen in advance, and moved to the Trash by default),
    // and why it refuses the others; an entry that has since become a folder
    // (or a file), a link, or another item is left out too: what the user
    // consents to is the item they saw. Each candidate carries what the scan
    // saw of it, for the cleanup to check once more. A file with another
    // name counts as freeing nothing: its space stays until that name goes too.
    static Sorted sort(const std::vector<FileTreeScanner::Entry>& entries);
    // True when removing the candidate frees no space, and why is its reason.
    static bool freesNoSpace(const CleanupCandidate& candidate);
    // True when the candidate names a path that no longer exists.
    static bool isGone(const CleanupCandidate& candidate);
    // True when a link, or another item than the scan saw, stands at the
    // candidate's path now; never for a candidate that keeps no identity.
    static bool isReplaced(const CleanupCandidate& candidate);
};

}  // namespace korvane
