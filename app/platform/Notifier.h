#pragma once

#include <functional>
#include <string>

namespace korvane {

// Desktop notifications (the post-scan alerts).
class Notifier {
public:
    virtual ~Notifier() = default;

    // Whether a notification service is there to show anything.
    virtual bool canPost() const = 0;
    // Shows one notification at once; a refusal is dropped silently.
    virtual void post(const std::string& title, const std::string& body) = 0;
    // What a click on a notification posted here does (on the window's
    // thread); an empty function forgets it. A notifier that cannot tell
    // clicks keeps nothing.
    virtual void setOpenHandler(std::function<void()> opened) { (void)opened; }
};

}  // namespace korvane
