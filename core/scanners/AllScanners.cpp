#include "core/scanners/AllScanners.h"

// One include and one line per scanner, in the categories' declaration order.

namespace korvane {

std::vector<std::unique_ptr<CategoryScanner>> makeAllScanners() {
    std::vector<std::unique_ptr<CategoryScanner>> scanners;
    return scanners;
}

}  // namespace korvane
