#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/scanners/CategoryScanner.h"

namespace korvane {

class ScanContext;

// Docker keeps images, containers, volumes and build cache inside its own disk
// image, so this scanner asks the daemon what nothing uses and offers one
// prune command per kind of leftover. The footprint is the size of Docker
// Desktop's data folder.
class DockerScanner final : public CategoryScanner {
public:
    // What the daemon reported, summed.
    struct Usage {
        std::int64_t buildCacheTotal = 0;
        std::int64_t buildCacheReclaimable = 0;
        std::int64_t danglingImageSize = 0;
        std::int64_t danglingImageCount = 0;
        std::int64_t unusedImageSize = 0;
        std::int64_t unusedImageCount = 0;
        std::vector<std::string> unusedImageNames;  // "repository:tag", in report order
        std::int64_t stoppedContainerSize = 0;
        std::int64_t stoppedContainerCount = 0;
        std::int64_t unusedVolumeSize = 0;
        std::int64_t unusedVolumeCount = 0;
        std::vector<std::string> unusedVolumeNames;
        bool operator==(const Usage&) const = default;
    };

    // Seconds each docker command may take.
    struct Limits {
        double info = 6.0;
        double diskUsage = 20.0;
    };

    DockerScanner() = default;
    explicit DockerScanner(Limits limits) : limits_(limits) {}

    CleanupCategory category() const override { return CleanupCategory::docker; }
    bool isAvailable() const override;
    CategoryResult scan(const ScanContext& context) const override;

    // None when the daemon cannot be asked or its answer cannot be read.
    std::optional<Usage> usage() const;
    bool isDaemonRunning() const;
    // The usage in `docker system df -v --format {{json .}}` output; none when
    // it is not a JSON object. Malformed members fall back to defaults.
    static std::optional<Usage> parseUsage(std::string_view json);
    // A size as Docker prints it ("1.2GB", "512MB", "0B"); 0 when unreadable
    // or negative.
    static std::int64_t bytes(std::string_view text);
    // A count as Docker prints it: an optional sign and ASCII digits; 0 for
    // anything else or a value beyond 64 bits.
    static std::int64_t count(std::string_view text);

    // Docker Desktop's data folder and its virtual disk.
    static std::string dataFolder();
    static std::string virtualDisk();
    // Where the daemon's socket may be, in the order they are tried.
    static std::vector<std::string> socketCandidates();

private:
    // The steps of scan().
    // Why nothing inside Docker could be inspected.
    static std::string unreachableNote();
    // One prune command per kind of leftover the daemon reported.
    static void addPruneCommands(const Usage& reported, Findings& found);
    // How full Docker Desktop's virtual disk is, when it exists.
    static std::optional<std::string> virtualDiskNote(const ScanContext& context);

    Limits limits_{};
};

}  // namespace korvane
