#include <gtest/gtest.h>

#include "app/canvases/layout/FlameLayout.h"
#include "tests/app/canvases/layout/CanvasTrees.h"

using namespace korvane;
using namespace canvastest;

namespace {

StorageNode chain(int levels) {
    StorageNode node = leaf("n" + std::to_string(levels), 10);
    for (int i = levels - 1; i >= 0; --i) node = folder("n" + std::to_string(i), {node});
    return node;
}

}  // namespace

TEST(FlameLayout, TwoChildrenShareTheRootWidth) {
    const auto root = sizedFolder("r", {100, 0, 300});
    const auto layout = FlameLayout::make(root, 400, 7);
    ASSERT_EQ(layout.cells.size(), 3u);
    EXPECT_EQ(layout.cells[0].rect, QRectF(0, 0, 400, 26));
    EXPECT_EQ(layout.cells[1].node->id, "r/2");
    EXPECT_EQ(layout.cells[1].rect, QRectF(0, 28, 300, 26));
    EXPECT_EQ(layout.cells[1].frame(), QRectF(0, 28, 299, 26));
    EXPECT_EQ(layout.cells[2].rect, QRectF(300, 28, 100, 26));
    EXPECT_EQ(layout.cells[2].frame(), QRectF(300, 28, 99, 26));
    EXPECT_DOUBLE_EQ(layout.contentHeight, 56);

    struct Case {
        QPointF point;
        std::optional<std::size_t> cell;
    };
    for (const auto& c : {Case{{150, 30}, 1u}, Case{{299.5, 30}, std::nullopt}, Case{{350, 40}, 2u},
                          Case{{350, 27}, std::nullopt}, Case{{10, 10}, 0u}, Case{{10, 60}, std::nullopt},
                          Case{{-1, 10}, std::nullopt}})
        EXPECT_EQ(layout.cellAt(c.point), c.cell) << c.point.x() << "," << c.point.y();
}

TEST(FlameLayout, RootAloneOrNothing) {
    const auto empty = sizedFolder("r", {0});
    const auto bare = FlameLayout::make(empty, 400, 7);
    ASSERT_EQ(bare.cells.size(), 1u);
    EXPECT_DOUBLE_EQ(bare.contentHeight, 28);
    const auto none = FlameLayout::make(empty, 0, 7);
    EXPECT_TRUE(none.cells.empty());
    EXPECT_DOUBLE_EQ(none.contentHeight, 28);
}

TEST(FlameLayout, RowsStopAtMaxDepthOrHalfAPoint) {
    const auto deep = chain(10);
    const auto layout = FlameLayout::make(deep, 500, 7);
    EXPECT_EQ(layout.cells.size(), 7u);
    EXPECT_EQ(layout.cells.back().depth, 6);
    EXPECT_DOUBLE_EQ(layout.contentHeight, 196);

    // 1 byte of 1,001 in 400 points is 0.4 points: dropped with its subtree.
    const auto root = folder("r", {leaf("big", 1000), folder("small", {leaf("x", 1)})});
    const auto narrow = FlameLayout::make(root, 400, 7);
    ASSERT_EQ(narrow.cells.size(), 2u);
    EXPECT_EQ(narrow.cells[1].node->id, "big");
}

TEST(FlameLayout, LabelsAndOpacities) {
    const auto one = leaf("a", 1);
    EXPECT_FALSE(FlameLayout::make(one, 54, 5).cells[0].hasLabel());
    EXPECT_TRUE(FlameLayout::make(one, 54.5, 5).cells[0].hasLabel());
    EXPECT_DOUBLE_EQ(FlameLayout::make(one, 0.5, 5).cells[0].frame().width(), 1);

    struct Case {
        int depth;
        double strength, opacity;
    };
    for (const auto& c : {Case{0, 0.15, 0.48}, Case{1, 0.15, 0.432}, Case{7, 0.15, 0.1632}, Case{12, 0.15, 0.1632},
                          Case{0, 0.2, 0.64}})
        EXPECT_NEAR(FlameLayout::fillOpacity(c.depth, c.strength), c.opacity, 1e-12) << c.depth;
}
