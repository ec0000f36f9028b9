#include <gtest/gtest.h>

#include <QFontMetricsF>

#include "app/canvases/HoverCard.h"

using namespace korvane;

namespace {

HoverCardContent card(std::string name, std::optional<SafetyLevel> safety) {
    return {CleanupCategory::node, std::move(name), safety,        "312",       "MB",
            "\u00B7 5.0%",         std::nullopt,    "2 years ago", std::nullopt};
}

}  // namespace

TEST(HoverCard, TheNameShowsInFullUpToTheWidestCard) {
    const double narrowest = HoverCard::contentWidth + 2 * HoverCard::horizontalPadding;
    const double widest = HoverCard::widestContent + 2 * HoverCard::horizontalPadding;
    struct Case {
        std::string name;
        std::optional<SafetyLevel> safety;
        bool whole;
        bool grows;
    };
    // clang-format off
    for (const auto& c : {Case{"npm", SafetyLevel::safe, true, false},
                          Case{"Packages of the toolchain", SafetyLevel::caution, true, true},
                          Case{"Package caches of every toolchain", SafetyLevel::caution, true, true},
                          Case{"Package caches of every toolchain", std::nullopt, true, true},
                          Case{std::string(200, 'x'), SafetyLevel::dangerous, false, true}}) {
        // clang-format on
        const auto content = card(c.name, c.safety);
        const QString shown = HoverCard::shownName(content);
        EXPECT_EQ(shown == QString::fromStdString(c.name), c.whole) << c.name;
        EXPECT_FALSE(shown.isEmpty());
        const double width = HoverCard::size(content).width();
        EXPECT_EQ(width > narrowest, c.grows) << c.name;
        EXPECT_LE(width, widest);
        if (!c.whole) {
            EXPECT_DOUBLE_EQ(width, widest);
        }
    }
}

TEST(HoverCard, ATagThatLeavesTheNameNoRoomMovesToItsOwnLine) {
    const auto beside = card("Packages of the toolchain", SafetyLevel::caution);
    const auto below = card("Package caches of every toolchain", SafetyLevel::caution);
    const auto untagged = card("Package caches of every toolchain", std::nullopt);
    EXPECT_DOUBLE_EQ(HoverCard::size(beside).height(), HoverCard::size(card("x", SafetyLevel::caution)).height());
    EXPECT_GT(HoverCard::size(below).height(), HoverCard::size(untagged).height());
    EXPECT_EQ(HoverCard::shownName(below), HoverCard::shownName(untagged));
}
