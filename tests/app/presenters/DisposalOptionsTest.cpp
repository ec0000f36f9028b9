#include <gtest/gtest.h>

#include "app/presenters/DisposalOptions.h"

namespace korvane {
namespace {

TEST(DisposalOptions, TheThreeDefaultOptionsInOrder) {
    const auto options = defaultDisposalOptions();
    const std::vector<DisposalOption> expected = {
        {std::nullopt, "Recommended", "Delete what rebuilds, Trash the rest", "wand.and.stars"},
        {Disposal::trash, "Always move to Trash", "Recoverable until you empty it", "trash"},
        {Disposal::delete_, "Always delete", "Space returns immediately", "xmark.bin"},
    };
    EXPECT_EQ(options, expected);
}

TEST(DisposalOptions, CurrentAndSelectedFollowTheOverride) {
    const auto options = defaultDisposalOptions();
    struct Case {
        std::optional<Disposal> disposalOverride;
        const char* current;
        std::vector<bool> selected;
    };
    const Case cases[] = {
        {std::nullopt, "Recommended", {true, false, false}},
        {Disposal::trash, "Always move to Trash", {false, true, false}},
        {Disposal::delete_, "Always delete", {false, false, true}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(currentDisposalOption(options, c.disposalOverride).title, c.current);
        for (std::size_t i = 0; i < options.size(); ++i)
            EXPECT_EQ(isSelected(options[i], c.disposalOverride), c.selected[i]) << c.current << " row " << i;
    }
}

TEST(DisposalOptions, AnOverrideNoOptionHoldsShowsTheFirstAndChecksNone) {
    const std::vector<DisposalOption> options = {
        {Disposal::trash, "Trash", "", "trash"},
        {Disposal::delete_, "Delete", "", "xmark.bin"},
    };
    EXPECT_EQ(currentDisposalOption(options, std::nullopt).title, "Trash");
    for (const auto& option : options) EXPECT_FALSE(isSelected(option, std::nullopt));
}

}  // namespace
}  // namespace korvane
