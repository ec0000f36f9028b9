#pragma once

#include <string>
#include <string_view>

#include "app/state/AppState.h"

namespace korvane {

// What the canvas host derives from the application's depth setting and
// canvas mode, kept apart from any widget so both pages share one rule.
struct CanvasHost {
    // The sunburst draws as many rings as the setting says (1 to 3).
    static int sunburstDepth(int depthSetting) { return depthSetting; }
    // The flame shows four rows more than the setting.
    static int flameMaxDepth(int depthSetting) { return depthSetting + 4; }
    // The mind map never draws fewer than two rings.
    static int mindMapMaxDepth(int depthSetting) { return depthSetting > 2 ? depthSetting : 2; }

    // A canvas keeps its private state (hover, zoom, opened rows) for as long
    // as this text stays the same: a new mode or any change of the filter text
    // gives a fresh canvas, while a drill does not. It is the mode's raw value
    // ("strata", "mindMap"), "-" and the filter text untrimmed.
    static std::string identity(AppState::CanvasMode mode, std::string_view searchText);
};

}  // namespace korvane
