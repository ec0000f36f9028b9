#pragma once

#include "app/state/ViewChoices.h"

namespace korvane {

// Which columns the explore layout shows beside its sidebar and canvas page.
struct ExploreColumns {
    static constexpr double sidebarWidth = 248;
    static constexpr double inspectorWidth = 296;
    // The narrowest window with room for the inspector column.
    static constexpr double inspectorMinimumWindowWidth = 1140;

    // The user wants the inspector, and the page is one it serves: every
    // developer page, only the disk-usage page of general mode.
    bool inspectorWanted = false;
    bool inspectorFits = false;
    bool showsInspectorColumn = false;

    friend bool operator==(const ExploreColumns&, const ExploreColumns&) = default;
};

ExploreColumns exploreColumns(double windowWidth, bool showsInspector, Mode mode, GeneralSection section);

}  // namespace korvane
