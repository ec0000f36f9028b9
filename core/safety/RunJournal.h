#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
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
// to disk: an item starting (with the device and inode of what stands at its
// path, which a move into the Trash keeps), what the removal of a large item
// has freed so far (at most once a second), an item's outcome. Appending
// keeps a run of a thousand items from writing its whole plan again for each
// of them; a line the crash cut short is ignored on reading. The file stays
// until the run's report is recorded (discard).
//
// What a journal says is held to the rules a cleanup is, since it may be
// damaged, copied from another computer or left by another version: every
// item lies where a rule allows removals, and no size is larger than the
// plan's measure (at most the capacity of the volumes removals happen on).
// One that breaks them, or cannot be read, is set aside (readLeft).
class RunJournal {
public:
    static constexpr const char* namePrefix = "run-";
    static constexpr const char* nameSuffix = ".journal";
    // Journals without a version were written before items' places were
    // noted as they started; a later version is not read.
    static constexpr std::int64_t version = 2;
    // The journals read at one start: a run that cannot wait for its report
    // is rare, a folder of thousands is not Korvane's doing; the rest wait.
    static constexpr std::size_t maxPerStart = 16;
    // How often the bytes freed inside one large item are written down.
    static constexpr std::chrono::seconds removedInterval{1};

    // What stood at an item's path as it started: a move keeps both.
    struct Moved {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        friend bool operator==(const Moved&, const Moved&) = default;
    };

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
        // By index into `planned`: what stood at the item's path as it last
        // started; none in journals of older versions.
        std::map<std::size_t, Moved> moved;
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

    // The journals of a folder: those that can be read, oldest run first,
    // and the names those that cannot were set aside under.
    struct Left {
        std::vector<Record> records;
        std::vector<std::string> setAside;
    };
    // Reads the `limit` oldest journals of the folder, setting aside those
    // that cannot be read or break the rules.
    static Left readLeft(const std::string& directory, std::size_t limit = maxPerStart);
    // Every journal left in the folder that can be read, oldest run first;
    // sets nothing aside.
    static std::vector<Record> readAll(const std::string& directory);
    // How many journals called `prefix`… a start reads (at most `limit`).
    static std::size_t countLeft(const std::string& directory, std::string_view prefix = namePrefix,
                                 std::size_t limit = maxPerStart);
    // The names of the files of the folder called `prefix`…`nameSuffix`,
    // the least recently written first, at most `limit`.
    static std::vector<std::string> oldestNamed(const std::string& directory, std::string_view prefix,
                                                std::size_t limit);
    // Removes a journal once its run is recorded.
    static void discard(const std::string& directory, const std::string& fileName);

private:
    void append(const std::string& line);

    std::string directory_;
    std::string fileName_;
    std::vector<std::string> paths_;
    UniqueFd file_;
    std::chrono::steady_clock::time_point lastRemoved_{};
};

}  // namespace korvane
