#include <gtest/gtest.h>

#include "app/canvases/layout/BarsLayout.h"
#include "tests/app/canvases/layout/CanvasTrees.h"

using namespace korvane;
using namespace canvastest;

TEST(BarsLayout, BarsScaleAgainstTheLargestChildAndStayClamped) {
    auto root = sizedFolder("r", {50, 0, 200, 100, 200});
    root.children[0].reclaimable = 50;   // entirely reclaimable
    root.children[2].reclaimable = 500;  // claims more than it holds
    root.children[3].reclaimable = -5;
    const auto layout = BarsLayout::make(root);
    EXPECT_EQ(layout.scale, 200);
    struct Expected {
        const char* id;
        double size, reclaimable;
    };
    const Expected expected[] = {{"r/2", 1, 1}, {"r/4", 1, 0}, {"r/3", 0.5, 0}, {"r/0", 0.25, 0.25}};
    ASSERT_EQ(layout.rows.size(), std::size(expected));
    for (std::size_t i = 0; i < layout.rows.size(); ++i) {
        EXPECT_EQ(layout.rows[i].node->id, expected[i].id);
        EXPECT_DOUBLE_EQ(layout.rows[i].sizeFraction, expected[i].size) << i;
        EXPECT_DOUBLE_EQ(layout.rows[i].reclaimableFraction, expected[i].reclaimable) << i;
    }
    EXPECT_EQ(BarsLayout::reclaimableText(0), "\u2014");
    EXPECT_EQ(BarsLayout::reclaimableText(-3), "\u2014");

    const auto empty = sizedFolder("r", {0, 0});
    const auto none = BarsLayout::make(empty);
    EXPECT_TRUE(none.rows.empty());
    EXPECT_EQ(none.scale, 1);
    EXPECT_EQ(none.rowAt(10), std::nullopt);
    EXPECT_EQ(none.visibleRows(0, 500), (std::pair<std::size_t, std::size_t>{0, 0}));
}

TEST(BarsLayout, RowsAndColumnsForVirtualScrolling) {
    const auto root = sizedFolder("r", std::vector<std::int64_t>(100, 7));
    const auto layout = BarsLayout::make(root);
    EXPECT_DOUBLE_EQ(layout.contentHeight(), 16 + 100 * 34 - 2);
    EXPECT_EQ(layout.rowRect(2, 800), QRectF(0, 76, 800, 32));
    struct Case {
        double y;
        std::optional<std::size_t> row;
    };
    // clang-format off
    for (const auto& c : {Case{7, std::nullopt}, Case{8, 0u}, Case{39.9, 0u}, Case{41, std::nullopt}, Case{42, 1u},
                          Case{8 + 99 * 34 + 31, 99u}, Case{8 + 100 * 34, std::nullopt}})
        // clang-format on
        EXPECT_EQ(layout.rowAt(c.y), c.row) << c.y;
    EXPECT_EQ(layout.visibleRows(340, 100), (std::pair<std::size_t, std::size_t>{9, 13}));

    const auto columns = BarsLayout::columns(800);
    EXPECT_DOUBLE_EQ(columns.bar.left(), 210);
    EXPECT_DOUBLE_EQ(columns.bar.width(), 412);  // 800 − 10 − 74 − 10 − 74 − 10 − 210
    EXPECT_DOUBLE_EQ(columns.reclaimable.right(), 790);
    EXPECT_DOUBLE_EQ(BarsLayout::columns(300).bar.width(), 0);
}
