#include <gtest/gtest.h>

#include "app/canvases/layout/TreemapLayout.h"
#include "tests/app/canvases/layout/CanvasTrees.h"

using namespace korvane;
using namespace canvastest;

namespace {

void expectRect(const QRectF& actual, const QRectF& expected, const std::string& what) {
    EXPECT_NEAR(actual.x(), expected.x(), 1e-3) << what;
    EXPECT_NEAR(actual.y(), expected.y(), 1e-3) << what;
    EXPECT_NEAR(actual.width(), expected.width(), 1e-3) << what;
    EXPECT_NEAR(actual.height(), expected.height(), 1e-3) << what;
}

}  // namespace

TEST(Squarify, LaysOutTheWorkedExample) {
    // 6, 6, 4, 3, 2, 2, 1 in 6 × 4 (one unit of area per byte).
    const auto parent = sizedFolder("p", {2, 6, 1, 4, 6, 3, 2});
    const auto tiles = Squarify::layout(parent, QRectF(0, 0, 6, 4));
    struct Expected {
        std::int64_t bytes;
        QRectF rect;
    };
    const double third = 7.0 / 3;
    const Expected expected[] = {
        {6, {0, 0, 3, 2}},
        {6, {0, 2, 3, 2}},
        {4, {3, 0, 12.0 / 7, third}},
        {3, {3 + 12.0 / 7, 0, 9.0 / 7, third}},
        {2, {3, third, 1.2, 4 - third}},
        {2, {4.2, third, 1.2, 4 - third}},
        {1, {5.4, third, 0.6, 4 - third}},
    };
    ASSERT_EQ(tiles.size(), std::size(expected));
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        EXPECT_EQ(tiles[i].node->bytes, expected[i].bytes) << i;
        expectRect(tiles[i].rect, expected[i].rect, "tile " + std::to_string(i));
    }
    // Equal sizes keep the tree's order.
    EXPECT_EQ(tiles[0].node->id, "p/1");
    EXPECT_EQ(tiles[1].node->id, "p/4");

    // Two halves of a square: the second leaves the worst ratio at 2, so it joins the row.
    const auto halves = sizedFolder("h", {1, 1});
    const auto split = Squarify::layout(halves, QRectF(0, 0, 2, 2));
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[1].rect, QRectF(0, 1, 2, 1));
}

TEST(Squarify, EmptyThinAndDegenerateCases) {
    const auto none = sizedFolder("p", {}), weightless = sizedFolder("p", {0, 0, -4}),
               one = sizedFolder("p", {5});
    EXPECT_TRUE(Squarify::layout(none, QRectF(0, 0, 10, 10)).empty());
    EXPECT_TRUE(Squarify::layout(weightless, QRectF(0, 0, 10, 10)).empty());
    EXPECT_TRUE(Squarify::layout(one, QRectF(0, 0, 0, 10)).empty());
    EXPECT_TRUE(Squarify::layout(one, QRectF(0, 0, 10, -1)).empty());
    // A zero row sum or side gives the worst ratio, never a division by zero.
    EXPECT_EQ(Squarify::worst(6, 0, 6, 4), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Squarify::worst(6, 6, 6, 0), std::numeric_limits<double>::infinity());
    // What is left once the free rectangle is thin is dropped.
    const auto lopsided = sizedFolder("p", {1000, 1});
    EXPECT_EQ(Squarify::layout(lopsided, QRectF(0, 0, 10, 10)).size(), 1u);
}

TEST(TreemapLayout, LabelSizeTextAndInnerTileThresholds) {
    struct Case {
        QSizeF size;
        bool label, sizeText, inner;
    };
    // clang-format off
    const Case cases[] = {
        {{54, 30}, false, false, false}, {{55, 26}, false, false, false}, {{55, 27}, true, false, false},
        {{150, 30}, true, false, false}, {{151, 30}, true, true, false}, {{120, 100}, true, false, false},
        {{130, 90}, true, false, false}, {{121, 91}, true, false, true},
    };
    // clang-format on
    const auto root = folder("r", {sizedFolder("a", {3, 1})});
    for (const auto& c : cases) {
        const auto layout = TreemapLayout::make(root, c.size);
        ASSERT_EQ(layout.tiles.size(), 1u);
        const auto& tile = layout.tiles[0];
        EXPECT_EQ(tile.hasLabel, c.label) << c.size.width() << "x" << c.size.height();
        EXPECT_EQ(tile.hasSizeText, c.sizeText) << c.size.width() << "x" << c.size.height();
        EXPECT_EQ(tile.innerCount > 0, c.inner) << c.size.width() << "x" << c.size.height();
    }
    // A single child fills the area less the inset; a leaf never gets inner tiles, however large.
    const auto flat = sizedFolder("p", {0, 7});
    const auto layout = TreemapLayout::make(flat, {300, 200});
    ASSERT_EQ(layout.tiles.size(), 1u);
    EXPECT_EQ(layout.tiles[0].rect, QRectF(0, 0, 300, 200));
    EXPECT_EQ(layout.tiles[0].frame, QRectF(1.5, 1.5, 297, 197));
    EXPECT_TRUE(layout.inner.empty());
}

TEST(TreemapLayout, InnerTilesSitUnderTheLabelOneLevelDeep) {
    const auto root = folder("r", {folder("a", {leaf("big", 3), folder("deep", {leaf("x", 1)})})});
    const auto layout = TreemapLayout::make(root, {200, 130});
    ASSERT_EQ(layout.inner.size(), 2u);
    expectRect(layout.inner[0].rect, {7.5, 25.5, 138.75, 97}, "big");
    expectRect(layout.inner[1].rect, {146.25, 25.5, 46.25, 97}, "deep");
    expectRect(layout.inner[1].frame, {147.25, 26.5, 44.25, 95}, "deep frame");
    EXPECT_TRUE(layout.inner[1].hasLabel);
    EXPECT_EQ(layout.inner[1].parent, 0u);

    struct Case {
        QPointF point;
        std::optional<std::size_t> inner;
        bool hit;
    };
    for (const auto& c : {Case{{50, 60}, 0u, true}, Case{{170, 60}, 1u, true},
                          Case{{50, 10}, std::nullopt, true}, Case{{0.5, 60}, std::nullopt, false}}) {
        const auto hit = layout.hitAt(c.point);
        ASSERT_EQ(hit.has_value(), c.hit) << c.point.x();
        if (hit) {
            EXPECT_EQ(hit->inner, c.inner) << c.point.x();
        }
    }
}
