#include <gtest/gtest.h>

#include <algorithm>

#include "app/canvases/layout/FoldersLayout.h"
#include "core/explorer/FileTreeScanner.h"
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

TEST(FoldersLayout, DotsCountsAndTheFolderShape) {
    const auto many = sizedFolder("many", {1, 4, 0, 9, 4, 2});
    const auto dots = FoldersLayout::dots(many);
    ASSERT_EQ(dots.size(), 3u);
    EXPECT_EQ(dots[0]->id, "many/3");
    EXPECT_EQ(dots[1]->id, "many/1");  // ties in tree order
    EXPECT_EQ(dots[2]->id, "many/4");
    EXPECT_TRUE(FoldersLayout::dots(leaf("file", 3)).empty());
    auto big = sizedFolder("big", std::vector<std::int64_t>(1234, 1));
    for (StorageNode& child : big.children) child.candidateID = UUID::random();
    EXPECT_EQ(FoldersLayout::itemsText(big), "1,234 items");

    // The stroke stays inside; right of the tab's slope the body starts 11 points lower.
    const auto shape = FoldersLayout::folderShape(QRectF(0, 0, 200, 124), 8, 0.36, 11, 0.5);
    EXPECT_EQ(shape.boundingRect(), QRectF(0.5, 0.5, 199, 123));
    const double tabRight = 0.5 + 0.36 * 199;
    EXPECT_TRUE(shape.contains(QPointF(20, 3)));
    EXPECT_FALSE(shape.contains(QPointF(tabRight + 8 + 5, 3)));
    EXPECT_TRUE(shape.contains(QPointF(tabRight + 8 + 5, 13)));
}

// A folder scan's files are no folders: they are drawn as sheets and counted
// under a heading of their own.
TEST(FoldersLayout, AFolderScansFilesAreCountedAndDrawnAsFiles) {
    const auto walked = [](StorageNode node) {
        node.path = node.id;
        return node;
    };
    const auto file = [&](const std::string& name, std::int64_t bytes) {
        return walked(leaf("/s/" + name, bytes));
    };
    const auto directory = [&](const std::string& name) {
        return walked(folder("/s/" + name, {file(name + "/inside", 10)}));
    };
    auto rest = leaf(FileTreeScanner::remainderID("/s"), 3);
    rest.name = "4 smaller items";
    struct Case {
        const char* name;
        StorageNode root;
        std::vector<FoldersLayout::Heading> headings;
        std::size_t files;
    };
    const Case cases[] = {
        {"folders and files",
         walked(folder("/s", {directory("a"), file("b.iso", 50), directory("c"), file("d.txt", 5), rest})),
         {{"Folders", 2}, {"Files", 2}},
         2},
        {"files only", walked(folder("/s", {file("b.iso", 50)})), {{"Files", 1}}, 1},
        {"folders only", walked(folder("/s", {directory("a")})), {{"Folders", 1}}, 0},
        // A developer tree's items are the folders a cleanup removes.
        {"a developer tree", sizedFolder("r", {5, 9}), {{"Folders", 2}}, 0},
        {"nothing", sizedFolder("e", {0}), {{"Folders", 0}}, 0},
    };
    for (const auto& c : cases) {
        const auto layout = FoldersLayout::make(c.root, 600);
        EXPECT_EQ(layout.headings(), c.headings) << c.name;
        const auto files =
            std::count_if(layout.tiles.begin(), layout.tiles.end(),
                          [](const StorageNode* tile) { return FoldersLayout::isFileTile(*tile); });
        EXPECT_EQ(static_cast<std::size_t>(files), c.files) << c.name;
    }
    // Each tile has the outline of what it is: a folder's tab, a sheet's folded corner, a sum's neither.
    const QRectF tile(0, 0, 200, 124);
    EXPECT_FALSE(FoldersLayout::tileShape(directory("a"), tile).contains(QPointF(190, 4)));  // beside the tab
    EXPECT_TRUE(FoldersLayout::tileShape(directory("a"), tile).contains(QPointF(20, 4)));
    EXPECT_FALSE(
        FoldersLayout::tileShape(file("b.iso", 1), tile).contains(QPointF(198, 3)));  // the folded corner
    EXPECT_TRUE(FoldersLayout::tileShape(file("b.iso", 1), tile).contains(QPointF(20, 4)));
    EXPECT_TRUE(FoldersLayout::tileShape(rest, tile).contains(QPointF(190, 4)));
    EXPECT_TRUE(FoldersLayout::tileShape(rest, tile).contains(QPointF(20, 4)));
    // The sheet keeps inside its rectangle, its corner folded.
    const QRectF rect(0, 0, 200, 124);
    const QPainterPath sheet = FoldersLayout::fileShape(rect);
    EXPECT_TRUE(rect.contains(sheet.boundingRect()));
    EXPECT_FALSE(sheet.contains(QPointF(199, 2)));
    EXPECT_TRUE(sheet.contains(QPointF(100, 60)));
}
