#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/model/CleanupReport.h"
#include "core/model/VolumeInfo.h"
#include "core/platform/Trash_linux.h"
#include "core/safety/RunJournal.h"

namespace korvane {

class HistoryStore;

// A cleanup cut off by a crash, a kill or a power cut, as its journal left it
// (RunJournal): at the next launch it is recorded as a stopped run with what
// it had done, and the item it was working on is measured again.
struct InterruptedRun {
    InterruptedRun() = delete;

    // Allocated bytes of what is at a path now; none when it cannot be measured.
    using Measure = std::function<std::optional<std::int64_t>(const std::string& path)>;

    // The report the run would have made had it been stopped where it was cut
    // off: the outcomes it wrote down; the item under way as the disk shows it
    // now (gone: removed, or in `trash` when it was on its way there; still
    // there: what it lost since it was listed went, the rest is still there);
    // every other item not reached. `volumeAfter` is the volume now.
    static CleanupReport report(const RunJournal::Record& record, const Measure& measure,
                                const VolumeInfo& volumeAfter, const FreedesktopTrash& trash);

    struct Recovery {
        // Cut off, and recorded now, oldest first.
        std::vector<CleanupReport> recorded;
        // Recorded already (the end came after that, perhaps before the scan
        // that follows the report was saved), as stored.
        std::vector<CleanupReport> ended;
        // The names unreadable journals were set aside under.
        std::vector<std::string> setAside;
    };

    // Records every run whose journal was left in `history`'s folder (at most
    // RunJournal::maxPerStart of them), unless its report is already stored,
    // and removes the journal; journals that cannot be used are set aside.
    static Recovery recoverLeft(HistoryStore& history, const Measure& measure = {});
    // The reports recoverLeft() recorded.
    static std::vector<CleanupReport> recover(HistoryStore& history, const Measure& measure = {});
};

}  // namespace korvane
