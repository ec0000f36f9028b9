#include "app/presenters/DisposalOptions.h"

#include <algorithm>

namespace korvane {

std::vector<DisposalOption> defaultDisposalOptions() {
    return {
        {std::nullopt, "Recommended", "Delete what rebuilds, Trash the rest", "wand.and.stars"},
        {Disposal::trash, "Always move to Trash", "Recoverable until you empty it", "trash"},
        {Disposal::delete_, "Always delete", "Space returns immediately", "xmark.bin"},
    };
}

bool isSelected(const DisposalOption& option, std::optional<Disposal> disposalOverride) {
    return option.value == disposalOverride;
}

const DisposalOption& currentDisposalOption(const std::vector<DisposalOption>& options,
                                            std::optional<Disposal> disposalOverride) {
    const auto it = std::ranges::find_if(
        options, [&](const DisposalOption& option) { return isSelected(option, disposalOverride); });
    return it != options.end() ? *it : options.front();
}

}  // namespace korvane
