#pragma once

#include "app/platform/Clock.h"

namespace korvane {

// The system's clock and the machine's local time zone.
class SystemClock final : public Clock {
public:
    std::chrono::system_clock::time_point now() const override;
    QTimeZone timeZone() const override;
};

}  // namespace korvane
