#include "app/theme/NodeStyle.h"

#include "core/model/StorageNode.h"

namespace korvane {

FileKind nodeFileKind(const StorageNode& node) {
    return node.fileKind.value_or(classifyFileKind(node.name, !node.isLeaf()));
}

}  // namespace korvane
