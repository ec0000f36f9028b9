#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/canvases/layout/MindMapLayout.h"
#include "tests/app/canvases/layout/CanvasTrees.h"

using namespace korvane;
using namespace canvastest;

TEST(MindMapLayout, RadiusAndRingSpacing) {
    const auto root = sizedFolder("r", {1});
    struct Case {
        QSizeF size;
        int maxDepth;
        double radius, spacing;
    };
    for (const auto& c : {Case{{600, 400}, 3, 158, 158.0 / 3}, Case{{100, 80}, 3, 40, 40.0 / 3},
                          Case{{600, 400}, 0, 158, 158}}) {
        const auto layout = MindMapLayout::make(root, c.size, c.maxDepth);
        EXPECT_DOUBLE_EQ(layout.radius, c.radius);
        EXPECT_DOUBLE_EQ(layout.ringSpacing, c.spacing);
    }
}

TEST(MindMapLayout, WedgesFollowTheSquareRootOfTheSizeAndDotsItsShare) {
    constexpr double pi = std::numbers::pi;
    const auto root = sizedFolder("r", {1, 9});
    const auto layout = MindMapLayout::make(root, {600, 400}, 3);
    ASSERT_EQ(layout.dots.size(), 3u);
    EXPECT_EQ(layout.dots[0].point, QPointF(300, 200));
    EXPECT_DOUBLE_EQ(layout.dots[0].dotRadius, 84);
    // Weights 3 and 1: wedges of 3π/2 (−π/2 to π) and π/2 (π to 3π/2), dots on their bisectors,
    // the first ring clear of the root's disc (42 + 14 + 4) rather than at a third of 158.
    const double spacing = 60;
    struct Expected {
        const char* id;
        double angle, dotRadius;
    };
    const Expected expected[] = {{"r/1", pi / 4, std::sqrt(0.9) * 22 + 6},
                                 {"r/0", 1.25 * pi, std::sqrt(0.1) * 22 + 6}};
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& dot = layout.dots[i + 1];
        EXPECT_EQ(dot.node->id, expected[i].id);
        EXPECT_NEAR(dot.point.x(), 300 + spacing * std::cos(expected[i].angle), 1e-9);
        EXPECT_NEAR(dot.point.y(), 200 + spacing * std::sin(expected[i].angle), 1e-9);
        EXPECT_NEAR(dot.dotRadius, expected[i].dotRadius, 1e-12);
        EXPECT_EQ(dot.parent, 0u);
    }

    const auto labelled = sizedFolder("r", {25, 4, 71});
    const auto sized = MindMapLayout::make(labelled, {600, 400}, 2);
    EXPECT_DOUBLE_EQ(sized.dots[2].dotRadius, 17);  // a quarter of the root
    EXPECT_TRUE(sized.dots[2].hasLabel());
    EXPECT_NEAR(sized.dots[3].dotRadius, 10.4, 1e-12);  // 4 %
    EXPECT_FALSE(sized.dots[3].hasLabel());
    EXPECT_FALSE(sized.dots[0].hasLabel());  // the root has its own label
}

TEST(MindMapLayout, ChildLimitsAndDepth) {
    std::vector<std::int64_t> twenty(20, 5);
    twenty[19] = 6;
    auto root = sizedFolder("r", twenty);
    root.children[0] = sizedFolder("wide", std::vector<std::int64_t>(10, 1));
    const auto layout = MindMapLayout::make(root, {600, 400}, 3);
    std::size_t first = 0, second = 0;
    for (const auto& dot : layout.dots) {
        first += dot.depth == 1;
        second += dot.depth == 2;
    }
    EXPECT_EQ(first, 14u);
    EXPECT_EQ(second, 8u);
    // Largest first: "wide" (10 bytes) and its subtree, then the 6-byte child.
    EXPECT_EQ(layout.dots[1].node->id, "wide");
    EXPECT_EQ(layout.dots[10].node->id, "r/19");
    EXPECT_EQ(MindMapLayout::make(root, {600, 400}, 1).dots.size(), 15u);
    const auto bare = sizedFolder("r", {0, 0});
    EXPECT_EQ(MindMapLayout::make(bare, {600, 400}, 3).dots.size(), 1u);
}

TEST(MindMapLayout, ZoomStepsAndHitTestingThroughZoomAndPan) {
    std::vector<std::string> in, out;
    for (double zoom = 1; in.size() < 7;)
        in.push_back(
            MindMapLayout::zoomText(zoom = MindMapLayout::clampZoom(zoom * MindMapLayout::zoomStep)));
    for (double zoom = 1; out.size() < 5;)
        out.push_back(
            MindMapLayout::zoomText(zoom = MindMapLayout::clampZoom(zoom / MindMapLayout::zoomStep)));
    EXPECT_EQ(in, (std::vector<std::string>{"130%", "169%", "219%", "285%", "371%", "400%", "400%"}));
    EXPECT_EQ(out, (std::vector<std::string>{"76%", "59%", "45%", "40%", "40%"}));

    const auto root = sizedFolder("r", {1, 9});
    const auto layout = MindMapLayout::make(root, {600, 400}, 3);
    const QPointF pan(10, -20);
    const auto onScreen = [&](QPointF map) { return layout.centre + (map - layout.centre) * 2 + pan; };
    for (std::size_t i = 0; i < layout.dots.size(); ++i)
        EXPECT_EQ(layout.dotAt(layout.toMap(onScreen(layout.dots[i].point), 2, pan)), i);
    // 42 points from the centre: just outside the 84-point root dot.
    EXPECT_EQ(layout.dotAt(QPointF(300, 242.5)), std::nullopt);
    EXPECT_EQ(layout.dotAt(QPointF(300, 241.5)), 0u);
}

TEST(MindMapLayout, PermanentLabelsNeverCoverEachOther) {
    // Shaped like a scan of a system folder: a few large children on a
    // crowded first ring, two of similar size side by side.
    const auto crowded = sizedFolder("r", {236, 170, 140, 98, 96, 42, 39, 21, 20, 18, 15, 12, 10, 9, 8, 7});
    const auto sparse = sizedFolder("r", {25, 4, 71});
    const auto labelSize = [](const StorageNode&) { return QSizeF(80, 26); };
    struct Case {
        const StorageNode& root;
        QSizeF size;
        int maxDepth;
        bool crowded;
    };
    for (const auto& c : {Case{crowded, {635, 590}, 3, true}, Case{sparse, {600, 400}, 2, false}}) {
        auto layout = MindMapLayout::make(c.root, c.size, c.maxDepth);
        const auto box = [&](std::size_t i) { return MindMapLayout::labelBox(layout.dots[i], QSizeF(80, 26)); };
        bool meet = false;
        for (std::size_t i = 0; i < layout.dots.size(); ++i)
            for (std::size_t j = i + 1; j < layout.dots.size(); ++j)
                meet |= layout.dots[i].hasLabel() && layout.dots[j].hasLabel() && box(i).intersects(box(j));
        EXPECT_EQ(meet, c.crowded);

        layout.placeLabels(labelSize);
        const auto shownBox = [&](std::size_t i) {
            return MindMapLayout::labelBox(layout.dots[i], QSizeF(80, 26), layout.dots[i].labelBelow);
        };
        const MindMapLayout::Dot& centre = layout.dots.front();
        const auto crossesRoot = [&](const QRectF& r) {
            const QPointF nearest(std::clamp(centre.point.x(), r.left(), r.right()),
                                  std::clamp(centre.point.y(), r.top(), r.bottom()));
            return std::hypot(nearest.x() - centre.point.x(), nearest.y() - centre.point.y()) < 42;
        };
        for (std::size_t i = 0; i < layout.dots.size(); ++i) {
            const auto& dot = layout.dots[i];
            EXPECT_TRUE(!dot.labelShown || dot.hasLabel()) << i;
            if (!dot.hasLabel()) continue;
            if (dot.labelShown) {
                EXPECT_FALSE(crossesRoot(shownBox(i))) << i << " covers the root's disc";
                for (std::size_t j = i + 1; j < layout.dots.size(); ++j)
                    EXPECT_FALSE(layout.dots[j].labelShown && shownBox(i).intersects(shownBox(j)))
                        << i << " and " << j << " cover each other";
                continue;
            }
            // Left out only where both places are taken by a larger (or equal) label or the root.
            for (const bool below : {false, true}) {
                const QRectF box = MindMapLayout::labelBox(dot, QSizeF(80, 26), below);
                bool taken = crossesRoot(box);
                for (std::size_t j = 0; j < layout.dots.size(); ++j)
                    taken |= j != i && layout.dots[j].labelShown && layout.dots[j].node->bytes >= dot.node->bytes &&
                             shownBox(j).intersects(box);
                EXPECT_TRUE(taken) << i << (below ? " below" : " above");
            }
        }
    }
}

TEST(MindMapLayout, NoLabelCoversTheRootsDisc) {
    // On a small canvas the first ring sits close to the root's 84-point disc.
    const auto root = sizedFolder("r", {50, 30, 20, 10, 8});
    auto layout = MindMapLayout::make(root, {400, 360}, 3);
    layout.placeLabels([](const StorageNode&) { return QSizeF(70, 26); });
    const QPointF centre = layout.dots.front().point;
    int shown = 0;
    for (const auto& dot : layout.dots) {
        if (!dot.labelShown) continue;
        ++shown;
        const QRectF box = MindMapLayout::labelBox(dot, QSizeF(70, 26), dot.labelBelow);
        const QPointF nearest(std::clamp(centre.x(), box.left(), box.right()),
                              std::clamp(centre.y(), box.top(), box.bottom()));
        EXPECT_GE(std::hypot(nearest.x() - centre.x(), nearest.y() - centre.y()), 42) << dot.node->id;
    }
    EXPECT_GE(shown, 1);
}

TEST(MindMapLayout, RingsKeepTheirDotsOffTheRootsDiscInTheSmallestCanvas) {
    // Canvases of the smallest window and a laptop's, at every depth the slider offers.
    const auto root = folder("r", {folder("r/a", {folder("r/a/x", {leaf("r/a/x/1", 800), leaf("r/a/x/2", 40)}),
                                                  leaf("r/a/y", 60)}),
                                   sizedFolder("r/b", {50, 30}), leaf("r/c", 20)});
    for (const QSizeF size : {QSizeF(470, 280), QSizeF(700, 420)}) {
        for (int depth = 1; depth <= 4; ++depth) {
            const auto layout = MindMapLayout::make(root, size, depth);
            const QPointF centre = layout.dots.front().point;
            const auto from = [&](const MindMapLayout::Dot& dot) {
                return std::hypot(dot.point.x() - centre.x(), dot.point.y() - centre.y());
            };
            for (const auto& dot : layout.dots) {
                const double distance = from(dot);
                if (dot.depth == 1) {
                    EXPECT_GE(distance - 0.5 * dot.dotRadius, 42) << size.width() << " depth " << depth;
                }
                EXPECT_LE(distance, layout.radius + 1e-9);
                if (dot.depth > 1) {
                    EXPECT_GT(distance, from(layout.dots[*dot.parent])) << "a child lies beyond its parent";
                }
            }
        }
    }
}
