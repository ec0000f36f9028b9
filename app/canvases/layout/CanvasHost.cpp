#include "app/canvases/layout/CanvasHost.h"

namespace korvane {

std::string CanvasHost::identity(AppState::CanvasMode mode, std::string_view searchText) {
    std::string text(rawValue(mode));
    text += '-';
    text += searchText;
    return text;
}

}  // namespace korvane
