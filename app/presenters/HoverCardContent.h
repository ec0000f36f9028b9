#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "core/model/Categories.h"
#include "core/model/StorageNode.h"

namespace korvane {

// What the hover card says about the node under the pointer.
struct HoverCardContent {
    std::optional<CleanupCategory> category;  // its symbol leads the name
    std::string name;
    std::optional<SafetyLevel> safety;
    std::string number;  // "1.23"
    std::string unit;    // "GB"
    std::string share;   // "· 5.0%" of the drawn root
    std::optional<std::string> reclaimable;  // "1.2 GB reclaimable"
    std::optional<std::string> date;         // "3 weeks ago"
    // Where an item's bytes have several ages (its date is the newest):
    // "Spans Days and Buried".
    std::optional<std::string> ageSpan;
    // The folder it lies in ("~/Downloads"), so that equal names tell apart;
    // none for a sum of nodes from several folders.
    std::optional<std::string> folder;

    friend bool operator==(const HoverCardContent&, const HoverCardContent&) = default;
};

// "· 5.0%": the node's share of the root, "<0.1" below a tenth of a percent
// or when the root holds nothing.
std::string hoverCardShareText(std::int64_t nodeBytes, std::int64_t rootBytes);

HoverCardContent hoverCardContent(const StorageNode& node, const StorageNode& root,
                                  std::chrono::system_clock::time_point now);

// A card for `bytes` of the node's bytes (a strata deposit holding only the
// node's files of one age): the figure and share are theirs, and the node's
// date, its newest, is not theirs to show. Nothing changes for all of them.
void showShare(HoverCardContent& content, const StorageNode& node, std::int64_t bytes, const StorageNode& root);

// The card read as one sentence for screen readers: "node_modules, 1.2 GB,
// 5.0% of the view, Safe to remove, 1 GB reclaimable, 3 weeks ago, Spans Days
// and Buried, in ~/src": its headline, then its details.
std::string hoverCardDescription(const HoverCardContent& content);
std::string hoverCardHeadline(const HoverCardContent& content);
std::string hoverCardDetails(const HoverCardContent& content);

}  // namespace korvane
