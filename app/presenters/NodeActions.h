#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/state/AppState.h"

namespace korvane {

// One line of a node's context menu: an action with its title, or a divider.
struct NodeActionEntry {
    enum class Action { cleanThis, toggleSelection, focusHere, revealInFileManager, copyPath, neverTouch };

    std::optional<Action> action;  // none: a divider
    std::string title;

    friend bool operator==(const NodeActionEntry&, const NodeActionEntry&) = default;
};

// The node's menu in order: the selection group only when it has removable
// candidates, "Focus here" only with children, the path entries only with a
// path, and "Never touch this" always last after a divider.
std::vector<NodeActionEntry> nodeActionEntries(const AppState& state, const StorageNode& node);

// Runs the entry's one state operation with the node.
void runNodeAction(AppState& state, NodeActionEntry::Action action, const StorageNode& node);

}  // namespace korvane
