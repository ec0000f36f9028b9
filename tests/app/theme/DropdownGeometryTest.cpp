#include <gtest/gtest.h>

#include "app/theme/DropdownGeometry.h"
#include "app/theme/Palette.h"

namespace korvane {
namespace {

using Direction = DropdownGeometry::Direction;
using Alignment = DropdownGeometry::Alignment;

TEST(DropdownGeometry, ListOpensBesideTheLabelOnTheAlignedEdge) {
    const QRectF label(100, 200, 80, 24);
    const QSizeF list(272, 150);
    struct Case {
        Direction direction;
        Alignment alignment;
        QRectF frame;
    };
    const Case cases[] = {
        {Direction::down, Alignment::leading, QRectF(100, 226, 272, 150)},
        {Direction::down, Alignment::center, QRectF(100, 226, 272, 150)},  // centre lines up like leading
        {Direction::down, Alignment::trailing, QRectF(180 - 272, 226, 272, 150)},
        {Direction::up, Alignment::leading, QRectF(100, 224 - 26 - 150, 272, 150)},
        {Direction::up, Alignment::trailing, QRectF(180 - 272, 224 - 26 - 150, 272, 150)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.direction) << static_cast<int>(c.alignment));
        EXPECT_EQ(DropdownGeometry::listFrame(label, list, c.direction, c.alignment), c.frame);
    }
}

TEST(DropdownGeometry, ListIsMovedBackOntoTheScreen) {
    const QRectF screen(0, 0, 1000, 700);
    // A trailing list near the left edge, and a down list near the bottom.
    EXPECT_EQ(DropdownGeometry::listFrame({20, 10, 40, 20}, {262, 100}, Direction::down, Alignment::trailing, screen)
                  .topLeft(),
              QPointF(0, 36));
    EXPECT_EQ(DropdownGeometry::listFrame({500, 650, 40, 20}, {262, 100}, Direction::down, Alignment::leading, screen)
                  .topLeft(),
              QPointF(500, 600));
    // Inside the screen nothing moves.
    EXPECT_EQ(DropdownGeometry::listFrame({500, 400, 40, 20}, {250, 100}, Direction::up, Alignment::leading, screen)
                  .topLeft(),
              QPointF(500, 294));
}

TEST(DropdownGeometry, EntranceAndRadii) {
    EXPECT_EQ(DropdownGeometry::insertionOffset(Direction::down), QPointF(0, -6));
    EXPECT_EQ(DropdownGeometry::insertionOffset(Direction::up), QPointF(0, 6));
    struct Case {
        ThemeID theme;
        double list, row, label;
    };
    const Case cases[] = {
        {ThemeID::blueprint, 4, 4, 5},  // radius 2: the floors
        {ThemeID::terminal, 5, 4, 5},   // 3
        {ThemeID::iron, 6, 4, 5},       // 4
        {ThemeID::arcade, 14, 9, 9},    // 12
        {ThemeID::bloom, 18, 13, 13},   // 16
    };
    for (const auto& c : cases) {
        const Palette& p = Palette::forTheme(c.theme);
        EXPECT_DOUBLE_EQ(DropdownGeometry::listRadius(p), c.list) << p.name;
        EXPECT_DOUBLE_EQ(DropdownGeometry::rowRadius(p), c.row) << p.name;
        EXPECT_DOUBLE_EQ(DropdownGeometry::pickerLabelRadius(p), c.label) << p.name;
    }
}

}  // namespace
}  // namespace korvane
