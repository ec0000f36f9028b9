#include "app/canvases/CanvasFactory.h"

#include "app/canvases/PendingCanvas.h"
#include "app/canvases/StrataCanvas.h"
#include "app/canvases/layout/CanvasHost.h"

namespace korvane {

CanvasBase* makeCanvas(AppState::CanvasMode mode, AppState& state, QWidget* parent) {
    switch (mode) {
        case AppState::CanvasMode::strata:
            return new StrataCanvas(state, parent);
        default:
            return new PendingCanvas(state, mode, parent);
    }
}

int canvasDepth(AppState::CanvasMode mode, int depthSetting) {
    switch (mode) {
        case AppState::CanvasMode::sunburst:
            return CanvasHost::sunburstDepth(depthSetting);
        case AppState::CanvasMode::flame:
            return CanvasHost::flameMaxDepth(depthSetting);
        case AppState::CanvasMode::mindMap:
            return CanvasHost::mindMapMaxDepth(depthSetting);
        default:
            return 0;
    }
}

}  // namespace korvane
