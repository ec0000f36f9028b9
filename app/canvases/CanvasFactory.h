#pragma once

#include <string>
#include <string_view>

#include "app/canvases/CanvasParts.h"
#include "app/state/ViewChoices.h"

class QWidget;

namespace korvane {

class CanvasBase;

// The one place that creates the canvas of a mode, with its private state at
// its initial values.
CanvasBase* makeCanvas(CanvasMode mode, const CanvasParts& parts, QWidget* parent);

// The depth a canvas is given from the depth setting (1 to 3): the sunburst
// draws as many rings as the setting, the flame four rows more, the mind map
// never fewer than two rings; 0 for canvases without one.
int canvasDepth(CanvasMode mode, int depthSetting);

// A canvas keeps its private state (hover, zoom, opened rows) for as long as
// this text stays the same: a new mode or any change of the filter text gives
// a fresh canvas, while a drill does not. It is the mode's raw value
// ("strata", "mindMap"), "-" and the filter text untrimmed.
std::string canvasIdentity(CanvasMode mode, std::string_view searchText);

}  // namespace korvane
