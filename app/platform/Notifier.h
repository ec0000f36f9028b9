#pragma once

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
};

}  // namespace korvane
