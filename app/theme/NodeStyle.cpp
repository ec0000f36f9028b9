#include "app/theme/NodeStyle.h"

#include "app/presenters/ItemKind.h"
#include "core/model/StorageNode.h"

namespace korvane {

FileKind nodeFileKind(const StorageNode& node) {
    return node.fileKind.value_or(classifyFileKind(node.name, !node.isLeaf()));
}

std::string_view categorySymbol(const StorageNode& node) {
    if (node.category) return symbolName(*node.category);
    return itemSymbol(node);
}

}  // namespace korvane
