#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/model/Categories.h"

namespace korvane {

// One choice of the disposal picker; no value stands for the disposal
// recommended per item.
struct DisposalOption {
    std::optional<Disposal> value;
    std::string title;
    std::string caption;
    std::string symbol;

    friend bool operator==(const DisposalOption&, const DisposalOption&) = default;
};

// Recommended, always to the Trash, always delete: the review sheet's three.
std::vector<DisposalOption> defaultDisposalOptions();

// The option matching the override (no value matches only no value), or the
// first option when none matches. `options` is never empty.
const DisposalOption& currentDisposalOption(const std::vector<DisposalOption>& options,
                                            std::optional<Disposal> disposalOverride);
bool isSelected(const DisposalOption& option, std::optional<Disposal> disposalOverride);

}  // namespace korvane
