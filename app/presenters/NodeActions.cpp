#include "app/presenters/NodeActions.h"

#include "app/state/PlatformWords.h"

namespace korvane {

std::vector<NodeActionEntry> nodeActionEntries(const AppState& state, const StorageNode& node) {
    using Action = NodeActionEntry::Action;
    std::vector<NodeActionEntry> entries;
    if (!state.developer().candidateIDs(node).empty()) {
        entries.push_back({Action::cleanThis, "Clean this\u2026"});
        entries.push_back({Action::toggleSelection,
                           state.developer().isSelected(node) ? "Remove from selection" : "Add to selection"});
        entries.push_back({std::nullopt, {}});
    }
    if (!node.isLeaf()) entries.push_back({Action::focusHere, "Focus here"});
    if (node.path) {
        entries.push_back({Action::revealInFileManager, platformWords::revealIn(state.desktop().fileManagerName())});
        entries.push_back({Action::copyPath, "Copy path"});
    }
    entries.push_back({std::nullopt, {}});
    entries.push_back({Action::neverTouch, "Never touch this"});
    return entries;
}

void runNodeAction(AppState& state, NodeActionEntry::Action action, const StorageNode& node) {
    switch (action) {
        case NodeActionEntry::Action::cleanThis:
            state.developer().reviewCandidates(node);
            break;
        case NodeActionEntry::Action::toggleSelection:
            state.developer().toggleSelection(node);
            break;
        case NodeActionEntry::Action::focusHere:
            state.navigation().select(node);
            break;
        case NodeActionEntry::Action::revealInFileManager:
            state.desktop().revealInFileManager(node);
            break;
        case NodeActionEntry::Action::copyPath:
            state.desktop().copyPath(node);
            break;
        case NodeActionEntry::Action::neverTouch:
            state.developer().neverTouch(node);
            break;
    }
}

}  // namespace korvane
