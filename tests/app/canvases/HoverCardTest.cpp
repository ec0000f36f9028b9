#include <gtest/gtest.h>

#include <QFontMetricsF>

#include "app/canvases/HoverCard.h"
#include "app/theme/AppFont.h"

using namespace korvane;

namespace {

HoverCardContent card(std::string name, std::optional<SafetyLevel> safety) {
    return {CleanupCategory::node, std::move(name), safety,        "312",       "MB",
            "\u00B7 5.0%",         std::nullopt,    "2 years ago", std::nullopt, std::nullopt};
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
        qsizetype lines = 1;
    };
    // clang-format off
    for (const auto& c : {Case{"npm", SafetyLevel::safe, true, false},
                          Case{"Packages of the toolchain", SafetyLevel::caution, true, true},
                          Case{"Package caches of every toolchain", SafetyLevel::caution, true, true},
                          Case{"Package caches of every toolchain", std::nullopt, true, true},
                          Case{std::string(60, 'x'), SafetyLevel::dangerous, true, true, 2},
                          Case{std::string(200, 'x'), SafetyLevel::dangerous, false, true, 2}}) {
        // clang-format on
        const auto content = card(c.name, c.safety);
        const QStringList lines = HoverCard::lines(content).name;
        EXPECT_EQ(lines.join(QString()) == QString::fromStdString(c.name), c.whole) << c.name;
        EXPECT_EQ(lines.size(), c.lines) << c.name;
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
    EXPECT_EQ(HoverCard::lines(below).name, HoverCard::lines(untagged).name);
}

// Two files of one name tell apart by the folder each lies in: one line when
// it fits, else two broken at a slash, never more.
TEST(HoverCard, TheFolderLineWrapsAtASlash) {
    const std::string deep =
        "~/.android/sdk/system-images/android-34/google_apis/x86_64/and/more/folders/below/it";
    HoverCardContent none = card("system.img", std::nullopt);
    HoverCardContent near = none;
    near.folder = "~/Downloads";
    HoverCardContent far = none;
    far.folder = deep;
    EXPECT_TRUE(HoverCard::lines(none).folder.isEmpty());
    EXPECT_EQ(HoverCard::lines(near).folder, QStringList{QStringLiteral("~/Downloads")});
    const QStringList lines = HoverCard::lines(far).folder;
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(QLatin1Char('/')));
    EXPECT_EQ(lines[0] + lines[1], QString::fromStdString(deep));
    const double lineHeight = QFontMetricsF(AppFont::small()).height();
    EXPECT_DOUBLE_EQ(HoverCard::size(far).height() - HoverCard::size(near).height(), lineHeight);
    EXPECT_GT(HoverCard::size(near).height(), HoverCard::size(none).height());
}
