#include "app/presenters/TopBarContent.h"

#include "app/presenters/PlatformWords.h"
#include "core/system/Paths.h"

namespace korvane {

TopBarContent topBarContent(const AppState& state, bool inspectorFits, bool showsInspector, bool showsPopover) {
    TopBarContent content;
    content.modes = {
        {"internaldrive", "General", std::string(platformWords::generalModeBlurb),
         state.mode() == AppState::Mode::general},
        {"hammer", "Developer", "Xcode, Docker, Node and the rest \u2014 what your tools left behind",
         state.mode() == AppState::Mode::developer},
    };
    content.history = {"chart.line.uptrend.xyaxis", "History", {}, false};
    content.settings = {"gearshape", "Settings", {}, state.sheet() == AppState::Sheet::settings};

    if (state.mode() == AppState::Mode::developer) {
        const auto chain = state.breadcrumb();
        for (std::size_t i = 0; i < chain.size(); ++i)
            content.crumbs.push_back({chain[i]->id, chain[i]->name, i + 1 == chain.size()});
    } else if (state.generalResult()) {
        content.scannedFolder = Paths::abbreviatingHome(state.scanRoot());
    } else if (state.isScanningFolder()) {
        content.scannedFolder = "Scanning " + Paths::abbreviatingHome(state.scanRoot()) + "\u2026";
        content.scannedFolderIsPlaceholder = true;
    } else {
        content.scannedFolder = "No folder scanned";
        content.scannedFolderIsPlaceholder = true;
    }

    content.showsFilter = state.mode() == AppState::Mode::developer && inspectorFits;
    if (!state.searchText().empty()) {
        // A tree cut down to a bare root still counts the root as one leaf.
        content.badge = std::to_string(state.searchHasNoMatches() ? 0 : state.visibleItemCount());
        content.showsClear = true;
    }
    content.inspectorHelp = inspectorFits ? "Show or hide the inspector" : "Show the inspector";
    content.inspectorHighlighted = showsInspector || showsPopover;
    return content;
}

}  // namespace korvane
