#include "app/canvases/CanvasFactory.h"

#include "app/canvases/AgeMapCanvas.h"
#include "app/canvases/BarsCanvas.h"
#include "app/canvases/BubblesCanvas.h"
#include "app/canvases/FlameCanvas.h"
#include "app/canvases/FoldersCanvas.h"
#include "app/canvases/MindMapCanvas.h"
#include "app/canvases/StrataCanvas.h"
#include "app/canvases/SunburstCanvas.h"
#include "app/canvases/TableCanvas.h"
#include "app/canvases/TreemapCanvas.h"
#include "app/canvases/layout/CanvasHost.h"

namespace korvane {

CanvasBase* makeCanvas(AppState::CanvasMode mode, AppState& state, QWidget* parent) {
    switch (mode) {
        case AppState::CanvasMode::strata:
            return new StrataCanvas(state, parent);
        case AppState::CanvasMode::treemap:
            return new TreemapCanvas(state, parent);
        case AppState::CanvasMode::sunburst:
            return new SunburstCanvas(state, parent);
        case AppState::CanvasMode::flame:
            return new FlameCanvas(state, parent);
        case AppState::CanvasMode::bars:
            return new BarsCanvas(state, parent);
        case AppState::CanvasMode::ageMap:
            return new AgeMapCanvas(state, parent);
        case AppState::CanvasMode::folders:
            return new FoldersCanvas(state, parent);
        case AppState::CanvasMode::bubbles:
            return new BubblesCanvas(state, parent);
        case AppState::CanvasMode::mindMap:
            return new MindMapCanvas(state, parent);
        case AppState::CanvasMode::table:
            return new TableCanvas(state, parent);
    }
    // No default above, so that the compiler names a mode left out; a value
    // outside the modes draws as the first one.
    return new StrataCanvas(state, parent);
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
