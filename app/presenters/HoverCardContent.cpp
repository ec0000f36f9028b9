#include "app/presenters/HoverCardContent.h"

#include <cstdio>

#include "app/presenters/ItemKind.h"
#include "app/presenters/OneLineText.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"
#include "core/text/RelativeDate.h"

namespace korvane {

std::string hoverCardShareText(std::int64_t nodeBytes, std::int64_t rootBytes) {
    std::string share = "<0.1";
    if (rootBytes >= 1) {
        const double p = static_cast<double>(nodeBytes) / static_cast<double>(rootBytes) * 100;
        if (!(p < 0.1)) {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, p < 10 ? "%.1f" : "%.0f", p);
            share = buffer;
        }
    }
    return "\u00B7 " + share + "%";
}

HoverCardContent hoverCardContent(const StorageNode& node, const StorageNode& root,
                                  std::chrono::system_clock::time_point now) {
    HoverCardContent content;
    content.category = node.category;
    content.name = oneLineText(node.name);
    content.safety = node.safety;
    std::tie(content.number, content.unit) = ByteFormat::parts(node.bytes);
    content.share = hoverCardShareText(node.bytes, root.bytes);
    if (node.reclaimable >= 1) content.reclaimable = ByteFormat::string(node.reclaimable) + " reclaimable";
    if (node.lastModified) content.date = RelativeDate::string(node.lastModified, now);
    if (const auto folder = itemFolder(node)) content.folder = oneLineText(Paths::abbreviatingHome(*folder));
    return content;
}

void showShare(HoverCardContent& content, const StorageNode& node, std::int64_t bytes, const StorageNode& root) {
    if (bytes == node.bytes) return;
    std::tie(content.number, content.unit) = ByteFormat::parts(bytes);
    content.share = hoverCardShareText(bytes, root.bytes);
    content.date.reset();
}

std::string hoverCardHeadline(const HoverCardContent& content) {
    return content.name + ", " + content.number + " " + content.unit;
}

std::string hoverCardDetails(const HoverCardContent& content) {
    std::string text = content.share;
    // The card's leading middle dot is a separator for the eye only.
    if (const auto space = text.find(' '); space != std::string::npos) text.erase(0, space + 1);
    text += " of the view";
    if (content.safety) text += ", " + std::string(title(*content.safety));
    if (content.reclaimable) text += ", " + *content.reclaimable;
    if (content.date) text += ", " + *content.date;
    if (content.ageSpan) text += ", " + *content.ageSpan;
    if (content.folder) text += ", in " + *content.folder;
    return text;
}

std::string hoverCardDescription(const HoverCardContent& content) {
    return hoverCardHeadline(content) + ", " + hoverCardDetails(content);
}

}  // namespace korvane
