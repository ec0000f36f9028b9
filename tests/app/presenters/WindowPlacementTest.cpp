// Where the window opens: within the screen, and back where it was only
// while a screen still holds it.

#include <gtest/gtest.h>

#include "app/presenters/WindowPlacement.h"

namespace korvane {
namespace {

using windowPlacement::firstPlacement;
using windowPlacement::fitsAScreen;

const QSize minimum(720, 560);

TEST(WindowPlacement, FirstLaunchFitsTheAvailableArea) {
    struct Row {
        const char* what;
        QRect available;
        QRect expected;
    };
    const Row rows[] = {
        // 1180×760 with its frame fits: centred in the room left by the frame.
        {"large screen", {0, 0, 1440, 900}, {130, 86, 1180, 760}},
        {"small screen", {0, 0, 1024, 700}, {8, 40, 1008, 652}},
        {"panel on the left of a second screen", {1500, 0, 1024, 700}, {1508, 40, 1008, 652}},
        // Smaller than the minimum: the area wins, the window stays inside it.
        {"tiny screen", {0, 0, 640, 480}, {8, 40, 624, 432}},
    };
    for (const Row& row : rows) {
        const QRect placed = firstPlacement({1180, 760}, minimum, row.available);
        EXPECT_EQ(placed, row.expected) << row.what;
        EXPECT_TRUE(row.available.contains(placed)) << row.what;
    }
}

TEST(WindowPlacement, ASavedPlaceFitsOnlyWhereAScreenHoldsIt) {
    const std::vector<QRect> screens = {{0, 0, 1440, 870}, {1440, 0, 1024, 700}};
    struct Row {
        const char* what;
        QRect saved;
        bool fits;
    };
    const Row rows[] = {
        {"on the first screen", {100, 60, 1180, 760}, true},
        {"on the second screen", {1450, 40, 1000, 640}, true},
        {"across both screens", {1000, 60, 1180, 600}, false},
        {"taller than the screen it was on", {1450, 0, 1000, 800}, false},
        {"where a screen no longer is", {3000, 100, 800, 600}, false},
        {"below the minimum", {100, 100, 600, 400}, false},
    };
    for (const Row& row : rows) EXPECT_EQ(fitsAScreen(row.saved, minimum, screens), row.fits) << row.what;
    EXPECT_FALSE(fitsAScreen({0, 0, 800, 600}, minimum, {})) << "no screen at all";
}

TEST(WindowPlacement, APopupPanelStaysOnTheScreen) {
    const QRect screen(0, 0, 1440, 900);
    const QSize panel(264, 400);
    const QMargins room(12, 12, 12, 12);
    struct Row {
        const char* what;
        QPoint anchor;
        QRect available;
        QRect expected;
    };
    const Row rows[] = {
        {"room to the right and below", {300, 24}, screen, {288, 12, 264, 400}},
        {"a tray at the right end", {1416, 24}, screen, {1176, 12, 264, 400}},
        {"past the right end", {1500, 24}, screen, {1176, 12, 264, 400}},
        {"a tray at the bottom", {1416, 896}, screen, {1176, 497, 264, 400}},
        {"a screen too short", {100, 24}, {0, 0, 1440, 300}, {88, 0, 264, 400}},
        {"a second screen", {2900, 24}, {1440, 0, 1440, 900}, {2616, 12, 264, 400}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(windowPlacement::popupPlacement(row.anchor, panel, room, row.available), row.expected)
            << row.what;
}

}  // namespace
}  // namespace korvane
