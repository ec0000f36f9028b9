#pragma once

#include "app/platform/Compositor.h"

namespace korvane {

// Asks the display server: on X11 whether a compositing manager owns the
// screen's _NET_WM_CM_S<n> selection; Wayland always composites; anything
// else (offscreen, minimal) does not.
class DesktopCompositor final : public Compositor {
public:
    bool isComposited() const override;
};

}  // namespace korvane
