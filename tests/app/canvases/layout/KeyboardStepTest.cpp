#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "app/canvases/layout/KeyboardStep.h"

using namespace korvane;
using Direction = KeyboardStep::Direction;

namespace {

struct Step {
    const char* what;
    std::size_t from;
    Direction direction;
    std::optional<std::size_t> to;
};

void expectSteps(const std::vector<QRectF>& shapes, const std::vector<Step>& steps, bool scattered = false) {
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const auto to = scattered ? KeyboardStep::scattered(shapes[step.from], shapes, step.direction)
                                  : KeyboardStep::alongRows(shapes[step.from], shapes, step.direction);
        EXPECT_EQ(to, step.to);
    }
}

}  // namespace

// A grid of three and two folder tiles: along the row, to the row below, and
// to its last tile from a column the short row does not reach; nothing wraps.
TEST(KeyboardStep, MovesThroughAGridRowByRowWithoutWrapping) {
    const std::vector<QRectF> tiles{{0, 0, 100, 80},   {110, 0, 100, 80},  {220, 0, 100, 80},
                                    {0, 90, 100, 80},  {110, 90, 100, 80}};
    expectSteps(tiles, {{"right along the row", 0, Direction::right, 1},
                        {"left along the row", 2, Direction::left, 1},
                        {"down to the tile below", 1, Direction::down, 4},
                        {"down to the nearest of a shorter row", 2, Direction::down, 4},
                        {"up to the tile above", 3, Direction::up, 0},
                        {"past the row's end", 2, Direction::right, std::nullopt},
                        {"past the first row", 1, Direction::up, std::nullopt},
                        {"past the last tile", 4, Direction::right, std::nullopt}});
}

// Strata bands: Down from the right end of a long band goes to the band
// right below, even where its tiles end sooner and a later band lies under
// the start; Left from a band's first tile reaches its header.
TEST(KeyboardStep, TakesTheNextBandBeforeAnyFartherOne) {
    const std::vector<QRectF> shapes{
        {0, 0, 90, 60},     {100, 0, 400, 60},  {510, 0, 300, 60},  // header, then two tiles
        {0, 70, 90, 60},    {100, 70, 200, 60},                     // a short band
        {0, 140, 90, 60},   {100, 140, 700, 60}};                   // a long band
    expectSteps(shapes, {{"down to the short band", 2, Direction::down, 4},
                         {"down from a header to the header", 0, Direction::down, 3},
                         {"left to the header", 1, Direction::left, 0},
                         {"up to the tile most in line", 6, Direction::up, 4}});
}

// A flame graph: Down goes to the child under the cell, Up to its parent,
// across to the neighbour in the same row rather than a cell of another.
TEST(KeyboardStep, FollowsAFlameGraphsRowsAndParents) {
    const std::vector<QRectF> cells{{0, 0, 800, 20},                        // root
                                    {0, 22, 500, 20},   {502, 22, 298, 20},  // its children
                                    {0, 44, 300, 20},   {302, 44, 198, 20},  // the first child's
                                    {502, 44, 100, 20}};                      // the second child's
    expectSteps(cells, {{"down from the root", 0, Direction::down, 1},
                        {"down to the child under the cell", 2, Direction::down, 5},
                        {"up to the parent", 4, Direction::up, 1},
                        {"right to the neighbour in the row", 4, Direction::right, 5},
                        {"left along the row", 2, Direction::left, 1}});
}

// Scattered dots: the one that way weighing distance across twice, only
// within 45 degrees of the arrow, and nothing behind the start.
TEST(KeyboardStep, PicksTheNearestScatteredDotThatWay) {
    const auto dot = [](double x, double y) { return QRectF(x - 5, y - 5, 10, 10); };
    const std::vector<QRectF> dots{dot(0, 0), dot(30, 90), dot(150, 0), dot(-80, 10), dot(0, -120), dot(30, -50)};
    expectSteps(dots, {{"right: in line, not nearer but mostly above", 0, Direction::right, 2},
                       {"left", 0, Direction::left, 3},
                       {"up", 0, Direction::up, 5},
                       {"up from the left, past one mostly beside it", 3, Direction::up, 4},
                       {"down", 0, Direction::down, 1},
                       {"nothing lies right of the farthest", 2, Direction::right, std::nullopt}},
                true);
}
