#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/model/CleanupReport.h"
#include "core/model/ScanResult.h"
#include "core/model/UUID.h"

namespace korvane {

// What the application remembers between launches: one storage snapshot per
// calendar day, the reports of past cleanups and the last developer scan,
// each a JSON file in one folder. The screens ask for snapshots and reports
// often, so they stay decoded in memory and are read again only when their
// file changed (another size, modification time, inode or device).
//
// Writes replace a file atomically (temporary file, fsync, rename, fsync of
// the folder) under an exclusive lock file, so two processes appending at
// once lose nothing and a crash leaves the old file whole. A file that exists
// but cannot be read is moved aside as "NAME.unreadable-<UTC stamp>" before a
// new one is written; only a missing file starts empty. A file larger than
// maxFileBytes, or nested deeper than any history, counts as unreadable.
class HistoryStore {
public:
    // One day's developer storage.
    struct Snapshot {
        std::chrono::system_clock::time_point date{};
        std::int64_t developerStorage = 0;
        std::int64_t reclaimable = 0;
        std::int64_t freeSpace = 0;
        // Category raw value → that category's footprint.
        std::map<std::string, std::int64_t> byCategory;

        Snapshot() = default;
        Snapshot(std::chrono::system_clock::time_point date, std::int64_t developerStorage,
                 std::int64_t reclaimable, std::int64_t freeSpace,
                 std::map<std::string, std::int64_t> byCategory)
            : date(date),
              developerStorage(developerStorage),
              reclaimable(reclaimable),
              freeSpace(freeSpace),
              byCategory(std::move(byCategory)) {}
        explicit Snapshot(const ScanResult& scan);

        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };

    static constexpr const char* snapshotsFile = "snapshots.json";
    static constexpr const char* cleanupsFile = "cleanups.json";
    static constexpr const char* lastScanFile = "last-scan.json";
    static constexpr const char* lockFile = ".history.lock";
    static constexpr std::size_t maxSnapshots = 400;
    static constexpr std::size_t maxReports = 200;
    // The retention limits at their fullest, written by the store: 400
    // snapshots of all nine categories take 177 KB; 200 reports of 100
    // outcomes each take 8.3 MB (some 415 bytes an outcome), of 500 each
    // 41 MB. A limit four times the first keeps a file of 200 cleanups of
    // some 400 items each, and bounds what a foreign file costs to parse.
    static constexpr std::int64_t maxFileBytes = 32 * 1048576;

    // $XDG_DATA_HOME/Korvane, or ~/.local/share/Korvane when that variable is
    // unset or not absolute. Created (with its parents) when missing; a
    // failure to create it is ignored.
    static std::string defaultDirectory();

    // Creates nothing on disk. When the folder does not exist, writes do
    // nothing and reads give nothing.
    explicit HistoryStore(std::string directory);

    const std::string& directory() const { return directory_; }

    // Keeps one snapshot per local calendar day (the newer scan wins), at
    // most maxSnapshots, earliest first.
    void recordSnapshot(const ScanResult& scan);
    std::vector<Snapshot> snapshots() const;

    // Keeps at most maxReports, newest first.
    void record(const CleanupReport& report);
    std::vector<CleanupReport> reports() const;
    // Marks the trashed outcomes of these candidates, in whichever stored
    // report holds them, as put back from the Trash (`cameBack`: those that
    // brought back less than went, with what they brought back).
    void markPutBack(const std::set<UUID>& candidateIDs, const std::map<UUID, std::int64_t>& cameBack = {});
    // What stayed removed of every stored report: freed bytes less what was
    // put back (negative figures count as 0, the total stops at the 64-bit limit).
    std::int64_t totalFreed() const;
    bool hasReports() const;

    void saveLastScan(const ScanResult& scan);
    std::optional<ScanResult> loadLastScan() const;

    // Another file of the folder (a running cleanup's journal), written as the
    // three above are: atomically, under the lock file. False when it could
    // not be written.
    static bool replaceFile(const std::string& directory, const std::string& name, const std::string& text);
    // Moves such a file that cannot be used aside, as an unreadable history
    // file is; the name it has now, none when it could not be moved.
    static std::optional<std::string> setAside(const std::string& directory, const std::string& name);
    // Removes such a file, under the lock file.
    static void removeFile(const std::string& directory, const std::string& name);

private:
    // Which file a decoded copy came from.
    struct FileIdentity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modifiedSeconds = 0;
        std::int64_t modifiedNanoseconds = 0;
        friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
    };
    template <class T>
    struct Cached {
        std::optional<FileIdentity> source;  // none: nothing decoded yet
        T value{};                           // empty when the file was unreadable
    };
    // The content of `name`, read again only when the file changed.
    template <class T>
    const T& current(const char* name, Cached<T>& cache) const;

    std::string directory_;
    mutable Cached<std::vector<Snapshot>> snapshots_;
    mutable Cached<std::vector<CleanupReport>> reports_;
};

void to_json(nlohmann::json& j, const HistoryStore::Snapshot& value);
void from_json(const nlohmann::json& j, HistoryStore::Snapshot& value);

}  // namespace korvane
