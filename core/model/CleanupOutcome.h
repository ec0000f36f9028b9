#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "core/model/Categories.h"
#include "core/model/UUID.h"

namespace korvane {

// What happened to one candidate during a cleanup.
struct CleanupOutcome {
    enum class Status { deleted, trashed, pruned, skipped, failed };

    // The path text of an outcome whose candidate is removed by a command.
    static constexpr std::string_view commandPath = "\u2014";

    UUID candidateID;
    CleanupCategory category = CleanupCategory::xcode;
    std::string title;
    std::string path;
    // What a removed item measured as it went (allocated bytes; nothing for
    // one name of a file that has others); for a command, what its tool
    // says it freed, else the scan's figure, as for an item not removed.
    std::int64_t expectedBytes = 0;
    Status status = Status::skipped;
    std::optional<std::string> message;
    // Plain path of the item inside the Trash, for trashed outcomes.
    std::optional<std::string> trashURL;
    // Put back from the Trash after the cleanup, so it did not stay removed.
    // Stored only when set: history written without it reads as before.
    bool putBack = false;
    // What a put back brought back, when it was less than went (another
    // program took part of it out of the Trash). Stored only when set.
    std::optional<std::int64_t> putBackBytes;
    // What a removal stopped partway, or a command that fell short of what
    // it offered, freed of an item that is still there; 0 for every other
    // outcome. Stored only when above 0.
    std::int64_t removedBytes = 0;

    CleanupOutcome() = default;
    CleanupOutcome(UUID candidateID, CleanupCategory category, std::string title, std::string path,
                   std::int64_t expectedBytes, Status status, std::optional<std::string> message,
                   std::optional<std::string> trashURL = std::nullopt)
        : candidateID(candidateID), category(category), title(std::move(title)), path(std::move(path)),
          expectedBytes(expectedBytes), status(status), message(std::move(message)), trashURL(std::move(trashURL)) {}

    // Deleted, trashed or pruned.
    bool succeeded() const;
    // Of a put back item, what came back; 0 for any other.
    std::int64_t returnedBytes() const;

    static std::optional<Status> statusFromRawValue(std::string_view text);

    friend bool operator==(const CleanupOutcome&, const CleanupOutcome&) = default;
};

std::string_view rawValue(CleanupOutcome::Status status);
const std::array<CleanupOutcome::Status, 5>& allCleanupStatuses();

void to_json(nlohmann::json& j, const CleanupOutcome& value);
void from_json(const nlohmann::json& j, CleanupOutcome& value);

}  // namespace korvane
