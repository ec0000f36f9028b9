#pragma once

namespace korvane {

class DesktopActions;
class DeveloperState;
class NavigationState;

// What a canvas reads and acts on: where the user is (the canvas mode, the
// folder on show and the one selected), the developer selection it marks and
// changes, and the desktop its node menu reveals and copies through.
struct CanvasParts {
    NavigationState& navigation;
    DeveloperState& developer;
    const DesktopActions& desktop;
};

}  // namespace korvane
