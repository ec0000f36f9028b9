#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/canvases/layout/CanvasClock.h"
#include "core/model/StorageNode.h"

namespace korvane {

// The age map's numbers: the root's bytes by age bucket (plus the bytes that
// have no usable age), and the largest items left alone for over a year.
struct AgeMapLayout {
    static constexpr double wideWidth = 720;
    static constexpr std::size_t bigUntouchedLimit = 14;
    static constexpr int untouchedDays = 365;

    struct Bucket {
        int id = 0;
        std::string_view label;
        int maxDays = 0;
        bool isAge = true;
        std::optional<std::string_view> note;
        std::int64_t bytes = 0;
    };

    // Bytes left alone for over a year: a whole item, or the files folded
    // into one (a folder's smaller items, a folder below the tree's depth)
    // that are that old while others beside them are not.
    struct Untouched {
        const StorageNode* node = nullptr;
        std::int64_t bytes = 0;
        // Only some of the node's bytes: its files over a year old.
        bool isPart = false;
        // Days since the newest of those bytes was modified.
        int days = 0;
    };

    // The six age buckets always, then the special ones that hold bytes.
    std::vector<Bucket> buckets;
    // At most 14, largest first (ties keep leaf order). Empty exactly when
    // no byte is over a year old.
    std::vector<Untouched> bigUntouched;
    std::int64_t bigUntouchedTotal = 0;
    std::int64_t rootBytes = 0;

    static AgeMapLayout make(const StorageNode& root, const CanvasClock& clock);
    static AgeMapLayout make(const StorageNode&& root, const CanvasClock& clock) = delete;

    // The leaves of the root holding at least one byte, in leaf order.
    static std::vector<const StorageNode*> sizedLeaves(const StorageNode& root);

    // The largest bucket's bytes, at least 1.
    std::int64_t barScale() const;
    // Proportional to the scale, but at least 3 points for a bucket with bytes.
    double barWidth(const Bucket& bucket, double width) const;
    // "—" for an empty bucket, "<0.1%" or "12.3%" of the root.
    std::string shareText(const Bucket& bucket) const;
    // "1.2 GB across 3 items"; empty when nothing is listed.
    std::string bigUntouchedSummary() const;

    // Opacity of the accent colour for a bucket's bar.
    static double bucketOpacity(int id);
    // "No date", "2 years ago", "1 year ago", "4 months ago".
    static std::string relativeAge(const StorageNode& node, const CanvasClock& clock);
    static std::string relativeAge(int days);
    // A row's name: the item's ("12 smaller items in Photos" for a folder's
    // remainder), or for a part "Old files in <folder>".
    static std::string untouchedName(const Untouched& untouched);
    // The three panels stand side by side from this width on.
    static bool isWide(double width) { return width >= wideWidth; }
};

}  // namespace korvane
