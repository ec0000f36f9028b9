#include "app/presenters/SidebarContent.h"

#include <cstdio>

#include "app/presenters/CountText.h"
#include "app/state/PlatformWords.h"
#include "core/model/SizeSum.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

SidebarContent::CurrentView currentView(const NavigationState& navigation, const DeveloperState& developer,
                                        const ScanResult& scan) {
    SidebarContent::CurrentView view;
    char duration[64];
    std::snprintf(duration, sizeof duration, "%.1fs scan", scan.duration);
    view.trailing = duration;
    const StorageNode* focused = navigation.focusedNode();
    view.title = focused ? focused->name : "Developer storage";
    if (focused && focused->path) {
        view.subtitle = Paths::abbreviatingHome(*focused->path);
    } else {
        view.subtitle = countText(scan.projectCount, "project") + " \u00B7 " +
                        countText(static_cast<std::int64_t>(developer.tree().children.size()), "toolchain");
    }
    view.revealEnabled = focused && focused->path;
    view.copyEnabled = focused && focused->path;
    return view;
}

SidebarContent::QuickWin quickWin(const StorageNode& node, const NavigationState& navigation) {
    SidebarContent::QuickWin row;
    row.id = node.id;
    row.symbol = node.category ? std::string(symbolName(*node.category)) : "shippingbox";
    row.colour = node.category.value_or(CleanupCategory::node);
    row.name = node.name;
    row.bytes = ByteFormat::string(node.reclaimable);
    row.subtitle = std::string(node.category ? title(*node.category) : "") + " \u00B7 " +
                   countText(static_cast<std::int64_t>(node.children.size()), "item");
    row.isFocused = navigation.focusedID() && *navigation.focusedID() == node.id;
    return row;
}

}  // namespace

SidebarContent sidebarContent(const NavigationState& navigation, const DeveloperState& developer) {
    SidebarContent content;
    const bool scanning = navigation.route() == Route::scanning;
    content.scanTitle = scanning ? "Scanning\u2026" : std::string(platformWords::scanThisComputer);
    content.scanEnabled = !scanning;
    if (!developer.scan()) return content;
    const ScanResult& scan = *developer.scan();

    SidebarContent::Sections sections;
    const VolumeInfo& volume = scan.volume;
    sections.disk.volume = volume;
    sections.disk.total = ByteFormat::string(volume.totalCapacity);
    sections.disk.used = ByteFormat::string(volume.usedCapacity);
    sections.disk.free = ByteFormat::string(volume.availableCapacity);
    sections.currentView = currentView(navigation, developer, scan);

    SizeSum quickTotal;
    for (const StorageNode* node : developer.sidebarItems()) {
        sections.quickWins.push_back(quickWin(*node, navigation));
        quickTotal += node->reclaimable;
    }
    sections.quickWinsTrailing = ByteFormat::string(quickTotal.total());
    sections.toolchainsTrailing = ByteFormat::string(scan.footprint());
    sections.toolchains = footprintSegments(scan);
    content.sections = std::move(sections);
    return content;
}

}  // namespace korvane
