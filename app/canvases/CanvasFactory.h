#pragma once

#include "app/state/AppState.h"

class QWidget;

namespace korvane {

class CanvasBase;

// The one place that creates the canvas of a mode, with its private state at
// its initial values.
CanvasBase* makeCanvas(AppState::CanvasMode mode, AppState& state, QWidget* parent);

// The depth a canvas is given from the depth setting: the sunburst's rings,
// the flame's and the mind map's maximum depth; 0 for canvases without one.
int canvasDepth(AppState::CanvasMode mode, int depthSetting);

}  // namespace korvane
