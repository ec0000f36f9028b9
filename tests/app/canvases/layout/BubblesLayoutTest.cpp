#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "app/canvases/layout/BubblesLayout.h"
#include "app/canvases/layout/CanvasLayoutCache.h"
#include "tests/app/canvases/layout/CanvasTrees.h"

using namespace korvane;
using namespace canvastest;

namespace {

// The ring placement exactly as the rule reads: every circle searches from
// the innermost ring, every candidate is checked against every placed circle.
std::vector<QPointF> referencePlacement(const std::vector<double>& r) {
    std::vector<QPointF> centres;
    if (r.empty()) return centres;
    centres.emplace_back(0, 0);
    for (std::size_t i = 1; i < r.size(); ++i) {
        for (double d = r[0] + r[i];; d += std::max(r[i] * 0.5, 1.0)) {
            if (d >= 40000) {
                centres.emplace_back(d, 0);
                break;
            }
            const int k =
                std::max(static_cast<int>(std::max(2 * std::numbers::pi * d, 1.0) / std::max(r[i], 2.0)), 8);
            bool found = false;
            for (int j = 0; j < k && !found; ++j) {
                const double theta = 2 * std::numbers::pi * j / k;
                const QPointF c(d * std::cos(theta), d * std::sin(theta));
                found = true;
                for (std::size_t m = 0; m < centres.size() && found; ++m) {
                    const double dx = c.x() - centres[m].x(), dy = c.y() - centres[m].y();
                    found = std::sqrt(dx * dx + dy * dy) >= r[i] + r[m] + 1;
                }
                if (found) centres.push_back(c);
            }
            if (found) break;
        }
    }
    return centres;
}

std::vector<double> unitRadii(const std::vector<std::int64_t>& bytes) {
    double total = 0;
    for (auto b : bytes) total += static_cast<double>(b);
    std::vector<double> radii;
    for (auto b : bytes) radii.push_back(std::sqrt(static_cast<double>(b) / total));
    return radii;
}

}  // namespace

TEST(BubblesLayout, TwoEqualChildrenMeetOnTheSecondRing) {
    const auto centres = BubblesLayout::place(unitRadii({5, 5}));
    ASSERT_EQ(centres.size(), 2u);
    EXPECT_EQ(centres[0], QPointF(0, 0));
    EXPECT_NEAR(centres[1].x(), std::sqrt(2.0) + 1, 1e-12);
    EXPECT_DOUBLE_EQ(centres[1].y(), 0);

    const auto root = sizedFolder("r", {5, 5});
    const auto layout = BubblesLayout::make(root, {400, 400});
    ASSERT_EQ(layout.circles.size(), 3u);
    EXPECT_DOUBLE_EQ(layout.circles[0].radius, 194);
    // Searched on radii large beside the gap, the second ring stands half a
    // radius off: the pair spans 4.5 radii, centred in 86 % of the root's radius.
    const auto& first = layout.circles[1];
    const auto& second = layout.circles[2];
    EXPECT_NEAR(first.radius / 194, 0.86 * 2 / 4.5, 1e-9);
    EXPECT_DOUBLE_EQ(second.radius, first.radius);
    EXPECT_NEAR(second.centre.x() - first.centre.x(), 2.5 * first.radius, 1e-9);
    EXPECT_NEAR((first.centre.x() + second.centre.x()) / 2, 200, 1e-9);
    EXPECT_NEAR(first.centre.y(), 200, 1e-9);
    EXPECT_EQ(second.depth, 1);
}

TEST(BubblesLayout, SingleChildIsConcentricAt86Percent) {
    const auto root = folder("r", {sizedFolder("only", {3, 0})});
    const auto layout = BubblesLayout::make(root, {300, 200});
    ASSERT_EQ(layout.circles.size(), 3u);
    EXPECT_EQ(layout.circles[1].centre, QPointF(150, 100));
    EXPECT_DOUBLE_EQ(layout.circles[1].radius, 94 * 0.86);
    EXPECT_DOUBLE_EQ(layout.circles[2].radius, 94 * 0.86 * 0.86);
}

TEST(BubblesLayout, SmallCanvasesEmptyRootsDepthLimitAndTinyChildren) {
    const auto root = sizedFolder("r", {5, 5});
    EXPECT_EQ(BubblesLayout::make(root, {48, 400}).circles.size(), 1u);  // radius 18: no children
    EXPECT_EQ(BubblesLayout::make(root, {50, 400}).circles.size(), 3u);
    EXPECT_TRUE(BubblesLayout::make(root, {12, 400}).circles.empty());
    const auto empty = sizedFolder("r", {0, 0});
    EXPECT_EQ(BubblesLayout::make(empty, {400, 400}).circles.size(), 1u);

    StorageNode deep = leaf("d5", 1);
    for (int i = 4; i >= 0; --i) deep = folder("d" + std::to_string(i), {deep});
    EXPECT_EQ(BubblesLayout::make(deep, {2000, 2000}).circles.size(), 5u);  // depths 0 to 4
    // One byte in a million: its scaled radius is far below 2 points.
    const auto lopsided = sizedFolder("r", {1'000'000, 1});
    EXPECT_EQ(BubblesLayout::make(lopsided, {400, 400}).circles.size(), 2u);
}

TEST(BubblesLayout, GridAndResumedSearchMatchThePlainRule) {
    const auto equal500 = unitRadii(std::vector<std::int64_t>(500, 7));
    const auto reference = referencePlacement(equal500);
    EXPECT_EQ(BubblesLayout::place(equal500, BubblesLayout::CollisionTest::plain), reference);
    EXPECT_EQ(BubblesLayout::place(equal500, BubblesLayout::CollisionTest::grid), reference);

    std::vector<std::int64_t> mixed;
    for (int i = 0; i < 300; ++i) mixed.push_back(1 + (i * 7919) % 97 + (i % 5 == 0 ? 5000 : 0));
    std::sort(mixed.begin(), mixed.end(), std::greater<>());
    const auto mixedRadii = unitRadii(mixed);
    EXPECT_EQ(BubblesLayout::place(mixedRadii, BubblesLayout::CollisionTest::grid),
              referencePlacement(mixedRadii));

    const auto equal5000 = unitRadii(std::vector<std::int64_t>(5000, 7));
    EXPECT_EQ(BubblesLayout::place(equal5000, BubblesLayout::CollisionTest::grid),
              BubblesLayout::place(equal5000, BubblesLayout::CollisionTest::plain));

    // Radii of 30000 reach the farthest ring at once: the rest go on the x axis.
    EXPECT_EQ(BubblesLayout::place({30000, 20000, 20000}), referencePlacement({30000, 20000, 20000}));
    EXPECT_EQ(BubblesLayout::place({30000, 20000, 20000})[2], QPointF(50000, 0));
}

TEST(BubblesLayout, LabelsByRadius) {
    struct Case {
        double radius;
        int depth;
        bool label, size;
        double nameSize;
    };
    // clang-format off
    for (const auto& c : {Case{20, 1, false, false, 9}, Case{20.5, 1, true, false, 9}, Case{40, 2, true, false, 9},
                          Case{40.5, 1, true, true, 9}, Case{45, 1, true, true, 10}, Case{200, 0, true, true, 13},
                          Case{200, 3, false, false, 13}}) {
        // clang-format on
        BubblesLayout::Circle circle{nullptr, {}, c.radius, c.depth};
        EXPECT_EQ(circle.hasLabel(), c.label) << c.radius;
        EXPECT_EQ(circle.hasSizeText(), c.size) << c.radius;
        EXPECT_DOUBLE_EQ(circle.nameFontSize(), c.nameSize) << c.radius;
    }
    // A narrow label of the root sits with its middle 16 points below the top; a leaf's at its centre.
    EXPECT_DOUBLE_EQ((BubblesLayout::Circle{nullptr, {}, 100, 0}).labelBox({20, 20}).center().y(), -84);
    EXPECT_DOUBLE_EQ((BubblesLayout::Circle{nullptr, {}, 100, 1}).labelBox({20, 20}).center().y(), 0);
}

TEST(BubblesLayout, HitTestingAndCachingPerRootAndSize) {
    const auto root = sizedFolder("r", {5, 5});
    CanvasLayoutCache<BubblesLayout> cache;
    const auto build = [&] { return BubblesLayout::make(root, {400, 400}); };
    const auto& layout = cache.get(root, {400, 400}, 0, build);
    EXPECT_EQ(layout.circleAt(layout.circles[1].centre), 1u);  // the child drawn over the root
    EXPECT_EQ(layout.circleAt({200, 30}), 0u);
    EXPECT_EQ(layout.circleAt({10, 10}), std::nullopt);
    for (int hover = 0; hover < 100; ++hover) cache.get(root, {400, 400}, 0, build);
    EXPECT_EQ(cache.builds(), 1u);
}

TEST(BubblesLayout, PacksAtMostTheLargestChildrenAndOneBubbleForTheRest) {
    // On a canvas this large every packed child is drawn: the count shows how many were packed.
    const auto root = sizedFolder("r", std::vector<std::int64_t>(5001, 7));
    const auto layout = BubblesLayout::make(root, {100000, 100000});
    ASSERT_EQ(layout.circles.size(), BubblesLayout::widestKept + 2);
    EXPECT_EQ(layout.circles[1].node->name, "4,851 smaller items");
    EXPECT_EQ(layout.circles.back().node->id, "r/149");
}

TEST(BubblesLayout, AWideFolderDrawsItsLargestChildrenLargeAndSumsTheSpecks) {
    // 150 children of varied sizes, largest about a sixth of the folder.
    std::vector<std::int64_t> sizes;
    for (int i = 0; i < 150; ++i)
        sizes.push_back(static_cast<std::int64_t>(1'000'000 / std::pow(i + 1, 1.1)) + (i * 7919) % 5000);
    const auto root = sizedFolder("r", sizes);
    const auto layout = BubblesLayout::make(root, {600, 600});
    const double parent = layout.circles[0].radius;
    double largest = 0;
    std::int64_t drawn = 0;
    int summaries = 0;
    for (const auto& circle : layout.circles) {
        if (circle.depth != 1) continue;
        largest = std::max(largest, circle.radius);
        drawn += circle.node->bytes;
        if (!circle.isSummary) {
            EXPECT_GE(circle.radius, BubblesLayout::visibleRadius * 0.5) << circle.node->id;
            continue;
        }
        ++summaries;
        EXPECT_EQ(circle.node->name.substr(circle.node->name.find(' ')), " smaller items");
    }
    EXPECT_GE(largest, 0.15 * parent);
    EXPECT_EQ(summaries, 1);
    // Every byte is drawn: in a bubble of its own or in the summing one.
    EXPECT_EQ(drawn, root.bytes);
}

TEST(BubblesLayout, LabelsNeverPrintOverEachOther) {
    // A folder whose only child is a folder: both labels would sit at one centre.
    const auto chain = folder("outer", {folder("inner", {sizedFolder("leafy", {5, 3, 2})})});
    std::vector<std::int64_t> sizes;
    for (int i = 0; i < 40; ++i) sizes.push_back(100 + i * i * 30);
    const auto wide = folder("w", {sizedFolder("a", sizes), sizedFolder("b", {40, 30, 20}), leaf("c", 9000)});
    const auto labelSize = [](const BubblesLayout::Circle& circle) {
        return QSizeF(7.0 * static_cast<double>(circle.node->name.size()) + 8, circle.hasSizeText() ? 30 : 16);
    };
    for (const StorageNode* root : {&chain, &wide}) {
        auto layout = BubblesLayout::make(*root, {700, 500});
        layout.placeLabels(labelSize);
        std::vector<QRectF> shown;
        for (const auto& circle : layout.circles)
            if (circle.labelShown) shown.push_back(circle.labelBox(labelSize(circle)));
        EXPECT_GE(shown.size(), 2u) << root->id;
        for (std::size_t i = 0; i < shown.size(); ++i)
            for (std::size_t j = i + 1; j < shown.size(); ++j)
                EXPECT_FALSE(shown[i].intersects(shown[j])) << root->id << ": " << i << " and " << j;
    }
    // The folder holding bubbles writes its name near its top, clear of them.
    const auto layout = BubblesLayout::make(chain, {700, 500});
    ASSERT_GE(layout.circles.size(), 3u);
    EXPECT_TRUE(layout.circles[1].holdsChildren);
    const auto& outer = layout.circles[1];
    EXPECT_LT(outer.labelBox({40, 16}).bottom(), outer.centre.y() - outer.radius / 2);
}

TEST(BubblesLayout, AFewSmallerChildrenPackCloseTogether) {
    // Twelve children of similar size: a gap of a whole unit would spread
    // them over the parent and leave each a speck.
    const auto root = sizedFolder("r", {120, 110, 100, 95, 90, 85, 80, 75, 70, 65, 60, 55});
    const auto layout = BubblesLayout::make(root, {600, 600});
    ASSERT_EQ(layout.circles.size(), 13u);
    // Spaced by the ring rule's unit the largest gets 7.7 % of the parent's radius.
    EXPECT_GE(layout.circles[1].radius, 0.12 * layout.circles[0].radius);
    for (std::size_t i = 1; i < layout.circles.size(); ++i)
        for (std::size_t j = i + 1; j < layout.circles.size(); ++j) {
            const QPointF d = layout.circles[i].centre - layout.circles[j].centre;
            EXPECT_GT(std::hypot(d.x(), d.y()), layout.circles[i].radius + layout.circles[j].radius) << i << " " << j;
        }
}

TEST(BubblesLayout, AFolderOfThousandsShowsItsLargestAndSumsTheRest) {
    // Heavy-tailed sizes as files have, spread over six orders of magnitude.
    const auto heavyTailed = [](int count, std::int64_t largest) {
        std::vector<std::int64_t> sizes;
        for (int i = 0; i < count; ++i)
            sizes.push_back(static_cast<std::int64_t>(std::exp(8 + 14 * std::fmod(i * 0.6180339887, 1.0))));
        if (largest > 0) sizes.front() = largest;
        return sizes;
    };
    struct Case {
        const char* shape;
        StorageNode root;
        double largestShare;  // the largest child's radius at least this share of the folder's
    };
    std::vector<Case> cases;
    cases.push_back({"5,000 heavy-tailed", sizedFolder("mixed", heavyTailed(5000, 0)), 0.0});
    cases.push_back({"500 heavy-tailed", sizedFolder("some", heavyTailed(500, 0)), 0.0});
    cases.push_back({"6,000 beyond the packing limit", sizedFolder("many", heavyTailed(6000, 1'000'000'000'000)), 0.15});
    cases.push_back({"one large beside 3,000", sizedFolder("one", heavyTailed(3000, 40'000'000'000'000)), 0.5});
    cases.push_back({"5,000 equal", sizedFolder("equal", std::vector<std::int64_t>(5000, 7)), 0.0});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shape);
        const auto layout = BubblesLayout::make(c.root, QSizeF(1440, 900));
        const auto& root = layout.circles.front();
        std::int64_t bytes = 0;
        std::size_t own = 0;
        std::size_t summed = 0;
        double largest = 0;
        for (const auto& circle : layout.circles) {
            if (circle.depth != 1) continue;
            bytes += circle.node->bytes;
            if (circle.isSummary) {
                std::string count = circle.node->details.at("Items");
                std::erase(count, ',');
                summed += static_cast<std::size_t>(std::stoll(count));
                continue;
            }
            ++own;
            largest = std::max(largest, circle.radius);
        }
        // Every child is drawn on its own or counted in the one summing bubble.
        EXPECT_EQ(bytes, c.root.bytes) << c.shape;
        EXPECT_EQ(own + summed, c.root.children.size()) << c.shape;
        EXPECT_LE(own + (summed > 0 ? 1 : 0), BubblesLayout::tightPackLimit) << c.shape;
        EXPECT_GE(largest, c.largestShare * root.radius) << c.shape;
        // What is drawn on its own is large enough to see.
        if (own > 0) {
            EXPECT_GE(largest, BubblesLayout::visibleRadius) << c.shape;
        }
    }
}

// A child holding nearly half the bytes once took 7 % of its parent's area:
// the ring's gap was as wide as the circles and the group was measured from
// its first circle. Now each takes about as much as the ring rule allows.
TEST(BubblesLayout, AChildsAreaFollowsItsShare) {
    struct Case {
        std::vector<std::int64_t> bytes;
        double largestArea;  // the largest child's share of the parent's area, at least
    };
    for (const Case& c : {Case{{47, 30, 13, 10}, 0.15}, Case{{61, 21, 18}, 0.2}, Case{{5, 5}, 0.14},
                          Case{{80, 5, 5, 5, 5}, 0.22}}) {
        const auto root = sizedFolder("r", c.bytes);
        const auto layout = BubblesLayout::make(root, {480, 480});
        ASSERT_EQ(layout.circles.size(), c.bytes.size() + 1);
        const double parent = layout.circles[0].radius;
        const auto area = [&](std::size_t i) { return std::pow(layout.circles[i].radius / parent, 2); };
        EXPECT_GE(area(1), c.largestArea) << c.bytes.front();
        // Larger shares, larger areas; every child within the parent.
        for (std::size_t i = 1; i < layout.circles.size(); ++i) {
            if (i > 1) {
                EXPECT_LE(area(i), area(i - 1) + 1e-12);
            }
            const QPointF d = layout.circles[i].centre - layout.circles[0].centre;
            EXPECT_LE(std::hypot(d.x(), d.y()) + layout.circles[i].radius, parent * 0.86 + 1e-9);
        }
    }
}

// Every label shown lies wholly inside or wholly outside each circle drawn:
// no edge runs through a name, the outer circle's through the root's label
// included.
TEST(BubblesLayout, NoCirclesEdgeCrossesALabel) {
    const auto labelSize = [](const BubblesLayout::Circle& circle) {
        const double name = circle.nameFontSize();
        const double height = 1.3 * name + (circle.hasSizeText() ? 1.3 * circle.sizeFontSize() : 0);
        return QSizeF(0.6 * name * static_cast<double>(circle.node->name.size()) + 8, height);
    };
    const auto developer = folder("Developer storage",
                            {folder("Android", {sizedFolder("Emulator System Images", {125, 125}),
                                                sizedFolder("Android Caches", {3})}),
                             folder("Node.js", {sizedFolder("Project Dependencies", {42}),
                                                sizedFolder("Package Manager Caches", {31, 2}),
                                                sizedFolder("Yarn", {9})}),
                             folder("Toolchains", {sizedFolder("Editors (VS Code cached data and 2 more)", {12, 6, 3}),
                                                   sizedFolder("Editors (JetBrains IDE caches)", {17}),
                                                   sizedFolder("Go", {12, 5})})});
    const auto lone = folder("A folder with one large child", {sizedFolder("only child", {40, 30, 20})});
    for (const StorageNode* root : {&developer, &lone})
        for (const QSizeF size : {QSizeF(480, 480), QSizeF(634, 520), QSizeF(900, 600), QSizeF(300, 260)}) {
            const auto layout = BubblesLayout::make(*root, size, labelSize);
            int shown = 0;
            for (const auto& labelled : layout.circles) {
                if (!labelled.labelShown) continue;
                ++shown;
                const QRectF box = labelled.labelBox(labelSize(labelled));
                const QPointF corners[] = {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()};
                for (const auto& circle : layout.circles) {
                    const auto inside = [&circle](QPointF p) {
                        const QPointF d = p - circle.centre;
                        return std::hypot(d.x(), d.y()) < circle.radius;
                    };
                    const QPointF nearest(std::clamp(circle.centre.x(), box.left(), box.right()),
                                          std::clamp(circle.centre.y(), box.top(), box.bottom()));
                    const bool allInside = std::all_of(std::begin(corners), std::end(corners), inside);
                    const QPointF d = nearest - circle.centre;
                    const bool outside = std::hypot(d.x(), d.y()) > circle.radius;
                    EXPECT_TRUE(allInside || outside)
                        << root->id << " at " << size.width() << ": " << circle.node->name << " crosses the label of "
                        << labelled.node->name;
                }
            }
            EXPECT_GE(shown, 2) << root->id << " at " << size.width();
        }
}
