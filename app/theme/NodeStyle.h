#pragma once

#include <string_view>

#include "core/model/FileKind.h"

namespace korvane {

struct StorageNode;

// The node's stored file kind, or its name's kind when none is stored (a node
// with children counts as a folder).
FileKind nodeFileKind(const StorageNode& node);

// The symbol name of a node: its category's symbol, else what it is (a
// folder, a sum of smaller items, or a file of its kind).
std::string_view categorySymbol(const StorageNode& node);

}  // namespace korvane
