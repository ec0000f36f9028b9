#include "app/presenters/HoverCardContent.h"

#include "app/canvases/layout/HoverCardPlacement.h"
#include "core/text/ByteFormat.h"
#include "core/text/RelativeDate.h"

namespace korvane {

HoverCardContent hoverCardContent(const StorageNode& node, const StorageNode& root,
                                  std::chrono::system_clock::time_point now) {
    HoverCardContent content;
    content.category = node.category;
    content.name = node.name;
    content.safety = node.safety;
    std::tie(content.number, content.unit) = ByteFormat::parts(node.bytes);
    content.share = HoverCardPlacement::shareText(node.bytes, root.bytes);
    if (node.reclaimable >= 1) content.reclaimable = ByteFormat::string(node.reclaimable) + " reclaimable";
    if (node.lastModified) content.date = RelativeDate::string(node.lastModified, now);
    return content;
}

}  // namespace korvane
