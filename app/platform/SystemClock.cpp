#include "app/platform/SystemClock.h"

namespace korvane {

std::chrono::system_clock::time_point SystemClock::now() const { return std::chrono::system_clock::now(); }

QTimeZone SystemClock::timeZone() const { return QTimeZone::systemTimeZone(); }

}  // namespace korvane
