#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/model/CleanupReport.h"
#include "core/model/ScanResult.h"

namespace korvane {

// What the application remembers between launches: one storage snapshot per
// calendar day, the reports of past cleanups and the last developer scan,
// each a JSON file in one folder. Nothing is kept in memory; every call reads
// its file again.
//
// Writes replace a file atomically (temporary file, fsync, rename, fsync of
// the folder) under an exclusive lock file, so two processes appending at
// once lose nothing and a crash leaves the old file whole. A file that exists
// but cannot be read is moved aside as "NAME.unreadable-<UTC stamp>" before a
// new one is written; only a missing file starts empty.
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
    // Freed bytes of every stored report (negative figures count as 0, the
    // total stops at the 64-bit limit).
    std::int64_t totalFreed() const;
    bool hasReports() const;

    void saveLastScan(const ScanResult& scan);
    std::optional<ScanResult> loadLastScan() const;

private:
    std::string directory_;
};

void to_json(nlohmann::json& j, const HistoryStore::Snapshot& value);
void from_json(const nlohmann::json& j, HistoryStore::Snapshot& value);

}  // namespace korvane
