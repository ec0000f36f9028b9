#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/model/StorageNode.h"

namespace korvane {

class DeveloperState;
class FolderScanState;
class NavigationState;

// What the developer canvas page shows around its canvas.
struct DeveloperCanvasContent {
    // The node on show: the focused node, else the filtered tree.
    const StorageNode* root = nullptr;

    // Header.
    std::string name;
    std::string bytes;
    std::string items;                       // "1,234 items"
    std::optional<std::string> reclaimable;  // "1.2 GB reclaimable"
    // Toolbar.
    std::string blurb;
    bool showsDepth = false;  // sunburst, flame and mind map only
    std::string depth;        // "3"
    // Content: the canvas, or the empty state that takes its place.
    // Before any developer scan there is nothing to measure: the page says
    // so and offers the scan, with no figures in the header.
    static constexpr const char* nothingHereText =
        "This part of your development environment is not holding anything back.";
    enum class Body { noMatch, canvas, nothingHere, notScanned };
    Body body = Body::canvas;
    std::string noMatchTitle;  // Nothing matches “text as typed”
    // What the empty page says; it names the categories the scan left out
    // because they were switched off.
    std::string nothingHereMessage = nothingHereText;
    bool showsFigures = true;  // the header's size and item count
    // Footer.
    std::string selectedCount;  // "3 selected"
    std::string selectedBytes;
    // "Free 10 GB → 12 GB"; below it, what the Trash gives back once emptied.
    std::optional<std::string> freeSpace;
    std::optional<std::string> freeSpaceOnceEmptied;
    bool selectSafeEnabled = false;  // only with a safe candidate on show
    bool clearEnabled = false;
    std::string reviewTitle;  // "Review 2 GB"
    bool reviewEnabled = false;
};

DeveloperCanvasContent developerCanvasContent(const NavigationState& navigation,
                                              const DeveloperState& developer);

// "Toolchains and Docker were switched off in Settings, so this scan did not
// look at them."; none when the scan looked at every category.
std::optional<std::string> switchedOffText(const ScanResult& scan);

// The page before any developer scan.
struct NotScannedText {
    static constexpr const char* symbol = "magnifyingglass";
    static constexpr const char* title = "Not scanned yet";
    static constexpr const char* message =
        "Korvane has not looked at your development tools on this computer yet. A scan takes a few seconds "
        "and removes nothing.";
};

// What the general canvas page shows on its disk-usage section.
struct GeneralCanvasContent {
    enum class Body { tree, scanning, nothingScanned, unreadable };
    Body body = Body::nothingScanned;
    // The scanned folder could not be opened (gone, or not ours to read): why nothing shows.
    std::string unreadableTitle;
    std::string unreadableMessage;
    // With a tree: the focused node, else the scan root; the header names it.
    const StorageNode* root = nullptr;
    // The folders above the one on show, the scan root first: each a way back to it.
    struct Crumb {
        std::string id;
        std::string name;
        std::string help;  // "Go to ~/src"
    };
    std::vector<Crumb> crumbs;
    std::string name;
    std::string bytes;
    std::string files;  // "12,345 files": what the walk counted in the folder on show
    std::string blurb;
};

GeneralCanvasContent generalCanvasContent(const NavigationState& navigation,
                                          const FolderScanState& folderScan);

}  // namespace korvane
