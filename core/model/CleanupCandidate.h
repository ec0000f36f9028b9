#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "core/model/Categories.h"
#include "core/model/DetailMap.h"
#include "core/model/ItemIdentity.h"
#include "core/model/UUID.h"

namespace korvane {

// One removable finding of a developer scan.
struct CleanupCandidate {
    UUID id;
    CleanupCategory category = CleanupCategory::xcode;
    std::string ruleID;
    std::string groupTitle;
    std::string title;
    std::string path;  // absolute, standardised; untouched for a command removal
    std::int64_t size = 0;
    SafetyLevel safety = SafetyLevel::safe;
    std::string reason;
    std::optional<std::string> restoreHint;
    std::optional<std::chrono::system_clock::time_point> lastModified;
    DetailMap details;
    RemovalKind removal;
    bool isSelectedByDefault = true;
    // The candidate that must be gone first when both are in one cleanup: an
    // application before what it left behind, which stays when it does.
    std::optional<UUID> prerequisite;
    // What the scan saw of the file or folder (a developer scan's finding,
    // or one the user picked by hand): the review and the cleanup leave it
    // out once something else stands at its path. Stored only when known.
    std::optional<ItemIdentity> seen;

    CleanupCandidate() = default;
    // Without `isSelectedByDefault`, a candidate starts selected exactly when
    // it is safe.
    CleanupCandidate(UUID id, CleanupCategory category, std::string ruleID, std::string groupTitle,
                     std::string title, std::string path, std::int64_t size, SafetyLevel safety,
                     std::string reason, std::optional<std::string> restoreHint,
                     std::optional<std::chrono::system_clock::time_point> lastModified,
                     DetailMap details, RemovalKind removal,
                     std::optional<bool> isSelectedByDefault = std::nullopt);

    friend bool operator==(const CleanupCandidate&, const CleanupCandidate&) = default;
};

void to_json(nlohmann::json& j, const CleanupCandidate& value);
void from_json(const nlohmann::json& j, CleanupCandidate& value);

}  // namespace korvane
