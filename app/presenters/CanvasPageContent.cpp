#include "app/presenters/CanvasPageContent.h"

#include "app/state/TreeNavigation.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

std::string text(std::string_view value) { return std::string(value); }

bool hasDepth(AppState::CanvasMode mode) {
    return mode == AppState::CanvasMode::sunburst || mode == AppState::CanvasMode::flame ||
           mode == AppState::CanvasMode::mindMap;
}

}  // namespace

DeveloperCanvasContent developerCanvasContent(const AppState& state) {
    DeveloperCanvasContent content;
    const StorageNode* focused = state.navigation().focusedNode();
    const StorageNode& root = focused ? *focused : state.navigation().visibleTree();
    content.root = &root;
    content.name = root.name;
    content.bytes = ByteFormat::string(root.bytes);
    const auto leaves = static_cast<std::int64_t>(root.leafCount());
    content.items = ByteFormat::groupedInteger(leaves) + (leaves == 1 ? " item" : " items");
    if (root.reclaimable >= 1) content.reclaimable = ByteFormat::string(root.reclaimable) + " reclaimable";

    content.blurb = text(blurb(state.navigation().canvasMode()));
    content.showsDepth = hasDepth(state.navigation().canvasMode());
    content.depth = std::to_string(state.navigation().sunburstDepth());

    if (state.navigation().searchHasNoMatches()) {
        content.body = DeveloperCanvasContent::Body::noMatch;
        content.noMatchTitle = "Nothing matches \u201C" + state.navigation().searchText() + "\u201D";
    } else {
        content.body = root.children.empty() ? DeveloperCanvasContent::Body::nothingHere
                                             : DeveloperCanvasContent::Body::canvas;
    }

    const std::int64_t selected = state.developer().selectedBytes();
    content.selectedCount = std::to_string(state.developer().selection().size()) + " selected";
    content.selectedBytes = ByteFormat::string(selected);
    if (state.developer().scan()) {
        const std::int64_t available = state.developer().scan()->volume.availableCapacity;
        content.freeSpace = "Free " + ByteFormat::string(available) + " \u2192 " +
                            ByteFormat::string(available + selected);
    }
    content.selectSafeEnabled = !TreeNavigation::safeCandidateIDs(state.developer().scan()).empty();
    content.clearEnabled = !state.developer().selection().empty();
    content.reviewTitle = "Review " + content.selectedBytes;
    content.reviewEnabled = !state.developer().selection().empty();
    return content;
}

GeneralCanvasContent generalCanvasContent(const AppState& state) {
    GeneralCanvasContent content;
    const StorageNode* scanRoot = state.folderScan().generalRoot();
    if (!scanRoot) {
        content.body = state.folderScan().isScanningFolder() ? GeneralCanvasContent::Body::scanning
                                                : GeneralCanvasContent::Body::nothingScanned;
        return content;
    }
    content.body = GeneralCanvasContent::Body::tree;
    const auto chain = state.navigation().focusPath();
    const StorageNode* shown = chain.empty() ? scanRoot : chain.back();
    content.root = shown;
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
        const StorageNode& folder = *chain[i];
        content.crumbs.push_back(
            {folder.id, folder.name, "Go to " + Paths::abbreviatingHome(folder.path.value_or(folder.id))});
    }
    content.name = shown->name;
    content.bytes = ByteFormat::string(shown->bytes);
    if (shown == scanRoot)
        content.files = ByteFormat::groupedInteger(state.folderScan().generalResult()->fileCount) +
                        (state.folderScan().generalResult()->fileCount == 1 ? " file" : " files");
    content.blurb = text(blurb(state.navigation().canvasMode()));
    return content;
}

}  // namespace korvane
