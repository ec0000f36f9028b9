#include "app/presenters/CanvasPageContent.h"

#include "app/presenters/CountText.h"
#include "app/presenters/ItemKind.h"
#include "app/presenters/OneLineText.h"
#include "app/presenters/SpaceProjection.h"
#include "app/state/DeveloperState.h"
#include "app/state/FolderScanState.h"
#include "app/state/NavigationState.h"
#include "app/state/PlatformWords.h"
#include "app/state/PreferencesState.h"
#include "app/state/TreeNavigation.h"
#include "core/model/SizeSum.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

std::string text(std::string_view value) { return std::string(value); }

bool hasDepth(CanvasMode mode) {
    return mode == CanvasMode::sunburst || mode == CanvasMode::flame || mode == CanvasMode::mindMap;
}

}  // namespace

std::optional<std::string> switchedOffText(const ScanResult& scan) {
    const auto& off = scan.switchedOff;
    if (off.empty()) return std::nullopt;
    std::string names;
    for (std::size_t i = 0; i < off.size(); ++i) {
        if (i > 0) names += i + 1 == off.size() ? " and " : ", ";
        names += title(off[i]);
    }
    return names + (off.size() == 1 ? " was" : " were") +
           " switched off in Settings, so this scan did not look at " + (off.size() == 1 ? "it." : "them.");
}

DeveloperCanvasContent developerCanvasContent(const NavigationState& navigation,
                                              const DeveloperState& developer) {
    DeveloperCanvasContent content;
    const StorageNode* focused = navigation.focusedNode();
    const StorageNode& root = focused ? *focused : navigation.visibleTree();
    content.root = &root;
    content.name = root.name;
    content.bytes = ByteFormat::string(root.bytes);
    const auto leaves = static_cast<std::int64_t>(TreeNavigation::itemCount(root));
    content.items = countText(leaves, "item");
    if (root.reclaimable >= 1) content.reclaimable = ByteFormat::string(root.reclaimable) + " reclaimable";

    content.blurb = text(blurb(navigation.canvasMode()));
    content.showsDepth = hasDepth(navigation.canvasMode());
    content.depth = std::to_string(navigation.sunburstDepth());

    if (!developer.hasScan()) {
        // An empty tree is not a clean one: nothing has been measured yet.
        content.body = DeveloperCanvasContent::Body::notScanned;
        content.showsFigures = false;
        content.reclaimable.reset();
    } else if (navigation.searchHasNoMatches()) {
        content.body = DeveloperCanvasContent::Body::noMatch;
        content.noMatchTitle = "Nothing matches \u201C" + navigation.searchText() + "\u201D";
        // The canvas draws nothing: an opened category's own size above it would count what the filter hides.
        content.showsFigures = false;
        content.reclaimable.reset();
    } else {
        content.body = root.children.empty() ? DeveloperCanvasContent::Body::nothingHere
                                             : DeveloperCanvasContent::Body::canvas;
        // Nothing found is not nothing there: a category switched off was never looked at.
        if (const auto switchedOff = switchedOffText(*developer.scan()))
            content.nothingHereMessage = *switchedOff;
    }

    // What the review would list, counted the same way: an id that names no
    // candidate any more is not a selected item.
    const std::vector<CleanupCandidate> selected = developer.selectedCandidates();
    SizeSum selectedBytes;
    for (const CleanupCandidate& candidate : selected) selectedBytes += candidate.size;
    content.selectedCount = std::to_string(selected.size()) + " selected";
    content.selectedBytes = ByteFormat::string(selectedBytes.total());
    if (developer.scan()) {
        const SpaceProjection projection = spaceProjection(selected, developer.preferences().disposalOverride());
        content.freeSpace = freeSpaceProjection(developer.scan()->volume, projection);
        content.freeSpaceOnceEmptied = spaceOnceEmptied(projection);
    }
    const StorageNode* shown = navigation.developerCanvasNode();
    content.selectSafeEnabled = shown && !TreeNavigation::safeCandidateIDs(*shown).empty();
    content.clearEnabled = !developer.selection().empty();
    content.reviewTitle = "Review " + content.selectedBytes;
    content.reviewEnabled = !selected.empty();
    return content;
}

GeneralCanvasContent generalCanvasContent(const NavigationState& navigation,
                                          const FolderScanState& folderScan) {
    GeneralCanvasContent content;
    const StorageNode* scanRoot = folderScan.generalRoot();
    if (!scanRoot) {
        content.body = folderScan.isScanningFolder() ? GeneralCanvasContent::Body::scanning
                                                     : GeneralCanvasContent::Body::nothingScanned;
        return content;
    }
    // An empty tree from a root that could not be opened is no empty folder
    // (an opened root always carries its own date).
    const FileTreeScanner::Result& result = *folderScan.generalResult();
    const std::string folder = oneLineText(Paths::abbreviatingHome(scanRoot->path.value_or(scanRoot->id)));
    if (result.kernelFileSystem) {
        content.body = GeneralCanvasContent::Body::unreadable;
        content.unreadableTitle = "This folder is not scanned";
        content.unreadableMessage =
            platformWords::kernelFilesNotScanned(folder, oneLineText(*result.kernelFileSystem)) +
            ". Choose another folder.";
        return content;
    }
    if (result.unreadableFolders > 0 && scanRoot->children.empty() && scanRoot->bytes < 1 &&
        !scanRoot->lastModified) {
        content.body = GeneralCanvasContent::Body::unreadable;
        content.unreadableTitle = "Can\u2019t open this folder";
        content.unreadableMessage = folder + " is no longer there, or may not be read, so nothing in it was "
                                             "counted. Rescan once it is back, or choose another folder.";
        return content;
    }
    content.body = GeneralCanvasContent::Body::tree;
    const auto chain = navigation.focusPath();
    const StorageNode* shown = chain.empty() ? scanRoot : chain.back();
    content.root = shown;
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
        const StorageNode& folder = *chain[i];
        // An opened remainder has no place of its own: it lies in its folder.
        const std::string place = folder.path ? Paths::abbreviatingHome(*folder.path)
                                              : folder.name + " in " + Paths::abbreviatingHome(itemFolder(folder).value_or(folder.id));
        content.crumbs.push_back({folder.id, oneLineText(folder.name), "Go to " + oneLineText(place)});
    }
    content.name = oneLineText(shown->name);
    content.bytes = ByteFormat::string(shown->bytes);
    if (shown == scanRoot)
        content.files = countText(folderScan.generalResult()->fileCount, "file");
    else if (const auto files = walkedFilesText(*shown))
        content.files = *files;
    content.blurb = text(blurb(navigation.canvasMode()));
    return content;
}

}  // namespace korvane
