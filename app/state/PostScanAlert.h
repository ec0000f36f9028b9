#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/state/Automation.h"

namespace korvane {

// The one notification that may follow an applied developer scan.
struct PostScanAlert {
    std::string title;
    std::string body;

    // Low free space wins over a large reclaimable total; the reclaimable
    // threshold counts equality. Thresholds are decimal gigabytes. Nothing
    // when alerts are off or neither threshold is crossed.
    static std::optional<PostScanAlert> decide(std::int64_t reclaimable, std::int64_t freeSpace,
                                               const Automation::Schedule& schedule);

    friend bool operator==(const PostScanAlert&, const PostScanAlert&) = default;
};

}  // namespace korvane
