#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/model/Categories.h"
#include "core/model/CleanupOutcome.h"
#include "core/model/VolumeInfo.h"
#include "core/system/UniqueFd.h"

namespace korvane {

// A cleanup written down while it runs, in a file of the history folder of
// its own, so that a run cut off by a crash, a kill or a power cut is still
// told at the next launch (InterruptedRun).
//
// Opening writes the whole plan at once, as the history store writes its
// files (a temporary file, fsync, rename, under the store's lock file), before
// the first item is touched. Each later step is one line appended and flushed
// to disk: an item starting, what the removal of a large item has freed so
// far (at most once a second), an item's outcome. Appending keeps a run of a
// thousand items from writing its whole plan again for each of them; a line
// the crash cut short is ignored on reading. The file stays until the run's
// report is recorded (discard).
class RunJournal {
public:
    static constexpr const char* namePrefix = "run-";
    static constexpr const char* nameSuffix = ".journal";
    // How often the bytes freed inside one large item are written down.
    static constexpr std::chrono::seconds removedInterval{1};

    // What a journal holds, read back.
    struct Record {
        std::string fileName;
        // The run's start, also its report's date.
        std::chrono::system_clock::time_point date{};
        VolumeInfo volumeBefore;
        // Every item in the order the run takes them.
        std::vector<CleanupOutcome> planned;
        // The outcomes written down, by index into `planned`.
        std::map<std::size_t, CleanupOutcome> finished;
        // The item under way at the last step, with the disposal chosen for
        // it and what its removal had freed by then.
        std::optional<std::size_t> working;
        std::optional<Disposal> workingDisposal;
        std::int64_t workingRemoved = 0;
        // When the last step was written.
        std::chrono::system_clock::time_point lastStep{};
    };

    // Writes into the history folder `directory`; creates nothing yet.
    explicit RunJournal(std::string directory);
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    // False when the plan could not be written; the steps then write nothing.
    bool open(std::chrono::system_clock::time_point date, const VolumeInfo& volumeBefore,
              const std::vector<CleanupOutcome>& planned);
    // Item `index` of the plan is about to be touched; commands have no disposal.
    void working(std::size_t index, std::optional<Disposal> disposal);
    // The removal of item `index` has freed `bytes` so far; written at most
    // once every removedInterval.
    void removed(std::size_t index, std::int64_t bytes);
    void finished(std::size_t index, const CleanupOutcome& outcome);
    // The file's name in the folder; empty until opened.
    const std::string& fileName() const { return fileName_; }

    // Every journal left in the folder that can be read, oldest run first.
    static std::vector<Record> readAll(const std::string& directory);
    // Removes a journal once its run is recorded.
    static void discard(const std::string& directory, const std::string& fileName);

private:
    void append(const std::string& line);

    std::string directory_;
    std::string fileName_;
    UniqueFd file_;
    std::chrono::steady_clock::time_point lastRemoved_{};
};

}  // namespace korvane
