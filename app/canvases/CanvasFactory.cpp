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

namespace korvane {

CanvasBase* makeCanvas(CanvasMode mode, const CanvasParts& parts, QWidget* parent) {
    switch (mode) {
        case CanvasMode::strata:
            return new StrataCanvas(parts, parent);
        case CanvasMode::treemap:
            return new TreemapCanvas(parts, parent);
        case CanvasMode::sunburst:
            return new SunburstCanvas(parts, parent);
        case CanvasMode::flame:
            return new FlameCanvas(parts, parent);
        case CanvasMode::bars:
            return new BarsCanvas(parts, parent);
        case CanvasMode::ageMap:
            return new AgeMapCanvas(parts, parent);
        case CanvasMode::folders:
            return new FoldersCanvas(parts, parent);
        case CanvasMode::bubbles:
            return new BubblesCanvas(parts, parent);
        case CanvasMode::mindMap:
            return new MindMapCanvas(parts, parent);
        case CanvasMode::table:
            return new TableCanvas(parts, parent);
    }
    // No default above, so that the compiler names a mode left out; a value
    // outside the modes draws as the first one.
    return new StrataCanvas(parts, parent);
}

int canvasDepth(CanvasMode mode, int depthSetting) {
    switch (mode) {
        case CanvasMode::sunburst:
            return depthSetting;
        case CanvasMode::flame:
            return depthSetting + 4;
        case CanvasMode::mindMap:
            return depthSetting > 2 ? depthSetting : 2;
        case CanvasMode::strata:
        case CanvasMode::ageMap:
        case CanvasMode::treemap:
        case CanvasMode::folders:
        case CanvasMode::bubbles:
        case CanvasMode::bars:
        case CanvasMode::table:
            return 0;
    }
    return 0;
}

std::string canvasIdentity(CanvasMode mode, std::string_view searchText) {
    std::string text(rawValue(mode));
    text += '-';
    text += searchText;
    return text;
}

}  // namespace korvane
