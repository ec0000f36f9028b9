#pragma once

#include <chrono>
#include <string>

#include "core/model/CleanupCandidate.h"

namespace korvane::samples {

inline std::chrono::system_clock::time_point date(std::int64_t secondsSinceEpoch) {
    return std::chrono::system_clock::time_point{} + std::chrono::seconds{secondsSinceEpoch};
}

inline CleanupCandidate candidate(CleanupCategory category, const std::string& ruleID, std::int64_t size,
                                  SafetyLevel safety = SafetyLevel::safe, const std::string& title = "item") {
    return CleanupCandidate(UUID::random(), category, ruleID, "Group " + ruleID, title, "/home/u/" + title, size,
                            safety, "Reason " + ruleID + " " + title, "Hint " + title, std::nullopt, {},
                            RemovalKind::path());
}

}  // namespace korvane::samples
