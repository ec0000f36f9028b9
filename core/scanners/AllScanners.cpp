#include "core/scanners/AllScanners.h"

#include "core/scanners/AndroidScanner.h"
#include "core/scanners/CocoaPodsScanner.h"
#include "core/scanners/DockerScanner.h"
#include "core/scanners/FlutterScanner.h"
#include "core/scanners/GradleScanner.h"
#include "core/scanners/NodeScanner.h"
#include "core/scanners/ReactNativeScanner.h"
#include "core/scanners/ToolchainScanner.h"
#include "core/scanners/XcodeScanner.h"

namespace korvane {

std::vector<std::unique_ptr<CategoryScanner>> makeAllScanners() {
    std::vector<std::unique_ptr<CategoryScanner>> scanners;
    scanners.push_back(std::make_unique<XcodeScanner>());
    scanners.push_back(std::make_unique<DockerScanner>());
    scanners.push_back(std::make_unique<NodeScanner>());
    scanners.push_back(std::make_unique<AndroidScanner>());
    scanners.push_back(std::make_unique<GradleScanner>());
    scanners.push_back(std::make_unique<CocoaPodsScanner>());
    scanners.push_back(std::make_unique<ReactNativeScanner>());
    scanners.push_back(std::make_unique<FlutterScanner>());
    scanners.push_back(std::make_unique<ToolchainScanner>());
    return scanners;
}

}  // namespace korvane
