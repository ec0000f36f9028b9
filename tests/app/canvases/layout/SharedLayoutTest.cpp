#include <gtest/gtest.h>

#include <QDateTime>

#include "app/canvases/layout/CanvasClock.h"
#include "app/canvases/layout/CanvasLayoutCache.h"
#include "app/canvases/layout/HoverCardPlacement.h"
#include "app/canvases/layout/VisibleChildren.h"
#include "tests/app/canvases/layout/CanvasTrees.h"
#include "tests/app/canvases/layout/FixedClock.h"

using namespace korvane;
using namespace canvastest;

TEST(VisibleChildren, KeepsSizedChildrenLargestFirstWithTiesInTreeOrder) {
    auto root =
        folder("r", {leaf("a", 5), leaf("b", 0), leaf("c", 7), leaf("d", 5), leaf("e", -1), leaf("f", 7)});
    std::vector<std::string> ids;
    for (const auto* node : visibleChildren(root)) ids.push_back(node->id);
    EXPECT_EQ(ids, (std::vector<std::string>{"c", "f", "a", "d"}));
    EXPECT_EQ(visibleChildren(root, 3).back()->id, "a");  // the limited sort keeps the same prefix
    EXPECT_TRUE(visibleChildren(root, 0).empty());
}

TEST(CanvasClock, CountsFullLocalDaysAcrossDaylightSavingChanges) {
    // Spring forward on 10 March 2024 and fall back on 5 November 2023: the
    // spans below are an hour short of or over whole multiples of 24 hours.
    struct Case {
        QDateTime now, date;
        int days;
    };
    const QDateTime now = nowInNewYork();
    const QDateTime autumn(QDate(2023, 11, 8), QTime(0, 30), newYork());
    // clang-format off
    const Case cases[] = {
        {now, now.addDays(-7), 7}, {now, now.addDays(-8), 8},
        {now, QDateTime(QDate(2024, 3, 4), QTime(9, 0, 1), newYork()), 7},  // a second short of 8 days
        {now, QDateTime(QDate(2024, 3, 9), QTime(23, 30), newYork()), 2},
        {now, now.addSecs(-3600), 0}, {now, now.addDays(1), 0},             // same day; the future
        {autumn, autumn.addDays(-7), 7}, {autumn, autumn.addDays(-8), 8},
    };
    // clang-format on
    for (const auto& c : cases) {
        const CanvasClock clock{timePoint(c.now), newYork()};
        EXPECT_EQ(clock.elapsedDays(timePoint(c.date)), c.days) << c.date.toString().toStdString();
    }
}

TEST(HoverCardPlacement, PlacesTheCardBesideTheTargetWithinTheMargins) {
    struct Case {
        const char* name;
        QRectF target;
        QSizeF container;
        QPointF origin;
    };
    const QSizeF card(178, 180);
    // clang-format off
    const Case cases[] = {
        {"below, centred", {100, 100, 50, 20}, {800, 600}, {36, 130}},
        {"near the bottom flips above", {400, 500, 40, 40}, {800, 600}, {331, 310}},
        {"left edge clamps to 8", {0, 100, 20, 20}, {800, 600}, {8, 130}},
        {"right edge keeps 8 free", {780, 100, 20, 20}, {800, 600}, {614, 130}},
        {"card wider than the container sits at 8", {80, 100, 20, 20}, {180, 600}, {8, 130}},
        {"no room above or below: the top wins", {100, 150, 20, 20}, {800, 200}, {21, 8}},
        {"whole-canvas target: centred, 8 below the top", {0, 0, 400, 300}, {400, 300}, {111, 8}},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(HoverCardPlacement::origin(c.target, c.container, card), c.origin) << c.name;
    // A card not laid out yet reports no height: the stored size stands.
    EXPECT_EQ(HoverCardPlacement::measured({178, 180}, {200, 0}), QSizeF(178, 180));
    EXPECT_EQ(HoverCardPlacement::measured({178, 180}, {178, 96}), QSizeF(178, 96));
}

TEST(CanvasLayoutCache, RebuildsOnlyForANewRootSizeOrDepth) {
    auto first = sizedFolder("a", {1, 2});
    auto second = sizedFolder("a", {1, 2});
    CanvasLayoutCache<int> cache;
    int built = 0;
    const auto build = [&] { return ++built; };
    EXPECT_EQ(cache.get(first, {100, 100}, 3, build), 1);
    for (int hover = 0; hover < 100; ++hover) cache.get(first, {100, 100}, 3, build);
    EXPECT_EQ(cache.builds(), 1u);
    EXPECT_EQ(cache.get(first, {100, 101}, 3, build), 2);
    EXPECT_EQ(cache.get(first, {100, 101}, 2, build), 3);
    EXPECT_EQ(cache.get(second, {100, 101}, 2, build), 4);
    first.children.pop_back();
    EXPECT_EQ(cache.get(first, {100, 101}, 2, build), 5);
    cache.invalidate();
    EXPECT_EQ(cache.get(first, {100, 101}, 2, build), 6);
}
