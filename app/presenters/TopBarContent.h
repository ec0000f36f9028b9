#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/state/FolderScanState.h"
#include "app/state/NavigationState.h"
#include "app/state/PreferencesState.h"

namespace korvane {

// What the top bar shows.
struct TopBarContent {
    struct Pill {
        std::string symbol;
        std::string title;
        std::string help;  // tooltip; empty for none
        bool isActive = false;
        // History and Settings: whether their sheet is open, as screen readers hear it.
        bool opensWhatIsOpen = false;
    };
    struct Crumb {
        std::string id;
        std::string name;
        bool isLast = false;  // semibold, ink, on the hover colour
    };

    std::vector<Pill> modes;  // general, developer
    Pill history;             // never active
    Pill settings;            // active while the settings sheet is open

    // Developer mode: the chain from the tree's root to the focused node.
    std::vector<Crumb> crumbs;
    // General mode: the scanned folder with "~" for a leading home; before
    // the first result "Scanning ~/src…" while it runs, else "No folder
    // scanned" (both drawn faint).
    std::optional<std::string> scannedFolder;
    bool scannedFolderIsPlaceholder = false;

    // Only in developer mode on a window wide enough for the inspector.
    bool showsFilter = false;
    // Developer mode in a narrower window: a button opens the filter in the
    // crumbs' place. It stands out while the filter holds text.
    bool showsFilterButton = false;
    bool filterButtonHighlighted = false;
    // While the filter holds text: the number of matching items (0 when none).
    std::optional<std::string> badge;
    bool showsClear = false;

    std::string inspectorHelp;
    bool inspectorHighlighted = false;
};

// How wide each crumb shows in `room`, 0 for one left out: from the last
// back, each whole while it fits with the chevron before it; the first that
// no longer fits cut short while `narrowest` of it fits, else left out with
// those before it. The last always shows, at least `narrowest` wide.
std::vector<int> crumbWidths(const std::vector<int>& whole, int chevron, int narrowest, int room);

TopBarContent topBarContent(const PreferencesState& preferences, const NavigationState& navigation,
                            const FolderScanState& folderScan, bool inspectorFits, bool showsInspector,
                            bool showsPopover);

}  // namespace korvane
