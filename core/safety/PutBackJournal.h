#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/model/CleanupCandidate.h"
#include "core/model/CleanupReport.h"
#include "core/safety/RestoreEngine.h"

namespace korvane {

class HistoryStore;

// A put back written down before its first item moves, in the history
// folder beside the cleanups' journals (RunJournal), so that one cut off by a
// crash or a kill is still told at the next launch: what is back in its place
// is marked put back in History.
struct PutBackJournal {
    PutBackJournal() = delete;

    static constexpr const char* namePrefix = "putback-";

    // Notes the report's trashed items and what lies in the Trash for each
    // (device and inode: a move back keeps both), with the candidate the scan
    // on show took out for it when `dropped` holds one. The file's name; none
    // when it could not be written.
    static std::optional<std::string> open(const std::string& directory, const CleanupReport& report,
                                           const std::vector<CleanupCandidate>& dropped = {});
    // Removes the journal once what the put back did is recorded.
    static void discard(const std::string& directory, const std::string& fileName);

    // What a put back that was cut off had done: the stored report and its
    // items that are back in their places, each measured now, with the
    // candidates noted for them, so the scan can offer them again.
    struct Recovered {
        CleanupReport report;
        RestoreEngine::Report restored;
        std::vector<CleanupCandidate> dropped;
    };
    // Marks in `history` what each put back left in its folder had brought
    // back (the item at its place is the one that lay in the Trash) and
    // removes the journal; one that cannot be read is set aside and its new
    // name added to `setAside`.
    static std::vector<Recovered> recover(HistoryStore& history, std::vector<std::string>& setAside);
};

}  // namespace korvane
