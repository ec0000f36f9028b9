#pragma once

#include "core/scanners/CategoryScanner.h"

#include <memory>
#include <vector>

namespace korvane {

// Every category scanner, one of each, in the categories' declaration order
// (xcode, docker, node, android, gradle, cocoapods, reactNative, flutter,
// toolchains). The engine sorts them into display order itself.
std::vector<std::unique_ptr<CategoryScanner>> makeAllScanners();

}  // namespace korvane
