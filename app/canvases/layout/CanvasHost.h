#pragma once

#include <string>
#include <string_view>

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
    // gives a fresh canvas, while a drill does not. The mode is given by its
    // raw value ("strata", "mindMap"); the filter text is taken untrimmed.
    static std::string identity(std::string_view modeRawValue, std::string_view searchText);
};

}  // namespace korvane
