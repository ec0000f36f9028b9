#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/model/Categories.h"

namespace korvane {

// What a removal command's tool says it freed. Docker ends each prune with
// the space it reclaimed ("Total reclaimed space: 250MB"; the build cache's
// prune through buildx prints "Total:\t250MB"); the other allowed commands
// (`xcrun simctl delete unavailable`, `flatpak uninstall`) print no figure.
class ToolReport {
public:
    ToolReport() = delete;

    // The bytes the tool says `removal` freed, read from what it printed on
    // standard output; none when it printed no figure this can read.
    static std::optional<std::int64_t> reclaimedBytes(const RemovalKind& removal, std::string_view output);

    // A tool freed clearly less than it offered: a hundredth or more missing.
    // Docker prints sizes to four digits, so a prune that freed all it
    // offered may read a little short without being so.
    static bool fallsShort(std::int64_t reclaimed, std::int64_t offered);

    // "Docker reclaimed 0 B of the 800 MB it offered"
    static std::string shortMessage(const RemovalKind& removal, std::int64_t reclaimed, std::int64_t offered);
};

}  // namespace korvane
