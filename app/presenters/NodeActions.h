#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/model/StorageNode.h"

namespace korvane {

class DesktopActions;
class DeveloperState;
class NavigationState;

// One line of a node's context menu: an action with its title, or a divider.
struct NodeActionEntry {
    enum class Action { cleanThis, toggleSelection, focusHere, revealInFileManager, copyPath, remove, neverTouch };

    std::optional<Action> action;  // none: a divider
    std::string title;
    // Shown but not to be chosen: the node lacks what the action needs.
    bool enabled = true;

    friend bool operator==(const NodeActionEntry&, const NodeActionEntry&) = default;
};

// The node's menu in order: the selection group only when it has removable
// candidates, "Focus here" only with children, the path entries only with a
// path (a folder's smaller items show their folder), in general mode
// "Remove…" for a file or folder of the folder scan that is not marked
// "Never touch" nor in a Trash folder, and "Never touch this" last, disabled without a path;
// dividers between groups only. What a toolchain counts but offers not gets
// no entry at all.
std::vector<NodeActionEntry> nodeActionEntries(const DeveloperState& developer, const DesktopActions& desktop,
                                               const StorageNode& node);

// The menu of an item summing items too small to draw one by one: the folder
// that holds them, shown in the file manager; empty when it has no path.
std::vector<NodeActionEntry> summedItemsActionEntries(const DesktopActions& desktop, const StorageNode& folder);

// Runs the entry's one state operation with the node.
void runNodeAction(DeveloperState& developer, NavigationState& navigation, const DesktopActions& desktop,
                   NodeActionEntry::Action action, const StorageNode& node);

}  // namespace korvane
