#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include <QRectF>

#include "app/canvases/CanvasInput.h"

namespace korvane {
namespace {

// A row of three 100-pixel squares: a plain item, an item summing the
// smallest nodes, and a zone of the canvas's own; empty room after them.
std::optional<CanvasHit> fakeHitAt(QPointF point) {
    if (point.y() < 0 || point.y() >= 100 || point.x() < 0 || point.x() >= 300) return std::nullopt;
    if (point.x() < 100) return CanvasHit{CanvasHit::item, 0};
    if (point.x() < 200) return CanvasHit{CanvasHit::item, 1};
    return CanvasHit{1, 0};
}

std::string name(const std::optional<CanvasHit>& hit) {
    return hit ? std::to_string(hit->zone) + ":" + std::to_string(hit->index) : "none";
}

enum class Do { press, rightPress, move, heldMove, release, rightRelease, doubleClick, leave, menu, forget };

struct Step {
    Do what;
    double x = 50;
};

struct Case {
    const char* name;
    std::optional<double> dragThreshold;
    std::vector<Step> steps;
    std::vector<std::string> heard;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

std::vector<std::string> run(const Case& c) {
    std::vector<std::string> heard;
    CanvasInput input({.hitAt = fakeHitAt,
                       .actionable = [](std::size_t item) { return item != 1; },
                       .hover = [&](std::optional<CanvasHit> hit) { heard.push_back("hover " + name(hit)); },
                       .click = [&](const CanvasHit& hit) { heard.push_back("click " + name(hit)); },
                       .doubleClick = [&](const CanvasHit& hit) { heard.push_back("drill " + name(hit)); },
                       .menu =
                           [&](const CanvasHit& hit, QPoint at) {
                               heard.push_back("menu " + name(hit) + " at " + std::to_string(at.x()));
                           },
                       .drag = [&](QPointF moved) { heard.push_back("drag " + std::to_string(int(moved.x()))); },
                       .dragEnd = [&] { heard.push_back("drag end"); }});
    input.setDragThreshold(c.dragThreshold);
    for (const Step& step : c.steps) {
        const QPointF at(step.x, 50);
        switch (step.what) {
        case Do::press: input.press(at, Qt::LeftButton); break;
        case Do::rightPress: input.press(at, Qt::RightButton); break;
        case Do::move: input.move(at, Qt::NoButton); break;
        case Do::heldMove: input.move(at, Qt::LeftButton); break;
        case Do::release: input.release(at, Qt::LeftButton); break;
        case Do::rightRelease: input.release(at, Qt::RightButton); break;
        case Do::doubleClick: input.doubleClick(at, Qt::LeftButton); break;
        case Do::leave: input.leave(); break;
        case Do::menu: input.contextMenu(at, QPoint(int(step.x) + 1000, 0)); break;
        case Do::forget: input.forgetPress(); break;
        }
    }
    return heard;
}

using V = std::vector<std::string>;

const Case cases[] = {
    {"ClickOnRelease", {}, {{Do::press}, {Do::release, 60}}, V{"click 0:0"}},
    {"PressAndReleaseOnDifferentItems", {}, {{Do::press}, {Do::release, 150}}, V{}},
    {"ReleaseWithoutPress", {}, {{Do::release}}, V{}},
    {"RightButtonNoClick", {}, {{Do::rightPress}, {Do::rightRelease}}, V{}},
    {"ClickBeginsWithLeftPress", {}, {{Do::rightPress}, {Do::release}}, V{}},
    {"ClickOnEmptyRoom", {}, {{Do::press, 350}, {Do::release, 350}}, V{}},
    {"ZoneTakesClick", {}, {{Do::press, 250}, {Do::release, 250}}, V{"click 1:0"}},
    {"SummingItemClickGoesToCanvas", {}, {{Do::press, 150}, {Do::release, 150}}, V{"click 0:1"}},
    // Qt sends press, release, double click, release: one click, one drill.
    {"DoubleClickDrills",
     {},
     {{Do::press}, {Do::release}, {Do::doubleClick}, {Do::release}},
     V{"click 0:0", "drill 0:0"}},
    {"DoubleClickOnEmptyRoom", {}, {{Do::doubleClick, 350}}, V{}},
    {"MoveHoversAndLeaveClears",
     {},
     {{Do::move}, {Do::move, 150}, {Do::move, 350}, {Do::move, 250}, {Do::leave}},
     V{"hover 0:0", "hover 0:1", "hover none", "hover 1:0", "hover none"}},
    {"MenuOnItemClearsHoverFirst", {}, {{Do::move}, {Do::menu}}, V{"hover 0:0", "hover none", "menu 0:0 at 1050"}},
    {"SummingItemZoneAndEmptyRoomOfferNoMenu", {}, {{Do::menu, 150}, {Do::menu, 250}, {Do::menu, 350}}, V{}},
    {"HeldMoveWithoutDragStillHovers",
     {},
     {{Do::press}, {Do::heldMove, 90}, {Do::release, 90}},
     V{"hover 0:0", "click 0:0"}},
    {"MoveBelowThresholdHoversAndClicks",
     10,
     {{Do::press}, {Do::heldMove, 59.5}, {Do::release, 59.5}},
     V{"hover 0:0", "click 0:0"}},
    {"DragPastThresholdIsNoClick",
     10,
     {{Do::press}, {Do::heldMove, 60}, {Do::heldMove, 45}, {Do::release, 45}},
     V{"drag 10", "drag -5", "drag end"}},
    {"DragEndsOnReleaseOnly",
     10,
     {{Do::press}, {Do::heldMove, 70}, {Do::release, 70}, {Do::move, 70}, {Do::press}, {Do::release}},
     V{"drag 20", "drag end", "hover 0:0", "click 0:0"}},
    {"UnheldMoveAfterPressIsNoDrag", 10, {{Do::press}, {Do::move, 90}}, V{"hover 0:0"}},
    {"ForgottenPressClicksNothing", {}, {{Do::press}, {Do::forget}, {Do::release}}, V{}},
};

class CanvasInputCases : public testing::TestWithParam<Case> {};

TEST_P(CanvasInputCases, EventsMeanWhatTheUserDid) { EXPECT_EQ(run(GetParam()), GetParam().heard); }

INSTANTIATE_TEST_SUITE_P(CanvasInput, CanvasInputCases, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvane
