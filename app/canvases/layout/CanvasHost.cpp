#include "app/canvases/layout/CanvasHost.h"

namespace korvane {

std::string CanvasHost::identity(std::string_view modeRawValue, std::string_view searchText) {
    std::string text(modeRawValue);
    text += '-';
    text += searchText;
    return text;
}

}  // namespace korvane
