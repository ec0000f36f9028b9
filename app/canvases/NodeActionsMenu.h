#pragma once

#include "app/canvases/CanvasParts.h"
#include "core/model/StorageNode.h"

class QMenu;
class QWidget;

namespace korvane {

// The node's context menu from its entry list. The menu holds its own copy of
// the node, so its actions still run when the tree changes while it is open.
QMenu* makeNodeActionsMenu(const CanvasParts& parts, StorageNode node, QWidget* parent);

}  // namespace korvane
