#pragma once

#include "core/model/FileKind.h"

namespace korvane {

struct StorageNode;

// The node's stored file kind, or its name's kind when none is stored (a node
// with children counts as a folder).
FileKind nodeFileKind(const StorageNode& node);

}  // namespace korvane
