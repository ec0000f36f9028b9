#pragma once

#include "app/canvases/CanvasParts.h"
#include "core/model/StorageNode.h"

class QMenu;
class QWidget;

namespace korvane {

// The node's context menu from its entry list. The menu holds its own copy of
// the node, so its actions still run when the tree changes while it is open;
// none when nothing applies to the node.
QMenu* makeNodeActionsMenu(const CanvasParts& parts, StorageNode node, QWidget* parent);
// The menu of an item summing the smallest items of `folder`; none when it offers nothing.
QMenu* makeSummedItemsMenu(const CanvasParts& parts, const StorageNode& folder, QWidget* parent);

}  // namespace korvane
