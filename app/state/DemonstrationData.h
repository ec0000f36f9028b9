#pragma once

#include <chrono>

#include "core/model/CleanupReport.h"
#include "core/model/ScanResult.h"

namespace korvane {

// The fixed scan and cleanup report that stand in when the program is started
// straight into a screen (for screenshots) and there is no saved scan. Every
// call builds them afresh, with new candidate ids.
struct DemonstrationData {
    DemonstrationData() = delete;

    static ScanResult scan(std::chrono::system_clock::time_point now = std::chrono::system_clock::now());
    static CleanupReport report(std::chrono::system_clock::time_point now = std::chrono::system_clock::now());
};

}  // namespace korvane
