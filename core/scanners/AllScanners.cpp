#include "core/scanners/AllScanners.h"

// Each scanner is listed once its header is in the tree, so that the list
// never names a scanner that is not there (every commit builds) and nobody
// has to edit this file to add one.
#if __has_include("core/scanners/XcodeScanner.h")
#include "core/scanners/XcodeScanner.h"
#define KORVANE_HAS_XCODE_SCANNER 1
#endif
#if __has_include("core/scanners/DockerScanner.h")
#include "core/scanners/DockerScanner.h"
#define KORVANE_HAS_DOCKER_SCANNER 1
#endif
#if __has_include("core/scanners/NodeScanner.h")
#include "core/scanners/NodeScanner.h"
#define KORVANE_HAS_NODE_SCANNER 1
#endif
#if __has_include("core/scanners/AndroidScanner.h")
#include "core/scanners/AndroidScanner.h"
#define KORVANE_HAS_ANDROID_SCANNER 1
#endif
#if __has_include("core/scanners/GradleScanner.h")
#include "core/scanners/GradleScanner.h"
#define KORVANE_HAS_GRADLE_SCANNER 1
#endif
#if __has_include("core/scanners/CocoaPodsScanner.h")
#include "core/scanners/CocoaPodsScanner.h"
#define KORVANE_HAS_COCOAPODS_SCANNER 1
#endif
#if __has_include("core/scanners/ReactNativeScanner.h")
#include "core/scanners/ReactNativeScanner.h"
#define KORVANE_HAS_REACT_NATIVE_SCANNER 1
#endif
#if __has_include("core/scanners/FlutterScanner.h")
#include "core/scanners/FlutterScanner.h"
#define KORVANE_HAS_FLUTTER_SCANNER 1
#endif
#if __has_include("core/scanners/ToolchainScanner.h")
#include "core/scanners/ToolchainScanner.h"
#define KORVANE_HAS_TOOLCHAIN_SCANNER 1
#endif

namespace korvane {

std::vector<std::unique_ptr<CategoryScanner>> makeAllScanners() {
    std::vector<std::unique_ptr<CategoryScanner>> scanners;
#ifdef KORVANE_HAS_XCODE_SCANNER
    scanners.push_back(std::make_unique<XcodeScanner>());
#endif
#ifdef KORVANE_HAS_DOCKER_SCANNER
    scanners.push_back(std::make_unique<DockerScanner>());
#endif
#ifdef KORVANE_HAS_NODE_SCANNER
    scanners.push_back(std::make_unique<NodeScanner>());
#endif
#ifdef KORVANE_HAS_ANDROID_SCANNER
    scanners.push_back(std::make_unique<AndroidScanner>());
#endif
#ifdef KORVANE_HAS_GRADLE_SCANNER
    scanners.push_back(std::make_unique<GradleScanner>());
#endif
#ifdef KORVANE_HAS_COCOAPODS_SCANNER
    scanners.push_back(std::make_unique<CocoaPodsScanner>());
#endif
#ifdef KORVANE_HAS_REACT_NATIVE_SCANNER
    scanners.push_back(std::make_unique<ReactNativeScanner>());
#endif
#ifdef KORVANE_HAS_FLUTTER_SCANNER
    scanners.push_back(std::make_unique<FlutterScanner>());
#endif
#ifdef KORVANE_HAS_TOOLCHAIN_SCANNER
    scanners.push_back(std::make_unique<ToolchainScanner>());
#endif
    return scanners;
}

}  // namespace korvane
