#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/presenters/HoverCardContent.h"
#include "core/model/StorageNode.h"

namespace korvane {

// What a screen reader hears of the canvas item the keyboard is on: its name
// ("node_modules, 1.2 GB") and what else there is to know of it.
struct CanvasItemReading {
    std::string name;
    std::string description;
};

// An item with a hover card: the card's name and figure, then its other lines
// ("5.0% of the view, Safe to remove, 1 GB reclaimable, 3 weeks ago").
CanvasItemReading cardReading(const HoverCardContent& card);

// A table row reads its columns: "npm cache, 1.2 GB, 1 GB reclaimable, Safe to
// remove"; a mount point's size is "Not counted", and a row with nothing
// reclaimable or no safety tag says nothing of them.
CanvasItemReading tableRowReading(const StorageNode& node);

// A strata band's header: "Days, 1.2 GB", then what the band holds.
CanvasItemReading bandHeaderReading(std::string_view band, std::int64_t bytes, std::string_view blurb);

}  // namespace korvane
