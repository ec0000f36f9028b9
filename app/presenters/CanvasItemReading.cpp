#include "app/presenters/CanvasItemReading.h"

#include "app/presenters/OneLineText.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/text/ByteFormat.h"

namespace korvane {

CanvasItemReading cardReading(const HoverCardContent& card) {
    return {hoverCardHeadline(card), hoverCardDetails(card)};
}

CanvasItemReading tableRowReading(const StorageNode& node) {
    std::string name =
        oneLineText(node.name) + ", " +
        (FileTreeScanner::isMountPoint(node) ? std::string("Not counted") : ByteFormat::string(node.bytes));
    if (node.reclaimable >= 1) name += ", " + ByteFormat::string(node.reclaimable) + " reclaimable";
    if (node.safety) name += ", " + std::string(title(*node.safety));
    return {name, {}};
}

CanvasItemReading bandHeaderReading(std::string_view band, std::int64_t bytes, std::string_view blurb) {
    return {std::string(band) + ", " + ByteFormat::string(bytes), std::string(blurb)};
}

}  // namespace korvane
