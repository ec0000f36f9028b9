#include <gtest/gtest.h>

#include "app/canvases/layout/FlameLayout.h"
#include "tests/app/canvases/layout/CanvasTrees.h"

using namespace korvane;
using namespace canvastest;

TEST(FlameLayout, TwoChildrenShareTheRootWidthAndAreHitByIndex) {
    // Both children carry the same id: only their index tells them apart.
    const auto root = folder("r", {leaf("same", 100), leaf("zero", 0), leaf("same", 300)});
    const auto layout = FlameLayout::make(root, 400, 7);
    ASSERT_EQ(layout.cells.size(), 3u);
    EXPECT_EQ(layout.cells[0].rect, QRectF(0, 0, 400, 26));
    EXPECT_EQ(layout.cells[1].node, &root.children[2]);
    EXPECT_EQ(layout.cells[1].rect, QRectF(0, 28, 300, 26));
    EXPECT_EQ(layout.cells[1].frame(), QRectF(0, 28, 299, 26));
    EXPECT_EQ(layout.cells[2].rect, QRectF(300, 28, 100, 26));
    EXPECT_DOUBLE_EQ(layout.contentHeight, 56);

    struct Case {
        QPointF point;
        std::optional<std::size_t> cell;
    };
    // clang-format off
    for (const auto& c : {Case{{150, 30}, 1u}, Case{{299.5, 30}, std::nullopt}, Case{{350, 40}, 2u},
                          Case{{350, 27}, std::nullopt}, Case{{10, 10}, 0u}, Case{{10, 60}, std::nullopt},
                          Case{{-1, 10}, std::nullopt}})
        // clang-format on
        EXPECT_EQ(layout.cellAt(c.point), c.cell) << c.point.x() << "," << c.point.y();
}

TEST(FlameLayout, RowsStopAtMaxDepthOrHalfAPoint) {
    StorageNode deep = leaf("n10", 10);
    for (int i = 9; i >= 0; --i) deep = folder("n" + std::to_string(i), {deep});
    const auto layout = FlameLayout::make(deep, 500, 7);
    EXPECT_EQ(layout.cells.size(), 7u);
    EXPECT_DOUBLE_EQ(layout.contentHeight, 196);

    // 1 byte of 1,001 in 400 points is 0.4 points: dropped with its subtree.
    const auto root = folder("r", {leaf("big", 1000), folder("small", {leaf("x", 1)})});
    EXPECT_EQ(FlameLayout::make(root, 400, 7).cells.size(), 2u);

    const auto empty = sizedFolder("r", {0});
    EXPECT_EQ(FlameLayout::make(empty, 400, 7).cells.size(), 1u);
    EXPECT_TRUE(FlameLayout::make(empty, 0, 7).cells.empty());
}

TEST(FlameLayout, LabelsAndOpacities) {
    const auto one = leaf("a", 1);
    EXPECT_FALSE(FlameLayout::make(one, 54, 5).cells[0].hasLabel());
    EXPECT_TRUE(FlameLayout::make(one, 54.5, 5).cells[0].hasLabel());
    EXPECT_DOUBLE_EQ(FlameLayout::make(one, 0.5, 5).cells[0].frame().width(), 1);
    // The fade stops at row 7.
    EXPECT_NEAR(FlameLayout::fillOpacity(1, 0.15), 0.432, 1e-12);
    EXPECT_NEAR(FlameLayout::fillOpacity(7, 0.15), 0.1632, 1e-12);
    EXPECT_NEAR(FlameLayout::fillOpacity(12, 0.15), 0.1632, 1e-12);
}
