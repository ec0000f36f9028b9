#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/presenters/SpaceProjection.h"
#include "core/model/CleanupCandidate.h"

namespace korvane {

// One candidate in the review list.
struct ReviewRow {
    UUID id;
    SafetyLevel safety = SafetyLevel::safe;
    std::string safetySymbol;
    std::string groupTitle;
    // On one line, a line break in a name shown as a symbol; `fullTitle` and
    // `fullRemoval` as they are, for the tooltip.
    std::string title;
    std::string fullTitle;
    // The command that runs, or the path that goes.
    std::string removal;
    // A command removes its items itself: no disposal applies to it.
    RemovalWay way = RemovalWay::toTrash;
    std::string fullRemoval;
    Disposal disposal = Disposal::trash;
    std::string disposalLabel;
    std::string disposalSymbol;
    // "· " and the hint; absent without one.
    std::optional<std::string> restoreHint;
    // Why the row's size is less than the item seems to hold; absent when it is not.
    std::optional<std::string> sizeNote;
    std::string size;
    // Every row but the last has a divider below it.
    bool showsDivider = false;

    friend bool operator==(const ReviewRow&, const ReviewRow&) = default;
};

// What the review sheet shows for the selected candidates and the chosen disposal.
struct ReviewContent {
    std::int64_t total = 0;
    // Only when some listed item needs a review to restore.
    std::optional<std::string> warning;
    // Only when staging left out some chosen item: what, and why.
    std::optional<std::string> leftOut;
    // Largest first.
    std::vector<ReviewRow> rows;
    // Only when at least one byte goes to the Trash.
    std::optional<std::string> trashNotice;
    // Only when at least one byte is deleted or removed by a command: what
    // cannot be put back.
    std::optional<std::string> permanentNotice;
    std::string cleanTitle;
    bool cleanEnabled = false;

    friend bool operator==(const ReviewContent&, const ReviewContent&) = default;
};

// The override decides every row's disposal; without one each item takes
// the disposal the cleanup would give it.
ReviewContent reviewContent(std::vector<CleanupCandidate> selected, std::optional<Disposal> disposalOverride,
                            std::optional<std::string> leftOut = std::nullopt);

}  // namespace korvane
