#include <gtest/gtest.h>

#include "app/canvases/layout/FoldersLayout.h"
#include "tests/app/canvases/layout/CanvasTrees.h"

using namespace korvane;
using namespace canvastest;

TEST(FoldersLayout, ColumnsForAWidth) {
    struct Case {
        double width;
        int columns;
        double columnWidth, gridLeft;
    };
    // The grid gets the width less 4 points each side.
    // clang-format off
    const Case cases[] = {
        {100, 1, 92, 4}, {208, 1, 200, 4}, {330, 1, 320, 5}, {460, 2, 219, 4}, {1000, 4, 237.5, 4},
        {1440, 6, 227, 4}, {400, 1, 320, 4 + 36},  // one column held at 320 in 392 points sits in the middle
        {0, 1, 0, 4},
    };
    // clang-format on
    const auto root = sizedFolder("r", {1});
    for (const auto& c : cases) {
        const auto layout = FoldersLayout::make(root, c.width);
        EXPECT_EQ(FoldersLayout::columnCount(c.width), c.columns) << c.width;
        EXPECT_DOUBLE_EQ(layout.columnWidth, c.columnWidth) << c.width;
        EXPECT_DOUBLE_EQ(layout.gridLeft, c.gridLeft) << c.width;
    }
}

TEST(FoldersLayout, TilesRowsAndHitTesting) {
    const auto root = sizedFolder("r", {5, 0, 9, 7, 1, 3});
    const auto layout = FoldersLayout::make(root, 460);  // two columns of 219
    ASSERT_EQ(layout.tiles.size(), 5u);
    EXPECT_EQ(layout.tiles[0]->id, "r/2");
    EXPECT_EQ(layout.tileRect(0), QRectF(4, 36, 219, 124));
    EXPECT_EQ(layout.tileRect(3), QRectF(237, 174, 219, 124));
    EXPECT_DOUBLE_EQ(layout.contentHeight(), 36 + 3 * 138 - 14 + 4);

    struct Case {
        QPointF point;
        std::optional<std::size_t> tile;
    };
    // clang-format off
    for (const auto& c : {Case{{10, 40}, 0u}, Case{{230, 40}, std::nullopt}, Case{{240, 40}, 1u},
                          Case{{240, 165}, std::nullopt}, Case{{300, 200}, 3u}, Case{{300, 320}, std::nullopt},
                          Case{{10, 320}, 4u}, Case{{10, 10}, std::nullopt}, Case{{458, 40}, std::nullopt}})
        // clang-format on
        EXPECT_EQ(layout.tileAt(c.point), c.tile) << c.point.x() << "," << c.point.y();
    EXPECT_EQ(layout.visibleTiles(0, 100), (std::pair<std::size_t, std::size_t>{0, 2}));
    EXPECT_EQ(layout.visibleTiles(180, 200), (std::pair<std::size_t, std::size_t>{2, 5}));

    const auto empty = sizedFolder("e", {0});
    EXPECT_TRUE(FoldersLayout::make(empty, 600).isEmpty());
}

// The heading counts folders: a file and a folder's smaller items are tiles, not folders.
TEST(FoldersLayout, TheHeadingCountsOnlyFolders) {
    auto rest = leaf("/p//rest", 90);
    rest.name = "31 smaller items";
    const auto photos = folder("/p", {rest, leaf("/p/today.jpg", 3)});
    EXPECT_EQ(FoldersLayout::make(photos, 600).folderCount(), 0u);
    const auto home = folder("/h", {photos, sizedFolder("/h/docs", {1, 2}), leaf("/h/a.iso", 50)});
    EXPECT_EQ(FoldersLayout::make(home, 600).folderCount(), 2u);
}

TEST(FoldersLayout, DotsCountsAndTheFolderShape) {
    const auto many = sizedFolder("many", {1, 4, 0, 9, 4, 2});
    const auto dots = FoldersLayout::dots(many);
    ASSERT_EQ(dots.size(), 3u);
    EXPECT_EQ(dots[0]->id, "many/3");
    EXPECT_EQ(dots[1]->id, "many/1");  // ties in tree order
    EXPECT_EQ(dots[2]->id, "many/4");
    EXPECT_TRUE(FoldersLayout::dots(leaf("file", 3)).empty());
    EXPECT_EQ(FoldersLayout::itemsText(sizedFolder("big", std::vector<std::int64_t>(1234, 1))),
              "1,234 items");

    // The stroke stays inside; right of the tab's slope the body starts 11 points lower.
    const auto shape = FoldersLayout::folderShape(QRectF(0, 0, 200, 124), 8, 0.36, 11, 0.5);
    EXPECT_EQ(shape.boundingRect(), QRectF(0.5, 0.5, 199, 123));
    const double tabRight = 0.5 + 0.36 * 199;
    EXPECT_TRUE(shape.contains(QPointF(20, 3)));
    EXPECT_FALSE(shape.contains(QPointF(tabRight + 8 + 5, 3)));
    EXPECT_TRUE(shape.contains(QPointF(tabRight + 8 + 5, 13)));
}
