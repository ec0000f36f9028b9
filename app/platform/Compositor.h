#pragma once

namespace korvane {

// Whether the desktop blends a window's translucent pixels with what lies
// beneath it. Without a compositing manager they come out black, so popups
// draw a soft shadow only when this says yes.
class Compositor {
public:
    virtual ~Compositor() = default;

    virtual bool isComposited() const = 0;

    // The one popups ask: the desktop's own unless a test put in another.
    static const Compositor& current();
    // Null gives back the desktop's own.
    static void setCurrent(const Compositor* compositor);
};

}  // namespace korvane
