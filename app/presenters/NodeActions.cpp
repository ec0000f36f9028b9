#include "app/presenters/NodeActions.h"

#include "app/state/DesktopActions.h"
#include "app/state/DeveloperState.h"
#include "app/state/NavigationState.h"
#include "app/state/PlatformWords.h"
#include "core/explorer/FileTreeScanner.h"

namespace korvane {

std::vector<NodeActionEntry> nodeActionEntries(const DeveloperState& developer, const DesktopActions& desktop,
                                               const StorageNode& node) {
    using Action = NodeActionEntry::Action;
    std::vector<NodeActionEntry> entries;
    if (!developer.candidateIDs(node).empty()) {
        entries.push_back({Action::cleanThis, "Clean this\u2026"});
        entries.push_back({Action::toggleSelection,
                           developer.isSelected(node) ? "Remove from selection" : "Add to selection"});
        entries.push_back({std::nullopt, {}});
    }
    if (!node.isLeaf()) entries.push_back({Action::focusHere, "Focus here"});
    if (FileTreeScanner::isMountPoint(node)) entries.push_back({Action::focusHere, "Scan on its own"});
    if (node.path) {
        entries.push_back({Action::revealInFileManager, platformWords::revealIn(desktop.fileManagerName())});
        entries.push_back({Action::copyPath, "Copy path"});
    } else if (FileTreeScanner::isRemainderID(node.id)) {
        // A folder's smaller items have no path of their own, only their folder's.
        entries.push_back({Action::revealInFileManager, platformWords::showIn(desktop.fileManagerName())});
    }
    entries.push_back({std::nullopt, {}});
    entries.push_back({Action::neverTouch, "Never touch this"});
    return entries;
}

std::vector<NodeActionEntry> summedItemsActionEntries(const DesktopActions& desktop, const StorageNode& folder) {
    if (!folder.path) return {};
    return {{NodeActionEntry::Action::revealInFileManager, platformWords::showIn(desktop.fileManagerName())}};
}

void runNodeAction(DeveloperState& developer, NavigationState& navigation, const DesktopActions& desktop,
                   NodeActionEntry::Action action, const StorageNode& node) {
    switch (action) {
        case NodeActionEntry::Action::cleanThis:
            developer.reviewCandidates(node);
            break;
        case NodeActionEntry::Action::toggleSelection:
            developer.toggleSelection(node);
            break;
        case NodeActionEntry::Action::focusHere:
            navigation.select(node);
            break;
        case NodeActionEntry::Action::revealInFileManager:
            desktop.revealInFileManager(node);
            break;
        case NodeActionEntry::Action::copyPath:
            desktop.copyPath(node);
            break;
        case NodeActionEntry::Action::neverTouch:
            developer.neverTouch(node);
            break;
    }
}

}  // namespace korvane
