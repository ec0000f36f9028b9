#include "app/presenters/TopBarContent.h"

#include "app/state/PlatformWords.h"
#include "core/system/Paths.h"

namespace korvane {

TopBarContent topBarContent(const AppState& state, bool inspectorFits, bool showsInspector, bool showsPopover) {
    TopBarContent content;
    content.modes = {
        {"internaldrive", "General", std::string(platformWords::generalModeBlurb),
         state.preferences().mode() == AppState::Mode::general},
        {"hammer", "Developer", "Xcode, Docker, Node and the rest \u2014 what your tools left behind",
         state.preferences().mode() == AppState::Mode::developer},
    };
    content.history = {"chart.line.uptrend.xyaxis", "History", {}, false};
    content.settings = {"gearshape", "Settings", {}, state.navigation().sheet() == AppState::Sheet::settings};

    if (state.preferences().mode() == AppState::Mode::developer) {
        const auto chain = state.navigation().breadcrumb();
        for (std::size_t i = 0; i < chain.size(); ++i)
            content.crumbs.push_back({chain[i]->id, chain[i]->name, i + 1 == chain.size()});
    } else if (state.folderScan().generalResult()) {
        content.scannedFolder = Paths::abbreviatingHome(state.folderScan().scanRoot());
    } else if (state.folderScan().isScanningFolder()) {
        content.scannedFolder = "Scanning " + Paths::abbreviatingHome(state.folderScan().scanRoot()) + "\u2026";
        content.scannedFolderIsPlaceholder = true;
    } else {
        content.scannedFolder = "No folder scanned";
        content.scannedFolderIsPlaceholder = true;
    }

    content.showsFilter = state.preferences().mode() == AppState::Mode::developer && inspectorFits;
    if (!state.navigation().searchText().empty()) {
        // A tree cut down to a bare root still counts the root as one leaf.
        content.badge = std::to_string(state.navigation().searchHasNoMatches() ? 0 : state.navigation().visibleItemCount());
        content.showsClear = true;
    }
    content.inspectorHelp = inspectorFits ? "Show or hide the inspector" : "Show the inspector";
    content.inspectorHighlighted = showsInspector || showsPopover;
    return content;
}

}  // namespace korvane
