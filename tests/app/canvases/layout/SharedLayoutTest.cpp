#include <gtest/gtest.h>

#include <set>

#include <QDateTime>

#include "app/canvases/layout/CanvasClock.h"
#include "app/canvases/layout/CanvasHitTest.h"
#include "app/canvases/layout/CanvasHost.h"
#include "app/canvases/layout/CanvasLayoutCache.h"
#include "app/canvases/layout/HoverCardPlacement.h"
#include "app/canvases/layout/VisibleChildren.h"
#include "tests/app/canvases/layout/CanvasTrees.h"

using namespace korvane;
using namespace canvastest;

namespace {

std::vector<std::string> ids(const std::vector<const StorageNode*>& nodes) {
    std::vector<std::string> result;
    for (const auto* node : nodes) result.push_back(node->id);
    return result;
}

std::chrono::system_clock::time_point at(const QDateTime& time) {
    return std::chrono::system_clock::time_point(std::chrono::milliseconds(time.toMSecsSinceEpoch()));
}

}  // namespace

TEST(VisibleChildren, KeepsSizedChildrenLargestFirstWithTiesInTreeOrder) {
    auto root = folder("r", {leaf("a", 5), leaf("b", 0), leaf("c", 7), leaf("d", 5), leaf("e", -1), leaf("f", 7)});
    EXPECT_EQ(ids(visibleChildren(root)), (std::vector<std::string>{"c", "f", "a", "d"}));
    EXPECT_EQ(ids(visibleChildren(root, 3)), (std::vector<std::string>{"c", "f", "a"}));
    EXPECT_EQ(ids(visibleChildren(root, 0)), std::vector<std::string>{});
    EXPECT_TRUE(visibleChildren(leaf("x", 9)).empty());
}

TEST(CanvasClock, CountsFullLocalDaysAcrossDaylightSavingChanges) {
    const QTimeZone zone("America/New_York");
    ASSERT_TRUE(zone.isValid());
    // Spring forward on 10 March 2024 and fall back on 3 November 2023: the
    // spans below are an hour short of or over whole multiples of 24 hours.
    const QDateTime now(QDate(2024, 3, 12), QTime(9, 0), zone);
    const CanvasClock clock{at(now), zone};
    struct Case {
        QDateTime date;
        int days;
    };
    const Case cases[] = {
        {QDateTime(QDate(2024, 3, 5), QTime(9, 0), zone), 7},
        {QDateTime(QDate(2024, 3, 4), QTime(9, 0), zone), 8},
        {QDateTime(QDate(2024, 3, 4), QTime(9, 0, 1), zone), 7},
        {QDateTime(QDate(2024, 3, 9), QTime(23, 30), zone), 2},
        {QDateTime(QDate(2024, 2, 10), QTime(9, 0), zone), 31},
        {QDateTime(QDate(2024, 2, 9), QTime(9, 0), zone), 32},
        {QDateTime(QDate(2023, 12, 11), QTime(9, 0), zone), 92},
        {QDateTime(QDate(2023, 12, 10), QTime(9, 0), zone), 93},
        {QDateTime(QDate(2023, 3, 13), QTime(9, 0), zone), 365},
        {QDateTime(QDate(2023, 3, 12), QTime(9, 0), zone), 366},
        {QDateTime(QDate(2024, 3, 12), QTime(8, 0), zone), 0},
        {QDateTime(QDate(2024, 3, 13), QTime(9, 0), zone), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(clock.elapsedDays(at(c.date)), c.days) << c.date.toString().toStdString();

    const CanvasClock autumn{at(QDateTime(QDate(2023, 11, 8), QTime(0, 30), zone)), zone};
    EXPECT_EQ(autumn.elapsedDays(at(QDateTime(QDate(2023, 11, 1), QTime(0, 30), zone))), 7);
    EXPECT_EQ(autumn.elapsedDays(at(QDateTime(QDate(2023, 10, 31), QTime(0, 30), zone))), 8);
}

TEST(CanvasClock, GivesTheLocalMonthOfADate) {
    const QTimeZone berlin("Europe/Berlin");
    const auto newYear = at(QDateTime(QDate(2024, 1, 1), QTime(0, 30), berlin));
    const CanvasClock clock{newYear, berlin};
    EXPECT_EQ(clock.yearMonth(newYear).year, 2024);
    EXPECT_EQ(clock.yearMonth(newYear).month, 1);
    const CanvasClock utc{newYear, QTimeZone::utc()};
    EXPECT_EQ(utc.yearMonth(newYear).year, 2023);
    EXPECT_EQ(utc.yearMonth(newYear).month, 12);
}

TEST(HoverCardPlacement, PlacesTheCardBesideTheTargetWithinTheMargins) {
    struct Case {
        const char* name;
        QRectF target;
        QSizeF container;
        QPointF origin;
    };
    const QSizeF card(178, 180);
    const Case cases[] = {
        {"below, centred", {100, 100, 50, 20}, {800, 600}, {36, 130}},
        {"near the bottom flips above", {400, 500, 40, 40}, {800, 600}, {331, 310}},
        {"left edge clamps to 8", {0, 100, 20, 20}, {800, 600}, {8, 130}},
        {"right edge keeps 8 free", {780, 100, 20, 20}, {800, 600}, {614, 130}},
        {"card wider than the container sits at 8", {80, 100, 20, 20}, {180, 600}, {8, 130}},
        {"no room above or below: the top wins", {100, 150, 20, 20}, {800, 200}, {21, 8}},
        {"whole-canvas target: centred, 8 below the top", {0, 0, 400, 300}, {400, 300}, {111, 8}},
    };
    for (const auto& c : cases) {
        const QPointF origin = HoverCardPlacement::origin(c.target, c.container, card);
        EXPECT_DOUBLE_EQ(origin.x(), c.origin.x()) << c.name;
        EXPECT_DOUBLE_EQ(origin.y(), c.origin.y()) << c.name;
    }
}

TEST(HoverCardPlacement, KeepsTheStoredSizeForAZeroHeightReport) {
    EXPECT_EQ(HoverCardPlacement::measured({178, 180}, {200, 0}), QSizeF(178, 180));
    EXPECT_EQ(HoverCardPlacement::measured({178, 180}, {178, 96}), QSizeF(178, 96));
}

TEST(HoverCardPlacement, ShareTexts) {
    struct Case {
        std::int64_t node, root;
        const char* text;
    };
    const Case cases[] = {
        {5, 100, "\u00B7 5.0%"},      {1234, 10000, "\u00B7 12%"}, {5, 10000, "\u00B7 <0.1%"},
        {9996, 10000, "\u00B7 100%"}, {7, 0, "\u00B7 <0.1%"},      {0, 100, "\u00B7 <0.1%"},
        {1, 1000, "\u00B7 0.1%"},     {100, 100, "\u00B7 100%"},
    };
    for (const auto& c : cases) EXPECT_EQ(HoverCardPlacement::shareText(c.node, c.root), c.text) << c.node;
}

TEST(CanvasHost, MapsTheDepthSettingPerCanvas) {
    struct Case {
        int setting, sunburst, flame, mindMap;
    };
    for (const auto& c : {Case{1, 1, 5, 2}, Case{2, 2, 6, 2}, Case{3, 3, 7, 3}}) {
        EXPECT_EQ(CanvasHost::sunburstDepth(c.setting), c.sunburst);
        EXPECT_EQ(CanvasHost::flameMaxDepth(c.setting), c.flame);
        EXPECT_EQ(CanvasHost::mindMapMaxDepth(c.setting), c.mindMap);
    }
}

TEST(CanvasHost, IdentityChangesWithModeAndEveryFilterCharacterOnly) {
    using Mode = AppState::CanvasMode;
    EXPECT_EQ(CanvasHost::identity(Mode::strata, ""), "strata-");
    EXPECT_EQ(CanvasHost::identity(Mode::mindMap, " xc "), "mindMap- xc ");
    EXPECT_NE(CanvasHost::identity(Mode::treemap, "x"), CanvasHost::identity(Mode::treemap, "x "));
    std::set<std::string> identities;
    for (auto mode : allCanvasModes()) identities.insert(CanvasHost::identity(mode, ""));
    EXPECT_EQ(identities.size(), 10u);
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
    EXPECT_EQ(cache.builds(), 6u);
}

TEST(PolarPoint, MeasuresAnglesFromTwelveOClockClockwiseRange) {
    const QPointF centre(100, 100);
    struct Case {
        QPointF point;
        double angle;
    };
    const double pi = std::numbers::pi;
    for (const auto& c : {Case{{100, 50}, -pi / 2}, Case{{150, 100}, 0}, Case{{100, 150}, pi / 2},
                          Case{{50, 100}, pi}, Case{{60, 60}, 1.25 * pi}}) {
        const auto polar = PolarPoint::of(c.point, centre);
        EXPECT_NEAR(polar.angle, c.angle, 1e-12);
        EXPECT_GE(polar.angle, -pi / 2);
        EXPECT_LT(polar.angle, 1.5 * pi);
    }
    EXPECT_DOUBLE_EQ(PolarPoint::of({130, 140}, centre).radius, 50);
}

TEST(TopmostHit, PrefersTheItemDrawnLast) {
    const std::vector<QRectF> rects{{0, 0, 10, 10}, {5, 5, 10, 10}};
    const auto hit = [&](QPointF p) { return topmostHit(rects, p, [](const QRectF& r, QPointF q) { return inside(r, q); }); };
    EXPECT_EQ(hit({6, 6}), 1u);
    EXPECT_EQ(hit({1, 1}), 0u);
    EXPECT_EQ(hit({10, 2}), std::nullopt);  // right edge of the first is outside it
    EXPECT_EQ(hit({20, 20}), std::nullopt);
}
