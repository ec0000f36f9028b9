#include "app/presenters/TopBarContent.h"

#include <algorithm>

#include "app/presenters/OneLineText.h"
#include "app/state/PlatformWords.h"
#include "core/system/Paths.h"

namespace korvane {

TopBarContent topBarContent(const PreferencesState& preferences, const NavigationState& navigation,
                            const FolderScanState& folderScan, bool inspectorFits, bool showsInspector,
                            bool showsPopover) {
    TopBarContent content;
    content.modes = {
        {"internaldrive", "General", std::string(platformWords::generalModeBlurb),
         preferences.mode() == Mode::general},
        {"hammer", "Developer", "Xcode, Docker, Node and the rest \u2014 what your tools left behind",
         preferences.mode() == Mode::developer},
    };
    content.history = {
        "chart.line.uptrend.xyaxis", "History", {}, false, navigation.sheet() == Sheet::history};
    content.settings = {"gearshape",
                        "Settings",
                        {},
                        navigation.sheet() == Sheet::settings,
                        navigation.sheet() == Sheet::settings};

    // Names are shown whole on one line: a line break in one is shown, not followed.
    if (preferences.mode() == Mode::developer) {
        const auto chain = navigation.breadcrumb();
        for (std::size_t i = 0; i < chain.size(); ++i)
            content.crumbs.push_back({chain[i]->id, oneLineText(chain[i]->name), i + 1 == chain.size()});
    } else if (folderScan.generalResult()) {
        content.scannedFolder = oneLineText(Paths::abbreviatingHome(folderScan.scanRoot()));
    } else if (folderScan.isScanningFolder()) {
        content.scannedFolder = "Scanning " + oneLineText(Paths::abbreviatingHome(folderScan.scanRoot())) + "\u2026";
        content.scannedFolderIsPlaceholder = true;
    } else {
        content.scannedFolder = "No folder scanned";
        content.scannedFolderIsPlaceholder = true;
    }

    content.showsFilter = preferences.mode() == Mode::developer && inspectorFits;
    content.showsFilterButton = preferences.mode() == Mode::developer && !inspectorFits;
    content.filterButtonHighlighted = content.showsFilterButton && !navigation.searchText().empty();
    if (!navigation.searchText().empty()) {
        content.badge = std::to_string(navigation.visibleItemCount());
        content.showsClear = true;
    }
    content.inspectorHelp = inspectorFits ? "Show or hide the inspector" : "Show the inspector";
    content.inspectorHighlighted = showsInspector || showsPopover;
    return content;
}

std::vector<int> crumbWidths(const std::vector<int>& whole, int chevron, int narrowest, int room) {
    std::vector<int> shown(whole.size(), 0);
    int left = room;
    for (std::size_t i = whole.size(); i-- > 0;) {
        const int mark = i > 0 ? chevron : 0;
        if (whole[i] + mark <= left) {
            shown[i] = whole[i];
            left -= whole[i] + mark;
            continue;
        }
        const bool last = i + 1 == whole.size();
        if (left - mark >= narrowest || last) shown[i] = std::max(left - mark, std::min(narrowest, whole[i]));
        break;
    }
    return shown;
}

}  // namespace korvane
