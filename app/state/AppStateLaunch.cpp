#include "app/state/AppState.h"

namespace korvane {

// The launch options (--theme, --section, --canvas, --folder, --mode,
// --screen) arrive with their parser; until then the arguments change nothing.
void AppState::applyLaunchArguments() {}

}  // namespace korvane
