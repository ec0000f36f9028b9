#include "app/presenters/NodeActions.h"

#include "app/presenters/ItemKind.h"
#include "app/state/DesktopActions.h"
#include "app/state/DeveloperState.h"
#include "app/state/NavigationState.h"
#include "app/state/PlatformWords.h"
#include "app/state/PreferencesState.h"
#include "app/state/TreeNavigation.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/system/TrashFolders.h"

namespace korvane {

std::vector<NodeActionEntry> nodeActionEntries(const DeveloperState& developer, const DesktopActions& desktop,
                                               const StorageNode& node) {
    using Action = NodeActionEntry::Action;
    std::vector<std::vector<NodeActionEntry>> groups(3);
    if (!developer.candidateIDs(node).empty()) {
        groups[0].push_back({Action::cleanThis, "Clean this\u2026"});
        groups[0].push_back({Action::toggleSelection,
                             developer.isSelected(node) ? "Remove from selection" : "Add to selection"});
    }
    if (TreeNavigation::opens(node)) groups[1].push_back({Action::focusHere, "Focus here"});
    if (FileTreeScanner::isMountPoint(node)) groups[1].push_back({Action::focusHere, "Scan on its own"});
    if (node.path) {
        groups[1].push_back(
            {Action::revealInFileManager, platformWords::revealIn(desktop.fileManagerName())});
        groups[1].push_back({Action::copyPath, "Copy path"});
    } else if (FileTreeScanner::isRemainderID(node.id)) {
        // A folder's smaller items have no path of their own, only their folder's.
        groups[1].push_back({Action::revealInFileManager, platformWords::showIn(desktop.fileManagerName())});
    }
    // In general mode the canvas reaches files no list shows: they go from
    // here. Another file system mounted here is no item of this scan; what
    // a scan started at the Trash lists stays for putting back or emptying.
    if (developer.preferences().mode() == Mode::general && node.path && isWalkedNode(node) &&
        node.kind != StorageNode::Kind::root && !FileTreeScanner::isMountPoint(node) &&
        !developer.preferences().settings().overlapsExcluded(*node.path) &&
        !TrashFolders().holding(*node.path))
        groups[1].push_back({Action::remove, "Remove\u2026"});
    // What a toolchain counts but offers not is no place that could be marked;
    // a node without a path of its own, or one marked already (the folder scan
    // keeps it), shows the mark it cannot take, as the inspector does.
    const bool marked = developer.preferences().mode() == Mode::general && node.path &&
                        developer.preferences().settings().isExcluded(*node.path);
    if (!node.isNotOffered())
        groups[2].push_back({Action::neverTouch, "Never touch this", node.path.has_value() && !marked});
    // Dividers stand only between groups.
    std::vector<NodeActionEntry> entries;
    for (const auto& group : groups) {
        if (group.empty()) continue;
        if (!entries.empty()) entries.push_back({std::nullopt, {}});
        entries.insert(entries.end(), group.begin(), group.end());
    }
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
        case NodeActionEntry::Action::remove: {
            const DeveloperState::Staging staging = developer.stageUserChoice({FileTreeScanner::Entry::of(node)});
            // Nothing to review: the alert says why, as a list's bar would.
            if (!staging.staged && staging.leftOut) developer.setErrorMessage(*staging.leftOut);
            break;
        }
        case NodeActionEntry::Action::neverTouch:
            developer.neverTouch(node);
            break;
    }
}

}  // namespace korvane
